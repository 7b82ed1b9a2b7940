// End to end: the headless host refuses a module file cut short or whose resources were damaged, says which
// part, where and why, and writes none of its outputs.
#include "HostProcess.h"
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

class TowerHostDamagedModule : public HostProcess {
protected:
    // A copy of the module with bytes changed in its embedded copy of a record, which it holds exactly once.
    std::string DamagedModule(const std::string& name, const std::vector<uint8_t>& record, long offset,
                              std::initializer_list<uint8_t> with) const
    {
        std::string module = Slurp(THEATER_BIN_DIR "/Theater.wbp");
        const std::string text(record.begin(), record.end());
        const size_t found = module.find(text);
        EXPECT_NE(found, std::string::npos) << "the module does not embed the record";
        if (found == std::string::npos)
            return WriteFile(name, module);
        EXPECT_EQ(module.find(text, found + 1), std::string::npos);
        std::copy(with.begin(), with.end(), module.begin() + long(found) + offset);
        return WriteFile(name, module);
    }
};

TEST_F(TowerHostDamagedModule, IsRefusedNamingTheDamage)
{
    const std::string module = Slurp(THEATER_BIN_DIR "/Theater.wbp");
    const struct {
        const char* what;
        std::string module;
        std::string message; // the beginning of the one line after the file's name
    } cases[] = {
        {"cut in half", WriteFile("Half.wbp", module.substr(0, module.size() / 2)), "cut short: "},
        {"definition record end", DamagedModule("BadEnd.wbp", TheaterRecord("TNDF", 1), 336, {1}),
         "TNDF 1: end bytes 1, 0 at offset 336, expected 0, 0\n"},
        {"attribute record version", DamagedModule("BadAttr.wbp", TheaterRecord("ATTR", 128), 0, {2}),
         "ATTR 128: version 2 at offset 0, expected 1\n"},
        // The definition record is the third entry of the .res, at offset 168; its 40-byte header begins with
        // the data size.
        {".res entry size", DamagedModule("BadRes.wbp", TheaterRecord("TNDF", 1), -40, {0xFF, 0xFF, 0xFF, 0x7F}),
         ".res: entry 3 at offset 168: data size 2147483647 runs past the end (" +
             std::to_string(TheaterResourceBytes().size() - 168 - 40) + " bytes left)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome outcome = Run({"--quiet", "--days", "1", "--module", c.module, "--trace", "out.jsonl"});
        EXPECT_EQ(outcome.err.rfind("towerhost: " + c.module + ": " + c.message, 0), 0u) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_FALSE(std::filesystem::exists(File("out.jsonl")));
    }
}

} // namespace
