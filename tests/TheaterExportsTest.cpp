// The module file as the platform's loader sees it, native and Windows: the four entry points by their plain
// names and nothing else, and the Windows module's resource section.
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

// The bytes of a hex dump line "0010: 00000000 00B80600  |........|", appended to data.
void AppendDumpLine(const std::string& line, std::vector<uint8_t>& data)
{
    std::istringstream words(line.substr(line.find(':') + 1, line.find('|') - line.find(':') - 1));
    for (std::string word; words >> word;)
        for (size_t i = 0; i + 1 < word.size(); i += 2)
            data.push_back(uint8_t(std::stoul(word.substr(i, 2), nullptr, 16)));
}

TEST(TheaterExports, WindowsModuleCarriesEveryResourceByteForByte)
{
    const std::string listing = ReadWindowsModule("--coff-resources");
    // The listing nests "Type: ATTR [" or "Type: BITMAP (ID 2) [", then "Name: (ID 128) [", then
    // "Language: (ID 0) [", and inside that "DataSize: 44" and the data as a hex dump between "Data (" and ")".
    using ResourceKey = std::pair<std::string, uint32_t>; // type as printed, ID
    std::map<ResourceKey, std::vector<uint8_t>> contents;
    std::set<std::string> languages;
    std::string type;
    uint32_t id = 0;
    bool inData = false;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string key, idWord;
        fields >> key;
        if (inData && key == ")")
            inData = false;
        else if (inData)
            AppendDumpLine(line, contents[{type, id}]);
        else if (key == "Type:")
            fields >> type;
        else if (key == "Name:")
            fields >> idWord >> id;
        else if (key == "Language:")
            languages.insert(line.substr(line.find(':')));
        else if (key == "Data" && line.find('(') != std::string::npos)
            inData = true;
    }
    EXPECT_EQ(languages, (std::set<std::string>{": (ID 0) ["}));

    // The same bytes as the native module's resources, which the record and picture tests check.
    const WbParsed<std::vector<WbResEntry>> native = WbParseResFile(TheaterResourceBytes());
    ASSERT_TRUE(native) << native.GetError();
    ASSERT_EQ(contents.size(), TheaterInventory().size());
    for (const ExpectedResource& resource : TheaterInventory()) {
        const WbResEntry* entry = resource.typeNumber ? WbFindResEntry(*native, resource.typeNumber, resource.id)
                                                      : WbFindResEntry(*native, resource.printedType, resource.id);
        ASSERT_NE(entry, nullptr) << resource.printedType << " " << resource.id;
        const std::vector<uint8_t>& windows = contents[{resource.printedType, resource.id}];
        EXPECT_EQ(windows.size(), resource.size) << resource.printedType << " " << resource.id;
        EXPECT_TRUE(std::equal(windows.begin(), windows.end(), entry->data.begin(), entry->data.end()))
            << resource.printedType << " " << resource.id;
    }
}

} // namespace
