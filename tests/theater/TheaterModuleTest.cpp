// The theater module's lifecycle as the host drives it: the real module file, loaded by the host's loader.
#include "TheaterModule.h"
#include "Afx.h"
#include "CResFile.h"
#include "TheaterResources.h"
#include "WbDestructionLog.h"
#include "WbFourCC.h"
#include "WbModuleLoader.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <tuple>
#include <utility>

// Set to make the next nothrow allocation fail, as it may for the module's construct functions.
static bool gFailNextNothrowNew = false;

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (std::exchange(gFailNextNothrowNew, false))
        return nullptr;
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

namespace {

const std::string kModulePath = THEATER_BIN_DIR "/Theater.wbp";

CWinApp* AppOfModule(const std::string& path)
{
    for (CWinApp* app : AfxGetAppObjects())
        if (app->GetModulePath() == path)
            return app;
    return nullptr;
}

constexpr uint32_t kPluginType = WbFourCC("TnPl");
constexpr uint32_t kDefinitionType = WbFourCC("TnDf");
using Ended = std::vector<WbDestruction>;

class TheaterModule : public testing::Test {
protected:
    void SetUp() override
    {
        WbLoadResult loaded = WbLoadPluginModule(kModulePath, &mWorld);
        ASSERT_TRUE(loaded.module) << loaded.error;
        mModule = std::move(loaded.module);
    }

    // The module's objects as the loader made them.
    WbTenantPlugin* Plugin() const { return mModule->GetProgramPlugin(); }
    WbTenantDef* Definition() const { return mModule->GetDefinition(); }
    // The objects that a call of the destruct function ends, which must report success.
    Ended DestructLogged() const
    {
        WbDestructionLog log;
        EXPECT_EQ(mModule->DestructProgramPluginEntry()(), 0);
        return log.GetDestructions();
    }

    WbWorldDef mWorld;
    std::unique_ptr<WbPluginModule> mModule;
};

TEST_F(TheaterModule, GetAttrMakesANewEqualRecordOnEveryCall)
{
    std::unique_ptr<WbPluginSpecifier> first(mModule->GetAttrEntry()());
    std::unique_ptr<WbPluginSpecifier> second(mModule->GetAttrEntry()());
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    // The path is left as the host's default constructor made it.
    for (const WbPluginSpecifier* attr : {first.get(), second.get()})
        EXPECT_EQ(std::tuple(attr->mName, attr->mType, attr->mParam1, attr->mParam2, attr->mPath.IsEmpty()),
                  std::tuple("Theater", 0x546E506Cu, -1, 0, true));
    EXPECT_EQ(mModule->GetAttr().mPath, kModulePath.c_str()) << "the loader's copy says where it came from";
}

// Constructing again, with another record, world and owner, changes nothing of what the loader made.
TEST_F(TheaterModule, ObjectsKnowTheirKindsAndOwnerAndAreMadeOnce)
{
    ASSERT_TRUE(Plugin() && Definition());
    EXPECT_EQ(std::tuple(Plugin()->GetType(), Plugin()->GetPluginStyle(), Plugin()->GetModuleHandleA()),
              std::tuple(kPluginType, WbFourCC("PPlg"), mModule->GetModuleHandle()));
    EXPECT_EQ(std::tuple(Definition()->GetType(), Definition()->GetPluginStyle(), Definition()->GetModuleHandleA()),
              std::tuple(kDefinitionType, WbFourCC("RPlg"), mModule->GetModuleHandle()));

    WbPluginSpecifier other;
    other.mName = "Other";
    WbWorldDef otherWorld;
    CResFile otherResFile(nullptr);
    WbTenantPlugin otherOwner(kPluginType, other);
    EXPECT_EQ(mModule->ConstructProgramPluginEntry()(other), Plugin());
    EXPECT_EQ(mModule->ConstructTemplatePluginEntry()(other, &otherResFile, &otherWorld, &otherOwner), Definition());
    EXPECT_EQ(Plugin()->GetSpecifier().mName, "Theater");
    EXPECT_EQ(Definition()->GetSpecifier().mName, "Theater");
    EXPECT_EQ(Definition()->GetPlugin(), Plugin());
    EXPECT_EQ(Definition()->GetWorldDef(), &mWorld);
}

// The program plugin ends first, then the definition; then the module is as at load.
TEST_F(TheaterModule, DestructEndsBothObjectsAndLeavesTheModuleAsAtLoad)
{
    EXPECT_EQ(DestructLogged(), (Ended{{Plugin(), kPluginType}, {Definition(), kDefinitionType}}));
    WbPluginSpecifier attr = mModule->GetAttr();
    CResFile resFile(mModule->GetModuleHandle());
    EXPECT_EQ(DestructLogged(), Ended{}) << "nothing made, nothing ended";
    WbTenantDef* alone = mModule->ConstructTemplatePluginEntry()(attr, &resFile, &mWorld, nullptr);
    EXPECT_EQ(DestructLogged(), (Ended{{alone, kDefinitionType}})) << "only the definition made";
    WbTenantPlugin* plugin = mModule->ConstructProgramPluginEntry()(attr);
    WbTenantDef* definition = mModule->ConstructTemplatePluginEntry()(attr, &resFile, &mWorld, plugin);
    ASSERT_TRUE(plugin && definition);
    EXPECT_EQ(definition->GetPlugin(), plugin);
    EXPECT_EQ(mModule->ConstructProgramPluginEntry()(attr), plugin) << "kept until the next destruct";
    EXPECT_EQ(DestructLogged(), (Ended{{plugin, kPluginType}, {definition, kDefinitionType}}));
}

// A second load is refused and leaves the first alone.
TEST_F(TheaterModule, IsInTheResourceChainOnceWithItsApplicationObjectUntilUnloaded)
{
    HINSTANCE handle = mModule->GetModuleHandle();
    ASSERT_NE(handle, nullptr);
    WbLoadResult again = WbLoadPluginModule(kModulePath, &mWorld);
    EXPECT_FALSE(again.module);
    EXPECT_EQ(again.error, kModulePath + ": module is loaded already");
    const std::vector<HINSTANCE> chain = AfxGetModuleChain();
    EXPECT_NE(std::find(chain.begin(), chain.end(), handle), chain.end());
    EXPECT_EQ(AfxFindModule(kModulePath), handle);
    EXPECT_EQ(handle->resources.size(), TheaterResourceBytes().size());
    CWinApp* app = AppOfModule(handle->path);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(AfxGetApp(), app);

    const Ended objects{{Plugin(), kPluginType}, {Definition(), kDefinitionType}};
    const std::string path = handle->path;
    WbDestructionLog log;
    mModule.reset();
    EXPECT_EQ(log.GetDestructions(), objects) << "unloading ends both objects";
    EXPECT_EQ(AfxFindModule(kModulePath), nullptr);
    EXPECT_EQ(AppOfModule(path), nullptr);
}

// The entry points as linked into this program (not the loaded module file), whose allocations can be made
// to fail.
TEST(TheaterModuleEntries, AFailedAllocationIsStoredAsNullAndTheNextCallTriesAgain)
{
    WbPluginSpecifier attr = *std::unique_ptr<WbPluginSpecifier>(GetAttr());
    gFailNextNothrowNew = true;
    EXPECT_EQ(ConstructProgramPlugin(attr), nullptr);
    WbTenantPlugin* plugin = ConstructProgramPlugin(attr);
    ASSERT_NE(plugin, nullptr);
    gFailNextNothrowNew = true;
    EXPECT_EQ(ConstructTemplatePlugin(attr, nullptr, nullptr, plugin), nullptr);
    WbTenantDef* definition = ConstructTemplatePlugin(attr, nullptr, nullptr, plugin);
    ASSERT_NE(definition, nullptr);
    EXPECT_EQ(definition->GetPlugin(), plugin);
    EXPECT_EQ(DestructProgramPlugin(), 0);
}

} // namespace
