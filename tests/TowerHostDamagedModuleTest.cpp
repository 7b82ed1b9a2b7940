// End to end: the headless host refuses a module file whose resources were damaged, and says which resource,
// where and why.
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace {

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A copy of the module with bytes changed in its embedded copy of a record, which it holds exactly once.
std::string DamagedModule(const std::string& name, const std::vector<uint8_t>& record, long offset,
                          std::initializer_list<uint8_t> with)
{
    std::vector<uint8_t> module = ReadFile(THEATER_BIN_DIR "/Theater.wbp");
    const auto found = std::search(module.begin(), module.end(), record.begin(), record.end());
    EXPECT_NE(found, module.end()) << "the module does not embed the record";
    EXPECT_EQ(std::search(found + 1, module.end(), record.begin(), record.end()), module.end());
    std::copy(with.begin(), with.end(), found + offset);
    const std::filesystem::path directory = std::filesystem::temp_directory_path() / "theater-damaged-modules";
    std::filesystem::create_directories(directory);
    const std::string path = (directory / name).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(module.data()), std::streamsize(module.size()));
    return path;
}

// What the host printed (standard output and error together) and its exit status.
std::string RunHost(const std::string& module, int& exitCode)
{
    const std::string command = THEATER_BIN_DIR "/towerhost --quiet --days 1 --module '" + module + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = pipe ? pclose(pipe) : -1;
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

TEST(TowerHostDamagedModule, IsRefusedNamingTheResource)
{
    struct Case {
        const char* what;
        std::string module;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"definition record end", DamagedModule("BadEnd.wbp", TndfFixture(), 336, {1}),
         "TNDF 1: end bytes 1, 0 at offset 336, expected 0, 0"},
        {"attribute record version", DamagedModule("BadAttr.wbp", AttrFixture(), 0, {2}),
         "ATTR 128: version 2 at offset 0, expected 1"},
        // The definition record is the third entry of the .res, at offset 168; its 40-byte header begins with
        // the data size.
        {".res entry size", DamagedModule("BadRes.wbp", TndfFixture(), -40, {0xFF, 0xFF, 0xFF, 0x7F}),
         ".res: entry 3 at offset 168: data size 2147483647 runs past the end (" +
             std::to_string(TheaterResourceBytes().size() - 168 - 40) + " bytes left)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int exitCode = 0;
        const std::string output = RunHost(c.module, exitCode);
        EXPECT_EQ(output, "towerhost: " + c.module + ": " + c.message + "\n");
        EXPECT_EQ(exitCode, 1);
    }
}

} // namespace
