// The module file as the platform's loader sees it, native and Windows: the four entry points by their plain
// names and nothing else, and the Windows module's resource section.
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

const std::set<std::string> kEntryPoints{"GetAttr", "ConstructProgramPlugin", "ConstructTemplatePlugin",
                                         "DestructProgramPlugin"};
const std::string kWindowsModule = THEATER_WIN32_BIN_DIR "/Theater.wbp";

// What the command printed on its standard output; its exit status goes to status.
std::string RunCommand(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    status = pipe ? pclose(pipe) : -1;
    return output;
}

// llvm-readobj's listing of the Windows module with these options.
std::string ReadWindowsModule(const std::string& options)
{
    if (!std::filesystem::exists(kWindowsModule)) {
        ADD_FAILURE() << kWindowsModule << " is missing: build the win32 preset first";
        return {};
    }
    int status = 0;
    const std::string listing =
        RunCommand(std::string(THEATER_READOBJ) + " " + options + " '" + kWindowsModule + "'", status);
    EXPECT_EQ(status, 0) << listing;
    return listing;
}

TEST(TheaterExports, NativeModuleDefinesOnlyTheFourEntryPoints)
{
    const std::string module = THEATER_BIN_DIR "/Theater.wbp";
    int status = 0;
    const std::string listing = RunCommand(std::string(THEATER_NM) + " -D --defined-only '" + module + "'", status);
    ASSERT_EQ(status, 0) << listing;

    // Lines are "address kind name"; every entry point is code in the text section.
    std::set<std::string> names;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, kind, name;
        fields >> address >> kind >> name;
        names.insert(name);
        EXPECT_EQ(kind, "T") << line;
    }
    EXPECT_EQ(names, kEntryPoints) << listing;
}

TEST(TheaterExports, WindowsModuleIsA32BitDllExportingOnlyTheFourEntryPoints)
{
    const std::string listing = ReadWindowsModule("--file-headers --coff-exports --coff-imports");
    std::set<std::string> exports;
    std::set<std::string> imports;
    std::string format, machine;
    bool inExport = false;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string key, value;
        fields >> key >> value;
        if (key == "Format:")
            format = value;
        else if (key == "Machine:")
            machine = value;
        else if (key == "Export")
            inExport = true;
        else if (key == "Import")
            inExport = false;
        else if (key == "Name:")
            (inExport ? exports : imports).insert(value);
    }
    EXPECT_EQ(format, "COFF-i386");
    EXPECT_EQ(machine, "IMAGE_FILE_MACHINE_I386");
    EXPECT_EQ(exports, kEntryPoints) << listing;
    // Self-contained: the compiler's runtime is inside; only the system's DLLs and the host library are needed.
    EXPECT_TRUE(imports.count("WBDLL.dll")) << listing;
    for (const std::string& dll : imports)
        EXPECT_TRUE(dll == "WBDLL.dll" || dll == "KERNEL32.dll" || dll == "msvcrt.dll") << dll;
}

TEST(TheaterExports, WindowsModuleCarriesEveryResourceWithItsSize)
{
    const std::string listing = ReadWindowsModule("--coff-resources");
    // The listing nests "Type: ATTR [" or "Type: BITMAP (ID 2) [", then "Name: (ID 128) [", then
    // "Language: (ID 0) [", and inside that "DataSize: 44".
    using ResourceKey = std::pair<std::string, uint32_t>; // type as printed, ID
    std::map<ResourceKey, size_t> sizes;
    std::set<std::string> languages;
    std::string type;
    uint32_t id = 0;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string key, idWord;
        fields >> key;
        if (key == "Type:")
            fields >> type;
        else if (key == "Name:")
            fields >> idWord >> id;
        else if (key == "Language:")
            languages.insert(line.substr(line.find(':')));
        else if (key == "DataSize:")
            fields >> sizes[{type, id}];
    }
    std::map<ResourceKey, size_t> expected;
    for (const ExpectedResource& resource : TheaterInventory())
        expected[{resource.printedType, resource.id}] = resource.size;
    EXPECT_EQ(sizes, expected);
    EXPECT_EQ(languages, (std::set<std::string>{": (ID 0) ["}));
}

} // namespace
