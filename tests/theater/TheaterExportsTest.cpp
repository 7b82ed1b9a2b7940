// The 32-bit Windows module file as its loader sees it: the four entry points alone, its DLLs and resources.
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace {

const std::string kModule = THEATER_WIN32_BIN_DIR "/Theater.wbp";
using Set = std::set<std::string>;

// The first word after "key: " on each line the object reader prints for the module with these options.
Set Values(const std::string& options, const std::string& key)
{
    const std::string command = THEATER_READOBJ " " + options + " '" + kModule + "'";
    const std::string label = key + ": ";
    Set values;
    FILE* pipe = popen(command.c_str(), "r");
    char line[4096];
    while (pipe && fgets(line, sizeof line, pipe))
        if (const char* value = std::strstr(line, label.c_str()))
            values.emplace(value + label.size(), std::strcspn(value + label.size(), " \n"));
    EXPECT_EQ(pipe ? pclose(pipe) : -1, 0) << command;
    return values;
}

// The resources are the native module's resource file, converted for the machine; the Windows host's test
// finds each of them in the 64-bit module, converted from the same file.
TEST(TheaterExports, WindowsModuleIsA32BitDllWithTheFourEntryPoints)
{
    ASSERT_TRUE(std::filesystem::exists(kModule)) << kModule << " is missing: build the win32 preset first";
    EXPECT_EQ(Values("--file-headers", "Format"), Set{"COFF-i386"});
    EXPECT_EQ(Values("--file-headers", "Machine"), Set{"IMAGE_FILE_MACHINE_I386"});
    EXPECT_EQ(Values("--coff-exports", "Name"),
              (Set{"GetAttr", "ConstructProgramPlugin", "ConstructTemplatePlugin", "DestructProgramPlugin"}));
    EXPECT_EQ(Values("--coff-resources", "Total Number of Resources"), Set{std::to_string(TheaterInventory().size())});
    // Self-contained: the compiler's runtime is inside; only the system's DLLs and the host library are needed.
    const Set imports = Values("--coff-imports", "Name");
    EXPECT_TRUE(imports.contains("WBDLL.dll"));
    EXPECT_TRUE(std::ranges::includes(Set{"KERNEL32.dll", "WBDLL.dll", "msvcrt.dll"}, imports));
}

} // namespace
