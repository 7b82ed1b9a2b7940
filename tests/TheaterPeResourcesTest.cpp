// The Windows module's resource section: every resource of the native .res under its type and ID, with its size.
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace {

const std::string kWindowsModule = THEATER_WIN32_BIN_DIR "/Theater.wbp";

std::string RunCommand(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    status = pclose(pipe);
    return output;
}

using ResourceKey = std::pair<std::string, uint32_t>; // type as printed, ID

TEST(TheaterPeResources, ReadobjListsEveryResourceWithItsSize)
{
    ASSERT_TRUE(std::filesystem::exists(kWindowsModule))
        << kWindowsModule << " is missing: build the win32 preset first";
    int status = 0;
    const std::string listing =
        RunCommand(std::string(THEATER_READOBJ) + " --coff-resources '" + kWindowsModule + "'", status);
    ASSERT_EQ(status, 0) << listing;

    // The listing nests "Type: ATTR [" or "Type: BITMAP (ID 2) [", then "Name: (ID 128) [", then
    // "Language: (ID 0) [", and inside that "DataSize: 44".
    std::map<ResourceKey, size_t> sizes;
    std::set<std::string> languages;
    std::string type;
    uint32_t id = 0;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "Type:") {
            fields >> type;
        } else if (key == "Name:") {
            std::string idWord;
            fields >> idWord >> id;
        } else if (key == "Language:") {
            std::string language;
            std::getline(fields, language);
            languages.insert(language);
        } else if (key == "DataSize:") {
            size_t size = 0;
            fields >> size;
            sizes[{type, id}] = size;
        }
    }
    std::map<ResourceKey, size_t> expected;
    for (const ExpectedResource& resource : TheaterInventory())
        expected[{resource.printedType, resource.id}] = resource.size;
    EXPECT_EQ(sizes, expected);
    EXPECT_EQ(languages, (std::set<std::string>{" (ID 0) ["}));
}

} // namespace
