// What the validator writes: the lines on stdout, the text log and the JUnit XML, all made from the group
// runs as text so that they can be checked without a module or a child.
#pragma once

#include "WbValidateGroups.h"

#include <cstdint>
#include <string>
#include <vector>

// The module file as the log names it: where it was, how big, and its SHA-256, so that a report can be
// matched to the very file it was made from.
struct WbModuleFacts {
    std::string path;
    uint64_t sizeBytes = 0;
    std::string sha256; // lower-case hexadecimal
};

// Reads the file's size and SHA-256; throws std::runtime_error naming the file when it cannot be read.
WbModuleFacts WbReadModuleFacts(const std::string& path);

// "FAIL group/check: message".
std::string WbResultLine(const std::string& group, const WbCheckResult& result);
// "validate: 24 checks, 23 passed, 1 failed, 0 warnings (3.2 s)": skipped checks are not counted.
std::string WbSummaryLine(const std::vector<WbGroupRun>& runs, int64_t milliseconds);

struct WbValidateRecord {
    uint64_t seed = 0;
    int strictness = 5;
    WbModuleFacts module;
    std::vector<WbGroupRun> runs;
    int64_t milliseconds = 0;
};

// The whole log: seed, module, strictness, every result by group with its time, then each group's output.
std::string WbTextLog(const WbValidateRecord& record);
// JUnit XML: a testsuite per group run, a testcase per check, failure for a failed one, skipped for a
// skipped one, system-out with the module's output.
std::string WbJUnitXml(const WbValidateRecord& record);
