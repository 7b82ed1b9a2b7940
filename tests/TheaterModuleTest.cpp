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

namespace {

const std::string kModulePath = THEATER_BIN_DIR "/Theater.wbp";

CWinApp* AppOfModule(const std::string& path)
{
    for (CWinApp* app : AfxGetAppObjects())
        if (app->GetModulePath() == path)
            return app;
    return nullptr;
}

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

TEST_F(TheaterModule, GetAttrMakesANewEqualRecordOnEveryCall)
{
    std::unique_ptr<WbPluginSpecifier> first(mModule->GetAttrEntry()());
    std::unique_ptr<WbPluginSpecifier> second(mModule->GetAttrEntry()());
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    for (const WbPluginSpecifier* attr : {first.get(), second.get()}) {
        EXPECT_EQ(attr->mName, "Theater");
        EXPECT_EQ(attr->mType, 0x546E506Cu);
        EXPECT_EQ(attr->mParam1, -1);
        EXPECT_EQ(attr->mParam2, 0);
        // Left as the host's default constructor made it.
        EXPECT_TRUE(attr->mPath.IsEmpty());
    }
    // The loader kept a copy and added where it came from.
    EXPECT_EQ(mModule->GetAttr().mName, "Theater");
    EXPECT_EQ(mModule->GetAttr().mPath, kModulePath.c_str());
}

TEST_F(TheaterModule, ObjectsKnowTheirKindsTheirOwnerAndTheirModule)
{
    ASSERT_TRUE(Plugin() && Definition());
    EXPECT_EQ(Plugin()->GetType(), WbFourCC("TnPl"));
    EXPECT_EQ(Plugin()->GetPluginStyle(), WbFourCC("PPlg"));
    EXPECT_EQ(Plugin()->GetSpecifier().mName, "Theater");
    EXPECT_EQ(Definition()->GetType(), WbFourCC("TnDf"));
    EXPECT_EQ(Definition()->GetPluginStyle(), WbFourCC("RPlg"));
    EXPECT_EQ(Definition()->GetPlugin(), Plugin());
    EXPECT_EQ(Definition()->GetWorldDef(), &mWorld);
    EXPECT_EQ(Plugin()->GetModuleHandleA(), mModule->GetModuleHandle());
    EXPECT_EQ(Definition()->GetModuleHandleA(), mModule->GetModuleHandle());
}

TEST_F(TheaterModule, ConstructingAgainGivesTheFirstObjectsUnchanged)
{
    WbPluginSpecifier other;
    other.mName = "Other";
    other.mType = WbFourCC("Othr");
    WbWorldDef otherWorld;
    CResFile otherResFile(nullptr);
    WbTenantPlugin otherOwner(WbFourCC("TnPl"), other);

    EXPECT_EQ(mModule->ConstructProgramPluginEntry()(other), Plugin());
    EXPECT_EQ(mModule->ConstructTemplatePluginEntry()(other, &otherResFile, &otherWorld, &otherOwner), Definition());
    EXPECT_EQ(Plugin()->GetSpecifier().mName, "Theater");
    EXPECT_EQ(Definition()->GetSpecifier().mName, "Theater");
    EXPECT_EQ(Definition()->GetPlugin(), Plugin());
    EXPECT_EQ(Definition()->GetWorldDef(), &mWorld);
}

TEST_F(TheaterModule, DestructEndsTheProgramPluginFirstThenTheDefinition)
{
    const void* plugin = Plugin();
    const void* definition = Definition();
    WbDestructionLog log;
    EXPECT_EQ(mModule->DestructProgramPluginEntry()(), 0);
    ASSERT_EQ(log.GetDestructions().size(), 2u);
    EXPECT_EQ(log.GetDestructions()[0].object, plugin);
    EXPECT_EQ(log.GetDestructions()[0].type, WbFourCC("TnPl"));
    EXPECT_EQ(log.GetDestructions()[1].object, definition);
    EXPECT_EQ(log.GetDestructions()[1].type, WbFourCC("TnDf"));
}

TEST_F(TheaterModule, DestructWithNothingMadeDoesNothing)
{
    mModule->DestructProgramPluginEntry()();
    WbDestructionLog log;
    EXPECT_EQ(mModule->DestructProgramPluginEntry()(), 0);
    EXPECT_TRUE(log.GetDestructions().empty());
}

TEST_F(TheaterModule, ConstructAfterDestructMakesNewObjects)
{
    mModule->DestructProgramPluginEntry()();
    WbPluginSpecifier attr = mModule->GetAttr();
    CResFile resFile(mModule->GetModuleHandle());

    WbTenantPlugin* plugin = mModule->ConstructProgramPluginEntry()(attr);
    ASSERT_NE(plugin, nullptr);
    WbTenantDef* definition = mModule->ConstructTemplatePluginEntry()(attr, &resFile, &mWorld, plugin);
    ASSERT_NE(definition, nullptr);
    EXPECT_EQ(definition->GetPlugin(), plugin);
    EXPECT_EQ(mModule->ConstructProgramPluginEntry()(attr), plugin);

    WbDestructionLog log;
    mModule->DestructProgramPluginEntry()();
    ASSERT_EQ(log.GetDestructions().size(), 2u);
    EXPECT_EQ(log.GetDestructions()[0].object, plugin);
    EXPECT_EQ(log.GetDestructions()[1].object, definition);
}

TEST_F(TheaterModule, DestructWithOnlyTheDefinitionEndsTheDefinition)
{
    mModule->DestructProgramPluginEntry()();
    WbPluginSpecifier attr = mModule->GetAttr();
    CResFile resFile(mModule->GetModuleHandle());
    WbTenantDef* definition = mModule->ConstructTemplatePluginEntry()(attr, &resFile, &mWorld, nullptr);
    ASSERT_NE(definition, nullptr);

    WbDestructionLog log;
    EXPECT_EQ(mModule->DestructProgramPluginEntry()(), 0);
    ASSERT_EQ(log.GetDestructions().size(), 1u);
    EXPECT_EQ(log.GetDestructions()[0].object, definition);
    EXPECT_EQ(log.GetDestructions()[0].type, WbFourCC("TnDf"));
}

TEST_F(TheaterModule, IsInTheResourceChainWithItsApplicationObjectUntilUnloaded)
{
    HINSTANCE handle = mModule->GetModuleHandle();
    ASSERT_NE(handle, nullptr);
    const std::vector<HINSTANCE> chain = AfxGetModuleChain();
    EXPECT_NE(std::find(chain.begin(), chain.end(), handle), chain.end());
    EXPECT_EQ(AfxFindModule(kModulePath), handle);
    EXPECT_NE(handle->library, nullptr);
    EXPECT_EQ(handle->resources.size(), TheaterResourceBytes().size());
    CWinApp* app = AppOfModule(handle->path);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(AfxGetApp(), app);

    const std::string path = handle->path;
    mModule.reset();
    EXPECT_EQ(AfxFindModule(kModulePath), nullptr);
    EXPECT_EQ(AppOfModule(path), nullptr);
}

TEST_F(TheaterModule, UnloadEndsBothObjects)
{
    const void* plugin = Plugin();
    const void* definition = Definition();
    WbDestructionLog log;
    mModule.reset();
    ASSERT_EQ(log.GetDestructions().size(), 2u);
    EXPECT_EQ(log.GetDestructions()[0].object, plugin);
    EXPECT_EQ(log.GetDestructions()[1].object, definition);
}

TEST_F(TheaterModule, ASecondLoadIsRefusedAndLeavesTheFirstAlone)
{
    WbLoadResult again = WbLoadPluginModule(kModulePath, &mWorld);
    EXPECT_FALSE(again.module);
    EXPECT_EQ(again.error, kModulePath + ": module is loaded already");
    WbPluginSpecifier attr = mModule->GetAttr();
    EXPECT_EQ(mModule->ConstructProgramPluginEntry()(attr), Plugin());
    EXPECT_EQ(AfxFindModule(kModulePath), mModule->GetModuleHandle());
}

} // namespace
