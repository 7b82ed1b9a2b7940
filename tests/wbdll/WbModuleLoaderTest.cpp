// The host's loader on files that are not good modules: each refusal is named, and nothing stays loaded.
#include "WbModuleLoader.h"
#include "Afx.h"
#include "WbDestructionLog.h"
#include "WbTowerDoc.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>

namespace {

std::string TestModule(const char* fault) { return std::string(THEATER_TEST_MODULE_DIR "/") + fault + ".wbp"; }

// True while the platform's loader still has the file mapped.
bool IsMapped(const std::string& path)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

// Files that are no modules, and test modules built with one fault each: the fault is named, nothing of the
// file stays loaded, and the one module that made its program plug-in before failing has it ended.
TEST(WbModuleLoader, NamesTheFaultOfABadModuleAndUnloadsIt)
{
    const std::string missing = THEATER_TEST_MODULE_DIR "/NoSuchModule.wbp";
    const std::string text = testing::TempDir() + "WbModuleLoaderTest-notes.wbp";
    std::ofstream(text) << "These are notes about the theater, written as plain text and nothing like a module.\n";
    std::vector<std::pair<std::string, std::string>> cases = {
        {missing, missing + ": no such file"},
        {THEATER_TEST_MODULE_DIR, THEATER_TEST_MODULE_DIR ": is a directory, not a module file"},
        {text, text + ": not a loadable module (" + text + ": invalid ELF header)"},
    };
    for (const auto& [fault, error] : {
             std::pair{"MISSING_EXPORTS", "module exports no ConstructTemplatePlugin, DestructProgramPlugin"},
             {"NO_ATTR", "GetAttr returned no attribute record"},
             {"WRONG_TYPE", "module type is 'TnDf', expected 'TnPl'"},
             {"UNPRINTABLE_TYPE", "module type is 0x00000001, expected 'TnPl'"},
             {"NO_PROGRAM_PLUGIN", "ConstructProgramPlugin returned no program plug-in"},
             {"NO_DEFINITION", "ConstructTemplatePlugin returned no definition"},
         })
        cases.emplace_back(TestModule(fault), TestModule(fault) + ": " + error);
    WbWorldDef world;
    for (const auto& [path, error] : cases) {
        SCOPED_TRACE(path);
        const WbDestructionLog log;
        WbLoadResult result = WbLoadPluginModule(path, &world);
        EXPECT_FALSE(result.module);
        EXPECT_EQ(result.error, error);
        EXPECT_EQ(AfxFindModule(path), nullptr);
        EXPECT_FALSE(IsMapped(path));
        EXPECT_EQ(log.GetDestructions().size(), path == TestModule("NO_DEFINITION") ? 1u : 0u);
    }
    std::filesystem::remove(text);
}

TEST(WbModuleLoader, GivesAModuleOutsideTheChainARecordOfItsOwn)
{
    const std::string path = TestModule("UNREGISTERED");
    WbWorldDef world;
    WbLoadResult result = WbLoadPluginModule(path, &world);
    ASSERT_TRUE(result.module) << result.error;
    HINSTANCE handle = result.module->GetModuleHandle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(AfxFindModule(path), nullptr);
    EXPECT_EQ(handle->path, std::filesystem::canonical(path).string());
    EXPECT_NE(handle->library, nullptr);
    EXPECT_EQ(result.module->GetProgramPlugin()->GetModuleHandleA(), handle);

    result.module.reset();
    EXPECT_FALSE(IsMapped(path));
}

} // namespace
