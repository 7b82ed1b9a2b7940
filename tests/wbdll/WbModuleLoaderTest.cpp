// The host's loader on files that are not good modules: each refusal is named, and nothing stays loaded.
#include "WbModuleLoader.h"
#include "Afx.h"
#include "ChildProcess.h"
#include "WbDestructionLog.h"
#include "WbTowerDoc.h"

#include <gtest/gtest.h>

#include <elf.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

std::string TestModule(const char* fault) { return std::string(THEATER_TEST_MODULE_DIR "/") + fault + ".wbp"; }

// True while any part of the file is mapped into the process, by whatever means.
bool InProcessMaps(const std::string& path)
{
    return Slurp("/proc/self/maps").find(std::filesystem::absolute(path).string()) != std::string::npos;
}

// Files that are no modules, the real module cut short as a broken copy leaves it (refused before the system loader
// maps any of it), and test modules built with one fault each; one made its program plug-in, which is ended.
TEST(WbModuleLoader, NamesTheFaultOfABadModuleAndUnloadsIt)
{
    const std::string module = Slurp(THEATER_BIN_DIR "/Theater.wbp");
    ASSERT_GT(module.size(), 8192u);
    Elf64_Ehdr header;
    std::memcpy(&header, module.data(), sizeof header);
    const size_t headersEnd = header.e_phoff + size_t(header.e_phnum) * header.e_phentsize;
    std::string windows(512, '\0');
    windows.replace(0, 2, "MZ");
    const TempFolder folder("loader-test");
    // The path, and what the message says after it; a cut also says the file's size.
    std::vector<std::pair<std::string, std::string>> cases = {
        {THEATER_TEST_MODULE_DIR "/NoSuchModule.wbp", "no such file"},
        {THEATER_TEST_MODULE_DIR, "is a directory, not a module file"},
        {folder.WriteFile("Headers.wbp", module.substr(0, headersEnd)), "cut short: "},
        {folder.WriteFile("Empty.wbp", ""), "empty file, not a module"},
        {folder.WriteFile("Garbage.wbp", std::string(300, '\x9C')),
         "not a module: the file does not begin as an ELF file"},
        {folder.WriteFile("Windows.wbp", windows), "a Windows module (PE), which this system cannot load"},
    };
    for (const auto& [fault, error] : {
             std::pair{"MISSING_EXPORTS", "module exports no ConstructTemplatePlugin, DestructProgramPlugin"},
             {"NO_ATTR", "GetAttr returned no attribute record"},
             {"WRONG_TYPE", "module type is 'TnDf', expected 'TnPl'"},
             {"UNPRINTABLE_TYPE", "module type is 0x00000001, expected 'TnPl'"},
             {"NO_PROGRAM_PLUGIN", "ConstructProgramPlugin returned no program plug-in"},
             {"NO_DEFINITION", "ConstructTemplatePlugin returned no definition"},
         })
        cases.emplace_back(TestModule(fault), error);
    WbWorldDef world;
    for (const auto& [path, error] : cases) {
        SCOPED_TRACE(path);
        const WbDestructionLog log;
        WbLoadResult result = WbLoadPluginModule(path, &world);
        EXPECT_FALSE(result.module);
        if (error == "cut short: ") {
            EXPECT_EQ(result.error.rfind(path + ": " + error, 0), 0u) << result.error;
            EXPECT_NE(result.error.find(", the file has " + std::to_string(std::filesystem::file_size(path))),
                      std::string::npos)
                << result.error;
        } else {
            EXPECT_EQ(result.error, path + ": " + error);
        }
        EXPECT_EQ(AfxFindModule(path), nullptr);
        EXPECT_FALSE(InProcessMaps(path));
        EXPECT_EQ(log.GetDestructions().size(), path == TestModule("NO_DEFINITION") ? 1u : 0u);
    }
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
    EXPECT_TRUE(InProcessMaps(path));

    result.module.reset();
    EXPECT_FALSE(InProcessMaps(path));
}

} // namespace
