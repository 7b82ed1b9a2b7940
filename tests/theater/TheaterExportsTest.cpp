// The 32-bit Windows module file as its loader sees it: the four entry points alone, its DLLs and resources.
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::set<std::string> kEntryPoints{"GetAttr", "ConstructProgramPlugin", "ConstructTemplatePlugin",
                                         "DestructProgramPlugin"};

// What the command printed on its standard output, after it ended with status 0.
std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    EXPECT_EQ(pipe ? pclose(pipe) : -1, 0) << command << "\n" << output;
    return output;
}

// The resources are the native module's resource file, converted for the machine; the Windows host's test
// finds each of them in the 64-bit module, converted from the same file.
TEST(TheaterExports, WindowsModuleIsA32BitDllWithTheFourEntryPoints)
{
    const std::string module = THEATER_WIN32_BIN_DIR "/Theater.wbp";
    ASSERT_TRUE(std::filesystem::exists(module)) << module << " is missing: build the win32 preset first";
    const std::string listing =
        RunCommand(THEATER_READOBJ " --file-headers --coff-exports --coff-imports --coff-resources '" + module + "'");
    // Exports and imports are blocks "Export {" and "Import {" holding "Name: GetAttr"; the resource section
    // is a block "Resources [".
    std::map<std::string, std::string> headers;
    std::set<std::string> exports, imports;
    bool inExport = false;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string key, value;
        fields >> key >> value;
        if (key == "Format:" || key == "Machine:")
            headers[key] = value;
        else if (key == "Export" || key == "Import")
            inExport = key == "Export";
        else if (key == "Name:" && value.front() != '(')
            (inExport ? exports : imports).insert(value);
        else if (key == "Total" && value == "Number")
            headers["Resources:"] = line.substr(line.find(':') + 2);
    }
    EXPECT_EQ(headers, (std::map<std::string, std::string>{{"Format:", "COFF-i386"},
                                                           {"Machine:", "IMAGE_FILE_MACHINE_I386"},
                                                           {"Resources:", std::to_string(TheaterInventory().size())}}));
    EXPECT_EQ(exports, kEntryPoints) << listing;
    // Self-contained: the compiler's runtime is inside; only the system's DLLs and the host library are needed.
    EXPECT_TRUE(imports.contains("WBDLL.dll")) << listing;
    EXPECT_TRUE(std::ranges::includes(std::set<std::string>{"KERNEL32.dll", "WBDLL.dll", "msvcrt.dll"}, imports));
}

} // namespace
