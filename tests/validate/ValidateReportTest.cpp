// The validator's reports a person, a bug report and a CI server read, made from runs with every kind of result.
#include "WbValidateReport.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

// Two groups: one with every outcome a child can end with, one that passed whole.
WbValidateRecord MixedRecord()
{
    WbValidateRecord record;
    record.seed = 12345;
    record.strictness = 7;
    record.module = {"build/bin/X.wbp", 1234, "00ff"};
    record.milliseconds = 3200;
    record.runs.push_back(
        {"entry",
         12345,
         {{"attributes", WbCheckStatus::Pass, "", 15},
          {"program-plugin", WbCheckStatus::Crash, "signal 11 (SIGSEGV) in ConstructProgramPlugin", 40},
          {"template-plugin", WbCheckStatus::Skip, "not run: the group's child died in program-plugin", 0}},
         "loading <X> & \"friends\"\x01\n",
         600});
    record.runs.push_back(
        {"file",
         12345,
         {{"format", WbCheckStatus::Pass, "", 1},
          {"exports", WbCheckStatus::Warn, "\"X.wbp\" exports more than the four entry points: _Z5Extrav", 2},
          {"machine", WbCheckStatus::Hang, "killed after 60000 ms in WbTenantDef::TenantIdleProc", 60000},
          {"load-unload", WbCheckStatus::Memory, "the memory limit of 1024 MiB ran out in GetAttr", 9}},
         "",
         61000});
    return record;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST(ValidateReport, SummaryCountsChecksThatRanWithWarningsApart)
{
    // Six checks ran (the skipped one did not): two passed, three failed, one warned.
    EXPECT_EQ(WbSummaryLine(MixedRecord().runs, 3200), "validate: 6 checks, 2 passed, 3 failed, 1 warnings (3.2 s)");
    EXPECT_EQ(WbSummaryLine({}, 0), "validate: 0 checks, 0 passed, 0 failed, 0 warnings (0.0 s)");
}

TEST(ValidateReport, LogNamesSeedModuleAndStrictnessThenResultsByGroupThenOutput)
{
    const std::string log = WbTextLog(MixedRecord());
    EXPECT_EQ(log.rfind("validate: seed 12345\nmodule: build/bin/X.wbp\nsize: 1234 bytes\nsha256: 00ff\n"
                        "strictness: 7\n",
                        0),
              0u)
        << log;
    const size_t entry = log.find("[entry] seed 12345, 0.6 s\n");
    const size_t crash =
        log.find("  CRASH entry/program-plugin: signal 11 (SIGSEGV) in ConstructProgramPlugin (0.0 s)\n");
    const size_t file = log.find("[file] seed 12345, 61.0 s\n");
    const size_t hang =
        log.find("  HANG file/machine: killed after 60000 ms in WbTenantDef::TenantIdleProc (60.0 s)\n");
    const size_t output = log.find("--- output of [entry] (seed 12345) ---\nloading <X> & \"friends\"\x01\n");
    ASSERT_NE(output, std::string::npos) << log;
    EXPECT_TRUE(entry < crash && crash < file && file < hang && hang < output) << log;
    EXPECT_NE(log.find("  SKIP entry/template-plugin: not run"), std::string::npos);
    EXPECT_NE(log.find("--- output of [file] (seed 12345) ---\n(none)\n"), std::string::npos);
}

TEST(ValidateReport, JUnitHasASuitePerGroupAndAFailurePerFailedCheck)
{
    const std::string xml = WbJUnitXml(MixedRecord());
    EXPECT_EQ(Count(xml, "<testsuite "), 2u);
    EXPECT_EQ(Count(xml, "<testcase "), 7u);
    EXPECT_NE(xml.find("<testsuite name=\"entry\" tests=\"3\" failures=\"1\" skipped=\"1\""), std::string::npos);
    EXPECT_NE(xml.find("<testsuite name=\"file\" tests=\"4\" failures=\"2\" skipped=\"0\""), std::string::npos);
    // A crash, a hang and an exhausted memory limit are failures; a warning and a skip are not.
    EXPECT_EQ(Count(xml, "<failure "), 3u);
    EXPECT_NE(xml.find("<failure type=\"CRASH\" message=\"signal 11 (SIGSEGV) in ConstructProgramPlugin\"/>"),
              std::string::npos);
    EXPECT_EQ(Count(xml, "<skipped "), 1u);
    // The module's output is escaped, and a control character XML cannot carry is replaced.
    EXPECT_NE(xml.find("<system-out>loading &lt;X&gt; &amp; &quot;friends&quot;?\n</system-out>"), std::string::npos)
        << xml;
    EXPECT_NE(xml.find("&quot;X.wbp&quot; exports more"), std::string::npos);
}

TEST(ValidateReport, ModuleFactsHaveTheFilesSizeAndSha256)
{
    const struct {
        std::string contents;
        std::string sha256;
    } vectors[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    const TempFolder folder("validate-report");
    for (const auto& [contents, sha256] : vectors) {
        const WbModuleFacts facts = WbReadModuleFacts(folder.WriteFile("facts", contents));
        EXPECT_EQ(std::tuple(facts.sizeBytes, facts.sha256), std::tuple(contents.size(), sha256));
    }
    EXPECT_THROW(WbReadModuleFacts(folder.File("no-such-module.wbp")), std::runtime_error);
}
