// The Windows build run under Wine beside the native build: the same scenarios give the same trace, report,
// save and dialog drawings, saves cross between the builds, damaged modules are refused alike, and the
// module's entry points and resources are found the way a Windows host finds them.
#include "ChildProcess.h"
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kNativeBin = THEATER_BIN_DIR;
const fs::path kWindowsBin = THEATER_WIN64_BIN_DIR;
const fs::path kScenarios = THEATER_SOURCE_DIR "/tests/scenarios";

void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The outputs a run leaves in its folder, by file name, the caught standard streams aside.
std::map<std::string, std::string> OutputFiles(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != "stdout.txt" && name != "stderr.txt")
            files[name] = Slurp(entry.path());
    }
    return files;
}

class WindowsHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::string(THEATER_WINE).empty()) {
            if (std::getenv("CI"))
                FAIL() << "wine is not installed; tools/bootstrap.sh installs wine64";
            GTEST_SKIP() << "wine is not installed";
        }
        ASSERT_TRUE(fs::exists(kWindowsBin / "towerhost.exe"))
            << kWindowsBin << "/towerhost.exe is missing: build the win64 preset first";
        // The build's own prefix, never the user's, and Wine's messages off.
        ::setenv("WINEPREFIX", THEATER_WINE_PREFIX, 1);
        ::setenv("WINEDEBUG", "-all", 1);
        fs::remove_all(mRoot);
        fs::create_directories(mRoot);
    }
    void TearDown() override { fs::remove_all(mRoot); }

    fs::path Folder(const std::string& name) const
    {
        fs::create_directories(mRoot / name);
        return mRoot / name;
    }

    Outcome Native(std::vector<std::string> arguments, const fs::path& folder) const
    {
        arguments.insert(arguments.begin(), (kNativeBin / "towerhost").string());
        return RunInFolder(arguments, folder);
    }
    Outcome Windows(std::vector<std::string> arguments, const fs::path& folder) const
    {
        arguments.insert(arguments.begin(), {THEATER_WINE, (kWindowsBin / "towerhost.exe").string()});
        return RunInFolder(arguments, folder);
    }

    const fs::path mRoot = fs::temp_directory_path() / ("towerhost-windows-" + std::to_string(::getpid()));
};

// Two days of each: the large towers' full runs take minutes under the sanitizers of the native build. The
// day's summaries match too, but for their first line, which names the module file: Windows names it with
// its drive and backslashes.
TEST_F(WindowsHost, EveryScenarioWritesTheNativeBytes)
{
    std::vector<fs::path> scenarios;
    for (const auto& entry : fs::directory_iterator(kScenarios))
        if (entry.path().extension() == ".json")
            scenarios.push_back(entry.path());
    ASSERT_FALSE(scenarios.empty());
    const auto tail = [](const std::string& text) { return text.substr(text.find('\n')); };
    for (const fs::path& scenario : scenarios) {
        const std::string name = scenario.stem().string();
        SCOPED_TRACE(name);
        const fs::path native = Folder("native-" + name), windows = Folder("windows-" + name);
        const std::vector<std::string> arguments = {scenario.string(), "--days",      "2",
                                                    "--trace",         "trace.jsonl", "--report",
                                                    "report.json",     "--save",      "tower.save"};
        const Outcome nativeRun = Native(arguments, native);
        const Outcome windowsRun = Windows(arguments, windows);
        ASSERT_EQ(nativeRun.exitCode, 0) << nativeRun.err;
        EXPECT_EQ(windowsRun.exitCode, 0) << windowsRun.err;
        EXPECT_EQ(windowsRun.err, nativeRun.err);
        EXPECT_EQ(tail(windowsRun.out), tail(nativeRun.out));
        EXPECT_NE(windowsRun.out.find("\\Theater.wbp: tenant definition TnDf\n"), std::string::npos);
        const auto nativeFiles = OutputFiles(native), windowsFiles = OutputFiles(windows);
        ASSERT_GE(nativeFiles.size(), 3u);
        for (const auto& [file, bytes] : nativeFiles) {
            ASSERT_TRUE(windowsFiles.contains(file)) << file;
            EXPECT_TRUE(windowsFiles.at(file) == bytes) << file << " differs";
        }
        EXPECT_EQ(windowsFiles.size(), nativeFiles.size());
    }
}

// The DLLs each file of the build imports, from its import table.
std::set<std::string> Imports(const fs::path& file)
{
    std::set<std::string> imports;
    std::FILE* pipe = ::popen((std::string(THEATER_READOBJ) + " --coff-imports '" + file.string() + "'").c_str(), "r");
    char line[512];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string key, value;
        if (fields >> key >> value && key == "Name:" && value.ends_with(".dll"))
            imports.insert(value);
    }
    if (pipe)
        ::pclose(pipe);
    return imports;
}

// The three files run from one folder on any Windows: they need the system's DLLs and each other only.
TEST_F(WindowsHost, FilesNeedNoDllBeyondTheSystemAndEachOther)
{
    const std::set<std::string> system = {"KERNEL32.dll", "msvcrt.dll"};
    EXPECT_EQ(Imports(kWindowsBin / "WBDLL.dll"), system);
    for (const char* file : {"Theater.wbp", "towerhost.exe"}) {
        SCOPED_TRACE(file);
        std::set<std::string> expected = system;
        expected.insert("WBDLL.dll");
        EXPECT_EQ(Imports(kWindowsBin / file), expected);
    }
}

// A save continued by the other build goes on as the build that made it would have gone on.
TEST_F(WindowsHost, SavesCrossBetweenTheBuilds)
{
    const std::string scenario = (kScenarios / "save-and-continue.json").string();
    const fs::path nativeFolder = Folder("native"), windowsFolder = Folder("windows");
    ASSERT_EQ(Native({scenario, "--quiet", "--days", "2", "--save", "day2.save"}, nativeFolder).exitCode, 0);
    const Outcome windowsSave = Windows({scenario, "--quiet", "--days", "2", "--save", "day2.save"}, windowsFolder);
    ASSERT_EQ(windowsSave.exitCode, 0) << windowsSave.err;
    ASSERT_EQ(Slurp(windowsFolder / "day2.save"), Slurp(nativeFolder / "day2.save"));

    const std::vector<std::string> rest = {scenario,  "--quiet",     "--days",   "3",           "--load", "day2.save",
                                           "--trace", "trace.jsonl", "--report", "report.json", "--save", "day5.save"};
    // The saves are the same bytes, so the native build continues the Windows save as its own.
    const fs::path nativeOnNative = Folder("native-on-native"), windowsOnNative = Folder("windows-on-native");
    fs::copy_file(nativeFolder / "day2.save", nativeOnNative / "day2.save");
    fs::copy_file(nativeFolder / "day2.save", windowsOnNative / "day2.save");
    ASSERT_EQ(Native(rest, nativeOnNative).exitCode, 0);
    const Outcome windowsContinued = Windows(rest, windowsOnNative);
    ASSERT_EQ(windowsContinued.exitCode, 0) << windowsContinued.err;
    for (const char* file : {"trace.jsonl", "report.json", "day5.save"}) {
        SCOPED_TRACE(file);
        const std::string expected = Slurp(nativeOnNative / file);
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(Slurp(windowsOnNative / file) == expected);
    }
}

// The Windows build refuses a damaged module before it runs anything, as the native build does (its own
// checks of the ELF headers are the loader's tests): exit code 1 and one line naming the file with the
// system loader's reason.
TEST_F(WindowsHost, RefusesBadModulesWithTheSystemLoadersReason)
{
    const std::string module = Slurp(kWindowsBin / "Theater.wbp");
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"garbage", std::string(4096, '\x5A')},
        {"cut in its headers", module.substr(0, 60)},
        {"half a module", module.substr(0, module.size() / 2)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        const fs::path folder = Folder(what);
        WriteFile(folder / "bad.wbp", bytes);
        const Outcome run = Windows({"--quiet", "--days", "1", "--module", "bad.wbp"}, folder);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("towerhost: bad.wbp: not a loadable module (", 0), 0u) << run.err;
        EXPECT_GT(run.err.size(), std::string("towerhost: bad.wbp: not a loadable module (").size() + 2)
            << "the system's reason is missing";
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.back(), '\n');
    }
    const Outcome missing = Windows({"--quiet", "--days", "1", "--module", "bad.wbp"}, Folder("missing"));
    EXPECT_EQ(std::tuple(missing.exitCode, missing.err), std::tuple(1, "towerhost: bad.wbp: no such file\n"));
}

// The module's four entry points and every resource it carries, found through GetProcAddress and
// FindResource, with the size and bytes the native module's resources have.
TEST_F(WindowsHost, FindsTheEntryPointsAndEveryResourceOnWindows)
{
    std::vector<std::string> arguments = {THEATER_WINE, (kWindowsBin / "ModuleProbe.exe").string(),
                                          (kWindowsBin / "Theater.wbp").string()};
    std::string expected = "export GetAttr found\nexport ConstructProgramPlugin found\n"
                           "export ConstructTemplatePlugin found\nexport DestructProgramPlugin found\n";
    for (const ExpectedResource& resource : TheaterInventory()) {
        const std::string request =
            (resource.typeNumber ? "#" + std::to_string(resource.typeNumber) : std::string(resource.printedType)) +
            ":" + std::to_string(resource.id);
        arguments.push_back(request);
        char line[128];
        std::snprintf(line, sizeof line, "resource %s %zu %08lx\n", request.c_str(), resource.size,
                      static_cast<unsigned long>(resource.crc32));
        expected += line;
    }
    expected += "unloaded yes\n";
    const Outcome probe = RunInFolder(arguments, Folder("probe"));
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_EQ(probe.out, expected);
}

} // namespace
