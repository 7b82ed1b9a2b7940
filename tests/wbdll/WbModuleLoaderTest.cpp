// The host's loader on files that are not good modules: each refusal is named, and nothing stays loaded.
#include "WbModuleLoader.h"
#include "Afx.h"
#include "WbDestructionLog.h"
#include "WbTowerDoc.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

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
        {text, text + ": not a module: the file does not begin as an ELF file"},
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

std::string Slurp(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// True while any part of the file is mapped into the process, by whatever means.
bool InProcessMaps(const std::string& path)
{
    return Slurp("/proc/self/maps").find(std::filesystem::absolute(path).string()) != std::string::npos;
}

// The real module cut short at the places a broken copy or download leaves it, and files that are no
// module of this system at all: each is refused before the system loader maps anything of it, with the
// file's name and what its headers say is missing.
TEST(WbModuleLoader, RefusesADamagedModuleFileBeforeMappingIt)
{
    const std::string module = Slurp(THEATER_BIN_DIR "/Theater.wbp");
    ASSERT_GT(module.size(), 8192u);
    Elf64_Ehdr header;
    std::memcpy(&header, module.data(), sizeof header);
    const size_t headersEnd = header.e_phoff + size_t(header.e_phnum) * header.e_phentsize;
    std::string windows(512, '\0');
    windows.replace(0, 2, "MZ");
    const struct {
        const char* name;
        std::string bytes;
        std::string damage; // what the message says after the file's name; a cut also says the file's size
    } cases[] = {
        {"Half.wbp", module.substr(0, module.size() / 2), "cut short: "},
        {"FourKiB.wbp", module.substr(0, 4096), "cut short: "},
        {"Headers.wbp", module.substr(0, headersEnd), "cut short: "},
        {"Empty.wbp", "", "empty file, not a module"},
        {"Garbage.wbp", std::string(300, '\x9C'), "not a module: the file does not begin as an ELF file"},
        {"Notes.wbp", "Show times for the Roxy, written down by hand.\n",
         "not a module: the file does not begin as an ELF file"},
        {"Windows.wbp", windows, "a Windows module (PE), which this system cannot load"},
    };
    WbWorldDef world;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = testing::TempDir() + "WbModuleLoaderTest-" + c.name;
        std::ofstream(path, std::ios::binary) << c.bytes;
        const WbLoadResult result = WbLoadPluginModule(path, &world);
        EXPECT_FALSE(result.module);
        EXPECT_EQ(result.error.rfind(path + ": " + c.damage, 0), 0u) << result.error;
        if (c.damage == "cut short: ") {
            EXPECT_NE(result.error.find(", the file has " + std::to_string(c.bytes.size())), std::string::npos)
                << result.error;
        }
        EXPECT_FALSE(IsMapped(path));
        EXPECT_FALSE(InProcessMaps(path));
        EXPECT_EQ(AfxFindModule(path), nullptr);
        std::filesystem::remove(path);
    }
}

} // namespace
