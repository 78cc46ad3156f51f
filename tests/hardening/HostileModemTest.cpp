// The hostile-modem matrix in virtual time: every fault of the emulated modem
// alone and in a few combinations, against identification, the search, each
// test executor and a whole unattended run through start-up. Each scenario
// states its bound in virtual time; each part must end within it, with the
// verdict of the run, a whole log and its port closed. Identification is
// bounded and judged inside the search.
#include <chrono>

#include "HardeningRig.h"
#include "config/IniFile.h"
#include "discovery/ModemSearch.h"
#include "modemtests/TestExecutors.h"
#include "serial/ComPort.h"

namespace nubo::hardening {
namespace {

namespace ec = exitcode;

struct Scenario {
    const char* name;
    std::vector<std::pair<std::string, std::string>> faults;
    bool identified;        // what identification says
    int exitCode;           // of the whole unattended run with /T:
    std::uint32_t boundMs;  // virtual time any one part may take
    Vanish vanish = {};
};

// Bounds in virtual time for each part but the dial test, which may add its
// minute of waiting for the call. Worst cases by design: a missing echo ends
// a request after 11 close-and-reopen rounds of half a second; a silent line
// after the 10 s time-out of idle scroll CRs; output that never ends after
// six time-outs of scroll CRs and one more.
constexpr std::uint32_t kDialWait = 61'000;

const Scenario kScenarios[] = {
    {"Healthy", {}, true, ec::kPassed, 10'000},
    {"NoEcho", {{"echo-off", ""}}, false, ec::kNoModem, 10'000},
    {"WrongEchoOnce", {{"wrong-echo", "2"}}, true, ec::kPassed, 10'000},
    {"WrongEchoAlways", {{"wrong-echo", "2:-1"}}, false, ec::kNoModem, 10'000},
    {"SilentAfterCr", {{"silent-after-cr", ""}}, false, ec::kNoModem, 15'000},
    {"SilentAfterDiagCr",
     {{"silent-after-cr", ""}, {"fault-command", "AT&V1"}},
     true,
     ec::kDiagFailed,
     15'000},
    // The name request never ends, but its text holds no "ERR": a name is read
    // from it, and no section describes that name.
    {"EndlessPages", {{"paged", "1"}, {"endless-pages", ""}}, true, ec::kNotDescribed, 150'000},
    {"EndlessDiagPages",
     {{"paged", "2"}, {"endless-pages", ""}, {"fault-command", "AT&V1"}},
     true,
     ec::kDiagFailed,
     75'000},
    {"Flood10MB",
     {{"flood", ""}, {"flood-bytes", "10240"}, {"flood-rate", "65536"}},
     false,
     ec::kNoModem,
     10'000},
    // The name then starts with the noise, and no section describes it.
    {"NulAndFFInAnswers", {{"binary", ""}}, true, ec::kNotDescribed, 10'000},
    {"HangUpMidAnswer", {{"hangup", ""}}, false, ec::kNoModem, 15'000},
    {"HangUpInRamAnswer", {{"hangup", ""}, {"fault-command", "AT&T7"}}, true, ec::kPassed, 15'000},
    {"GoneBetweenTests",
     {},
     true,
     ec::kCrcFailed | ec::kDialFailed,
     10'000,
     {Vanish::AfterClose, "AT&T7"}},
    {"GoneMidRequest",
     {{"chunks", "4:50"}},
     true,
     ec::kCrcFailed | ec::kDialFailed,
     10'000,
     {Vanish::MidAnswer, "AT&T8"}},
    {"VerySlowAnswers", {{"reply-delay", "9000"}, {"chunks", "4:200"}}, true, ec::kPassed, 40'000},
    {"SlowTrickleAndNoise",
     {{"binary", ""}, {"chunks", "1:240"}, {"wrong-echo", "3:2"}},
     true,
     ec::kNotDescribed,
     70'000},
    {"PagedHangUp",
     {{"paged", "1"}, {"endless-pages", ""}, {"hangup", ""}},
     false,
     ec::kNoModem,
     15'000},
    {"EchoOffFlood", {{"echo-off", ""}, {"flood", ""}}, false, ec::kNoModem, 10'000},
};

class HostileModem : public ::testing::TestWithParam<Scenario> {
protected:
    modemsim::ModemProfile MakeProfile() const { return Profile(GetParam().faults); }
    // The time a part took, against the scenario's bound; shown for the record.
    void ExpectInBound(const char* part, std::uint32_t elapsed, std::uint32_t bound) {
        std::printf("bound %-20s %-6s %7u ms of %7u ms\n", GetParam().name, part, elapsed, bound);
        EXPECT_LE(elapsed, bound) << part;
    }
};

TEST_P(HostileModem, SearchOnEveryPort) {
    const Scenario& s = GetParam();
    Machine m(MakeProfile(), s.vanish);
    RunSettings settings;
    settings.log = std::make_unique<CLogFile>(m.system, m.LogPath());
    CIniFile ini(m.system.programPath + ".ini");
    DetectedModem modem;
    ModemCommandSet commands;
    FakeWizardHost host;
    FakeDialogItems items;
    DialogSearchView view(items, host);
    const std::uint32_t t0 = m.clock.TickCount();
    const int found = ModemSearchThread(
        {settings, ini, m.ports, {m.driver, m.clock}, modem, commands, host, view});
    ExpectInBound("search", m.clock.TickCount() - t0, s.boundMs);
    EXPECT_FALSE(m.line->InUse());
    const bool described = s.exitCode != ec::kNoModem && s.exitCode != ec::kNotDescribed;
    EXPECT_EQ(found, s.identified && described ? 1 : 0);
    EXPECT_EQ(settings.exitCode, !s.identified ? ec::kNoModem
                                 : described   ? ec::kFound
                                               : ec::kNotDescribed);
    settings.log.reset();
    EXPECT_TRUE(LogIsWhole(m.Log(), {"Automat. port scan  : COM1"}));
}

TEST_P(HostileModem, EachExecutorEndsInBoundWithItsPortClosed) {
    const Scenario& s = GetParam();
    for (const std::string part : {"ram", "crc", "dial", "diag"}) {
        SCOPED_TRACE(part);
        Machine m(MakeProfile(), s.vanish);
        const TestLine line{m.driver, m.clock};
        std::string answer;
        const std::uint32_t t0 = m.clock.TickCount();
        if (part == "ram") SendAndFind(line, "COM1", "AT&T7", "ERROR", answer);
        if (part == "crc") SendAndFind(line, "COM1", "AT&T8", "CRC OK", answer);
        if (part == "dial") DialAndCheckSpeed(line, "COM1", "ATDT0123", "CONNECT", "14400", answer);
        if (part == "diag") SendDiagnostic(line, "COM1", "AT&V1", "OK", answer);
        ExpectInBound(part.c_str(), m.clock.TickCount() - t0,
                      s.boundMs + (part == "dial" ? kDialWait : 0));
        EXPECT_FALSE(m.line->InUse());
        EXPECT_LE(answer.size(), CComPort::kMaxAnswer);
    }
}

TEST_P(HostileModem, WholeUnattendedRun) {
    const Scenario& s = GetParam();
    Machine m(MakeProfile(), s.vanish);
    const auto real0 = std::chrono::steady_clock::now();
    const std::uint32_t t0 = m.clock.TickCount();
    const int code = m.RunProgram("/P:COM1 /T:0123 /L:" + m.LogPath());
    // The run is a search plus five tests, each within the bound.
    ExpectInBound("run", m.clock.TickCount() - t0, 6 * s.boundMs + kDialWait);
    EXPECT_LT(std::chrono::steady_clock::now() - real0, std::chrono::seconds(30));
    EXPECT_EQ(code, s.exitCode);
    EXPECT_FALSE(m.line->InUse());
    const std::string log = m.Log();
    std::vector<std::string> lines = {"Scanning Port       : COM1"};
    std::string last;  // the run's last line
    if (code == ec::kNoModem) {
        lines.push_back("ERROR - No modem has been detected !");
        last = lines.back();
    } else if (code != ec::kNotDescribed) {
        lines.push_back("================= START OF THE MODEM TESTS ==============");
        lines.push_back("================== END OF THE MODEM TESTS ===============");
        last = std::string(57, '=');
    }
    EXPECT_TRUE(LogIsWhole(log, lines));
    EXPECT_TRUE(last.empty() || log.ends_with(" - " + last + "\r\n")) << log;
}

INSTANTIATE_TEST_SUITE_P(Matrix, HostileModem, ::testing::ValuesIn(kScenarios),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace nubo::hardening
