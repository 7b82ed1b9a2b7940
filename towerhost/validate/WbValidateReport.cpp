// The validator's reports. The log is meant to be attached to a bug report: it says which file, which seed
// and which strictness, so that the same run can be made again.
#include "WbValidateReport.h"

#include "WbQuoted.h"

#include <openssl/evp.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace {

std::string Seconds(int64_t milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", double(milliseconds) / 1000.0);
    return text;
}

std::string SuiteName(const WbGroupRun& run, bool repeated)
{
    return repeated ? run.group + " (seed " + std::to_string(run.seed) + ")" : run.group;
}

bool Repeated(const std::vector<WbGroupRun>& runs)
{
    for (size_t i = 0; i < runs.size(); ++i)
        for (size_t j = i + 1; j < runs.size(); ++j)
            if (runs[i].group == runs[j].group)
                return true;
    return false;
}

} // namespace

WbModuleFacts WbReadModuleFacts(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error(path + ": cannot be read");
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> digest(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!digest || EVP_DigestInit_ex(digest.get(), EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available");
    WbModuleFacts facts{path, 0, {}};
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        EVP_DigestUpdate(digest.get(), buffer, size_t(file.gcount()));
        facts.sizeBytes += uint64_t(file.gcount());
    }
    if (file.bad())
        throw std::runtime_error(path + ": cannot be read");
    unsigned char hash[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(digest.get(), hash, &length);
    for (unsigned int i = 0; i < length; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", hash[i]);
        facts.sha256 += hex;
    }
    return facts;
}

std::string WbResultLine(const std::string& group, const WbCheckResult& result)
{
    return std::string(WbStatusWord(result.status)) + " " + group + "/" + result.check + ": " +
           (result.message.empty() ? "ok" : result.message);
}

std::string WbSummaryLine(const std::vector<WbGroupRun>& runs, int64_t milliseconds)
{
    int checks = 0, passed = 0, failed = 0, warnings = 0;
    for (const WbGroupRun& run : runs)
        for (const WbCheckResult& result : run.results) {
            if (result.status == WbCheckStatus::Skip)
                continue;
            ++checks;
            if (result.status == WbCheckStatus::Pass)
                ++passed;
            else if (result.status == WbCheckStatus::Warn)
                ++warnings;
            else
                ++failed;
        }
    return "validate: " + std::to_string(checks) + " checks, " + std::to_string(passed) + " passed, " +
           std::to_string(failed) + " failed, " + std::to_string(warnings) + " warnings (" + Seconds(milliseconds) +
           ")";
}

std::string WbTextLog(const WbValidateRecord& record)
{
    std::string log = "validate: seed " + std::to_string(record.seed) + "\n";
    log += "module: " + record.module.path + "\n";
    log += "size: " + std::to_string(record.module.sizeBytes) + " bytes\n";
    log += "sha256: " + record.module.sha256 + "\n";
    log += "strictness: " + std::to_string(record.strictness) + "\n";
    for (const WbGroupRun& run : record.runs) {
        log += "\n[" + run.group + "] seed " + std::to_string(run.seed) + ", " + Seconds(run.milliseconds) + "\n";
        for (const WbCheckResult& result : run.results)
            log += "  " + WbResultLine(run.group, result) + " (" + Seconds(result.milliseconds) + ")\n";
    }
    log += "\n";
    log += WbSummaryLine(record.runs, record.milliseconds) + "\n";
    for (const WbGroupRun& run : record.runs) {
        log += "\n--- output of [" + run.group + "] (seed " + std::to_string(run.seed) + ") ---\n";
        log += run.output.empty() ? "(none)\n" : run.output;
        if (!run.output.empty() && run.output.back() != '\n')
            log += "\n";
    }
    return log;
}

std::string WbJUnitXml(const WbValidateRecord& record)
{
    const bool repeated = Repeated(record.runs);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<testsuites name=\"validate " + WbXmlText(record.module.path) + "\" time=\"" +
           std::to_string(double(record.milliseconds) / 1000.0) + "\">\n";
    for (const WbGroupRun& run : record.runs) {
        int failures = 0, skipped = 0;
        for (const WbCheckResult& result : run.results) {
            failures += WbIsFailure(result.status) ? 1 : 0;
            skipped += result.status == WbCheckStatus::Skip ? 1 : 0;
        }
        xml += "  <testsuite name=\"" + WbXmlText(SuiteName(run, repeated)) + "\" tests=\"" +
               std::to_string(run.results.size()) + "\" failures=\"" + std::to_string(failures) + "\" skipped=\"" +
               std::to_string(skipped) + "\" time=\"" + std::to_string(double(run.milliseconds) / 1000.0) + "\">\n";
        for (const WbCheckResult& result : run.results) {
            xml += "    <testcase classname=\"" + WbXmlText(run.group) + "\" name=\"" + WbXmlText(result.check) +
                   "\" time=\"" + std::to_string(double(result.milliseconds) / 1000.0) + "\"";
            const std::string message = WbXmlText(result.message);
            if (WbIsFailure(result.status))
                xml += ">\n      <failure type=\"" + std::string(WbStatusWord(result.status)) + "\" message=\"" +
                       message + "\"/>\n    </testcase>\n";
            else if (result.status == WbCheckStatus::Skip)
                xml += ">\n      <skipped message=\"" + message + "\"/>\n    </testcase>\n";
            else if (result.status == WbCheckStatus::Warn)
                xml += ">\n      <system-err>WARN " + message + "</system-err>\n    </testcase>\n";
            else
                xml += "/>\n";
        }
        xml += "    <system-out>" + WbXmlText(run.output) + "</system-out>\n  </testsuite>\n";
    }
    xml += "</testsuites>\n";
    return xml;
}
