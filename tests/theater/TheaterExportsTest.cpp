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

TEST(TheaterExports, NativeModuleDefinesOnlyTheFourEntryPoints)
{
    const std::string listing = RunCommand(THEATER_NM " -D --defined-only '" THEATER_BIN_DIR "/Theater.wbp'");
    // Lines are "address kind name"; every entry point is code in the text section.
    std::set<std::string> names;
    std::istringstream fields(listing);
    for (std::string address, kind, name; fields >> address >> kind >> name;) {
        names.insert(name);
        EXPECT_EQ(kind, "T") << name;
    }
    EXPECT_EQ(names, kEntryPoints) << listing;
}

// The bytes of a hex dump line "0010: 00000000 00B80600  |........|", appended to data.
void AppendDumpLine(const std::string& line, std::vector<uint8_t>& data)
{
    std::istringstream words(line.substr(line.find(':') + 1, line.find('|') - line.find(':') - 1));
    for (std::string word; words >> word;)
        for (size_t i = 0; i + 1 < word.size(); i += 2)
            data.push_back(uint8_t(std::stoul(word.substr(i, 2), nullptr, 16)));
}

TEST(TheaterExports, WindowsModuleIsA32BitDllWithTheFourEntryPointsAndEveryResource)
{
    const std::string module = THEATER_WIN32_BIN_DIR "/Theater.wbp";
    ASSERT_TRUE(std::filesystem::exists(module)) << module << " is missing: build the win32 preset first";
    const std::string listing =
        RunCommand(THEATER_READOBJ " --file-headers --coff-exports --coff-imports --coff-resources '" + module + "'");
    // Exports and imports are blocks "Export {" and "Import {" holding "Name: GetAttr". Resources nest
    // "Type: ATTR [" or "Type: BITMAP (ID 2) [", then "Name: (ID 128) [", then "Language: (ID 0) [", and
    // inside that the data as a hex dump between "Data (" and ")".
    std::map<std::string, std::string> headers;
    std::string type;
    std::set<std::string> exports, imports, languages;
    std::map<std::pair<std::string, uint32_t>, std::vector<uint8_t>> contents; // by type as printed and ID
    uint32_t id = 0;
    bool inExport = false, inData = false;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string key, value;
        fields >> key >> value;
        if (inData && key == ")")
            inData = false;
        else if (inData)
            AppendDumpLine(line, contents[{type, id}]);
        else if (key == "Format:" || key == "Machine:")
            headers[key] = value;
        else if (key == "Export" || key == "Import")
            inExport = key == "Export";
        else if (key == "Name:" && value == "(ID")
            fields >> id;
        else if (key == "Name:")
            (inExport ? exports : imports).insert(value);
        else if (key == "Type:")
            type = value;
        else if (key == "Language:")
            languages.insert(line.substr(line.find(':')));
        else if (key == "Data" && value == "(")
            inData = true;
    }
    EXPECT_EQ(headers,
              (std::map<std::string, std::string>{{"Format:", "COFF-i386"}, {"Machine:", "IMAGE_FILE_MACHINE_I386"}}));
    EXPECT_EQ(exports, kEntryPoints) << listing;
    // Self-contained: the compiler's runtime is inside; only the system's DLLs and the host library are needed.
    EXPECT_TRUE(imports.contains("WBDLL.dll")) << listing;
    EXPECT_TRUE(std::ranges::includes(std::set<std::string>{"KERNEL32.dll", "WBDLL.dll", "msvcrt.dll"}, imports));

    // Every resource in the neutral language, with the same bytes as the native module's resources, whose
    // sizes, records and pictures the resource tests check.
    EXPECT_EQ(languages, (std::set<std::string>{": (ID 0) ["}));
    const WbParsed<std::vector<WbResEntry>> native = WbParseResFile(TheaterResourceBytes());
    ASSERT_TRUE(native) << native.GetError();
    ASSERT_EQ(contents.size(), TheaterInventory().size());
    for (const ExpectedResource& resource : TheaterInventory()) {
        SCOPED_TRACE(std::string(resource.printedType) + " " + std::to_string(resource.id));
        const WbResEntry* entry = resource.typeNumber ? WbFindResEntry(*native, resource.typeNumber, resource.id)
                                                      : WbFindResEntry(*native, resource.printedType, resource.id);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ((contents[{resource.printedType, resource.id}]), Bytes(entry->data));
    }
}

} // namespace
