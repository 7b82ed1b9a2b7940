// The theater module's lifecycle as the host drives it: the real module file, loaded by the host's loader.
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
#include <tuple>
#include <utility>

namespace {

const std::string kModulePath = THEATER_BIN_DIR "/Theater.wbp";

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

    WbWorldDef mWorld;
    std::unique_ptr<WbPluginModule> mModule;
};

// Each call of GetAttr gives a record of its own, its path left as the host's default constructor made it;
// constructing again, with another record, world and owner, changes nothing of what the loader made.
TEST_F(TheaterModule, RecordsAreNewOnEveryCallAndObjectsAreMadeOnce)
{
    std::unique_ptr<WbPluginSpecifier> first(mModule->GetAttrEntry()()), second(mModule->GetAttrEntry()());
    ASSERT_TRUE(first && second && first != second);
    for (const WbPluginSpecifier* attr : {first.get(), second.get()})
        EXPECT_EQ(std::tuple(attr->mName, attr->mType, attr->mParam1, attr->mParam2, attr->mPath.IsEmpty()),
                  std::tuple("Theater", 0x546E506Cu, -1, 0, true));

    ASSERT_TRUE(Plugin() && Definition());
    EXPECT_EQ(std::tuple(Plugin()->GetType(), Plugin()->GetPluginStyle(), Plugin()->GetModuleHandleA()),
              std::tuple(WbFourCC("TnPl"), WbFourCC("PPlg"), mModule->GetModuleHandle()));
    EXPECT_EQ(std::tuple(Definition()->GetType(), Definition()->GetPluginStyle(), Definition()->GetModuleHandleA()),
              std::tuple(WbFourCC("TnDf"), WbFourCC("RPlg"), mModule->GetModuleHandle()));
    WbWorldDef otherWorld;
    CResFile otherResFile(nullptr);
    WbTenantPlugin otherOwner(WbFourCC("TnPl"), *second);
    second->mName = "Other";
    EXPECT_EQ(mModule->ConstructProgramPluginEntry()(*second), Plugin());
    EXPECT_EQ(mModule->ConstructTemplatePluginEntry()(*second, &otherResFile, &otherWorld, &otherOwner), Definition());
    EXPECT_EQ(Definition()->GetSpecifier().mName, "Theater");
    EXPECT_EQ(std::tuple(Definition()->GetPlugin(), Definition()->GetWorldDef()), std::tuple(Plugin(), &mWorld));
}

// A second load is refused and leaves the first alone.
TEST_F(TheaterModule, IsInTheResourceChainOnceWithItsApplicationObjectUntilUnloaded)
{
    HINSTANCE handle = mModule->GetModuleHandle();
    ASSERT_NE(handle, nullptr);
    WbLoadResult again = WbLoadPluginModule(kModulePath, &mWorld);
    EXPECT_FALSE(again.module);
    EXPECT_EQ(again.error, kModulePath + ": module is loaded already");
    EXPECT_EQ(std::ranges::count(AfxGetModuleChain(), handle), 1);
    EXPECT_EQ(AfxFindModule(kModulePath), handle);
    EXPECT_EQ(handle->resources.size(), TheaterResourceBytes().size());
    ASSERT_NE(AfxGetApp(), nullptr);
    EXPECT_EQ(AfxGetApp()->GetModulePath(), handle->path) << "the module's application object is the current one";

    const std::vector<WbDestruction> objects{{Plugin(), WbFourCC("TnPl")}, {Definition(), WbFourCC("TnDf")}};
    const std::string path = handle->path;
    WbDestructionLog log;
    mModule.reset();
    EXPECT_EQ(log.GetDestructions(), objects) << "unloading ends both objects";
    EXPECT_EQ(AfxFindModule(kModulePath), nullptr);
    EXPECT_EQ(std::ranges::count(AfxGetAppObjects(), path, &CWinApp::GetModulePath), 0);
}

} // namespace
