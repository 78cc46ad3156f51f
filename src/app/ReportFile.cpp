// The run report as JSON. The layout is described by res/report.schema.json;
// a change here changes that file and the example in docs/run-report.md with it.
#include "app/ReportFile.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <random>

#include "platform/Files.h"
#include "platform/System.h"
#include "run/RunSettings.h"

#ifndef NUBOTEST_VERSION
#define NUBOTEST_VERSION "unknown"
#endif

namespace nubo {
namespace {

// Keys stay in the order written, which is the order a person reads them in.
using json = nlohmann::ordered_json;

constexpr int kReportFormat = 1;

// The library's own decoder decides, so a text without a hex field is
// exactly what a reader decodes from the string.
bool IsUtf8(const std::string& bytes) {
    try {
        (void)json(bytes).dump();
        return true;
    } catch (const json::type_error&) {
        return false;
    }
}

// Modem answers and names are byte strings. The string field carries them
// for reading (bytes that are not UTF-8 show as U+FFFD); when that is not
// the whole truth, "<key>Hex" carries every byte as two lower-case hex digits.
void PutText(json& object, const std::string& key, const std::optional<std::string>& bytes) {
    if (!bytes) {
        object[key] = nullptr;
        return;
    }
    object[key] = *bytes;
    if (IsUtf8(*bytes)) return;
    static const char* const kDigits = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes->size() * 2);
    for (unsigned char c : *bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 0x0f];
    }
    object[key + "Hex"] = hex;
}

const char* OutcomeName(PortOutcome outcome) {
    switch (outcome) {
        case PortOutcome::Answered:
            return "answered";
        case PortOutcome::NoEcho:
            return "no-echo";
        case PortOutcome::Silent:
            return "silent";
        case PortOutcome::OpenFailed:
            break;
    }
    return "open-failed";
}

// Why a port did not open, with what the platform could tell about it.
void PutOpenFailure(json& port, const PortFailure& failure) {
    switch (failure.kind) {
        case PortFailureKind::Missing:
            port["openFailure"] = "missing";
            break;
        case PortFailureKind::NoPermission:
            port["openFailure"] = "no-permission";
            if (!failure.group.empty()) PutText(port, "group", failure.group);
            break;
        case PortFailureKind::Busy:
            port["openFailure"] = "busy";
            if (!failure.holder.empty()) PutText(port, "holder", failure.holder);
            if (failure.holderPid != 0) port["holderPid"] = failure.holderPid;
            break;
        case PortFailureKind::None:
        case PortFailureKind::Other:
            port["openFailure"] = "unknown";
            break;
    }
    port["platformError"] = failure.error;
}

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Passed:
            return "passed";
        case Verdict::Failed:
            return "failed";
        case Verdict::NotTested:
            break;
    }
    return "not-tested";
}

const char* OperatingSystem() {
#if defined(_WIN32)
    return "windows";
#elif defined(__linux__)
    return "linux";
#else
    return "posix";
#endif
}

const char* FamilyName(PlatformFamily family) {
    switch (family) {
        case PlatformFamily::NT:
            return "nt";
        case PlatformFamily::Win9x:
            return "9x";
        case PlatformFamily::Posix:
            break;
    }
    return "posix";
}

// Failed tests are named from their records: the diagnostic's 0x16 covers
// the RAM and CRC bits, so the code alone cannot tell them apart.
std::string ExitMeaning(const RunReport& report) {
    std::string failed;
    for (const TestRecord& t : report.tests) {
        if (t.exitBits == 0) continue;
        failed += failed.empty() ? "" : ", ";
        failed += t.name;
    }
    // After a test run 1 is the TAPI bit, not "found".
    if (report.exitCode > 0 && !failed.empty()) return "tests failed: " + failed;
    if (const ExitCodeInfo* code = FindExitCode(report.exitCode)) return std::string(code->meaning);
    return "tests failed";
}

}  // namespace

std::string ReportTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    std::tm utc{};
    // Read once each on the UI thread, before anything else may call them.
    if (const std::tm* l = std::localtime(&now)) local = *l;
    if (const std::tm* u = std::gmtime(&now)) utc = *u;
    // The offset from the two broken-down times; they lie at most a day apart.
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
    const int minutes =
        days * 24 * 60 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
    const int size = minutes < 0 ? -minutes : minutes;
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, minutes < 0 ? '-' : '+', size / 60, size % 60);
    return text;
}

std::string RunReportJson(const RunReport& report, System& system) {
    json doc;
    doc["format"] = kReportFormat;
    doc["program"] = {{"name", "nubotest"}, {"version", NUBOTEST_VERSION}};
    doc["platform"] = {{"os", OperatingSystem()}, {"family", FamilyName(system.Family())}};
    doc["startTime"] = report.startTime;
    doc["endTime"] = report.endTime;
    doc["mode"] = report.interactive ? "interactive" : "unattended";
    PutText(doc, "commandLine", report.commandLine);
    PutText(doc, "log", report.logPath);

    doc["ports"] = json::array();
    for (const PortAttempt& p : report.ports) {
        json port;
        PutText(port, "name", p.name);
        port["outcome"] = OutcomeName(p.outcome);
        if (p.outcome == PortOutcome::OpenFailed) PutOpenFailure(port, p.openFailure);
        port["identified"] = p.identified;
        doc["ports"].push_back(port);
    }

    doc["modem"] = nullptr;
    if (report.modem) {
        const ReportedModem& m = *report.modem;
        json modem;
        PutText(modem, "port", m.port);
        PutText(modem, "model", m.model);
        PutText(modem, "firmware", m.firmware);
        PutText(modem, "section",
                m.section.empty() ? std::nullopt : std::optional<std::string>(m.section));
        modem["defaultedKeys"] = m.defaultedKeys;
        doc["modem"] = modem;
    }

    doc["tests"] = json::array();
    for (const TestRecord& t : report.tests) {
        json test;
        test["name"] = t.name;
        PutText(test, "command", t.command);
        PutText(test, "answer", t.answer);
        test["verdict"] = VerdictName(t.verdict);
        test["durationMs"] = t.durationMs;
        test["exitBits"] = t.exitBits;
        doc["tests"].push_back(test);
    }

    doc["exit"] = {{"code", report.exitCode}, {"meaning", ExitMeaning(report)}};
    return doc.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

bool WriteRunReport(const RunReport& report, System& system, const std::string& path,
                    std::ostream& err) {
    RunReport complete = report;
    if (complete.logPath) complete.logPath = files::Absolute(*complete.logPath);
    const std::string text = RunReportJson(complete, system);

    // A name of its own beside the target: the rename stays on one file system.
    std::random_device random;
    const std::string temporary = path + ".tmp" + std::to_string(random() % 1000000);
    errno = 0;
    std::FILE* out = files::Open(temporary, "wb");
    // Says "no such directory" or "permission denied" rather than a bare failure.
    std::error_code ec;
    if (!out) {
        ec = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
    } else {
        const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
        if (std::fclose(out) != 0 || !written) {
            ec = std::make_error_code(std::errc::io_error);
        } else {
            ec = files::Replace(temporary, path);
        }
    }
    if (!ec) return true;
    files::Remove(temporary);
    err << "nubotest: the run report could not be written to " << path << ": " << ec.message()
        << "\n";
    return false;
}

}  // namespace nubo
