// The Windows build under Wine does what the native build does, and finds the module as a Windows host finds it.
#include "ChildProcess.h"
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kNativeBin = THEATER_BIN_DIR;
const fs::path kWindowsBin = THEATER_WIN64_BIN_DIR;
const fs::path kScenarios = THEATER_SOURCE_DIR "/tests/scenarios";

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

class WindowsHost : public ::testing::Test, public TempFolder {
protected:
    WindowsHost() : TempFolder("towerhost-windows") {}
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
    }

    fs::path Folder(const std::string& name) const
    {
        fs::create_directories(mPath / name);
        return mPath / name;
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
        auto nativeFiles = OutputFiles(native), windowsFiles = OutputFiles(windows);
        ASSERT_GE(nativeFiles.size(), 3u);
        EXPECT_EQ(windowsFiles.size(), nativeFiles.size());
        for (const auto& [file, bytes] : nativeFiles)
            EXPECT_TRUE(windowsFiles[file] == bytes) << file << " differs";
    }
}

// The three files run from one folder on any Windows: they need the system's DLLs and each other only.
TEST_F(WindowsHost, FilesNeedNoDllBeyondTheSystemAndEachOther)
{
    // The DLLs a file of the build imports, from its import table.
    const auto imports = [this](const char* file) {
        std::set<std::string> names;
        std::istringstream words(
            RunInFolder({THEATER_READOBJ, "--coff-imports", (kWindowsBin / file).string()}, mPath).out);
        for (std::string key, name; words >> key;)
            if (key == "Name:" && words >> name && name.ends_with(".dll"))
                names.insert(name);
        return names;
    };
    std::set<std::string> expected = {"KERNEL32.dll", "msvcrt.dll"};
    EXPECT_EQ(imports("WBDLL.dll"), expected);
    expected.insert("WBDLL.dll");
    for (const char* file : {"Theater.wbp", "towerhost.exe"})
        EXPECT_EQ(imports(file), expected) << file;
}

// The two builds save the same bytes, so each continuing its own save continues the other's.
TEST_F(WindowsHost, SavesCrossBetweenTheBuilds)
{
    const std::string scenario = (kScenarios / "save-and-continue.json").string();
    const fs::path native = Folder("native"), windows = Folder("windows");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{scenario, "--quiet", "--days", "2", "--save", "day2.save"},
          {scenario, "--quiet", "--days", "3", "--load", "day2.save", "--trace", "trace.jsonl", "--report",
           "report.json", "--save", "day5.save"}}) {
        ASSERT_EQ(Native(arguments, native).exitCode, 0);
        const Outcome windowsRun = Windows(arguments, windows);
        ASSERT_EQ(windowsRun.exitCode, 0) << windowsRun.err;
    }
    for (const char* file : {"day2.save", "trace.jsonl", "report.json", "day5.save"})
        EXPECT_TRUE(Slurp(windows / file) == Slurp(native / file)) << file << " differs";
}

// As the native build does (whose own checks of the ELF headers are the loader's tests), before it runs anything.
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
        WriteFile(Folder(what).string() + "/bad.wbp", bytes);
        const Outcome run = Windows({"--quiet", "--days", "1", "--module", "bad.wbp"}, Folder(what));
        EXPECT_EQ(std::tuple(run.exitCode, run.out), std::tuple(1, ""));
        // One line, with the system's reason.
        EXPECT_TRUE(std::regex_match(run.err, std::regex("towerhost: bad\\.wbp: not a loadable module \\(.{2,}\\)\n")))
            << run.err;
    }
    const Outcome missing = Windows({"--quiet", "--days", "1", "--module", "bad.wbp"}, Folder("missing"));
    EXPECT_EQ(std::tuple(missing.exitCode, missing.err), std::tuple(1, "towerhost: bad.wbp: no such file\n"));
}

// With the size and bytes the native module's resources have.
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
