// The test sequence with its log block. The order of the lines is what the
// callers' scripts read, so every line is written exactly where it stands.
#include "modemtests/ModemTests.h"

#include <optional>

namespace nubo {

namespace {

const char* const kBar = "=========================================================";
const char* const kCommandSent = "Command send to the modem for this test : ";
const char* const kAnswer = "Answ. for this test : ";
const char* const kMinSpeed = "MinSpeed required   : ";

class Run {
public:
    Run(ModemTestContext& context, TestRows* rows)
        : c_(context), s_(context.settings), m_(context.commands), rows_(rows) {}

    void All() {
        if (Cancelled()) return;
        s_.exitCode = 0;
        s_.report.tests.clear();
        Log(kBar);
        Log("================= START OF THE MODEM TESTS ==============");
        Log(kBar);
        Tapi();
        if (Cancelled()) return;
        Ram();
        if (Cancelled()) return;
        Crc();
        if (Cancelled()) return;
        if (!s_.phoneNumber.empty()) {
            DialAndDiag();
            if (Cancelled()) return;
        }
        Log(kBar);
        Log("================== END OF THE MODEM TESTS ===============");
        Log(kBar);
    }

private:
    void Tapi() {
        Log("======================  TAPI  TEST ======================");
        Active(testrow::kTapi, true);
        const std::uint32_t start = Tick();
        const bool passed = CheckTapiRegistration(m_.tapiModemName, c_.registration) == 1;
        if (passed) {
            Log("Result of TAPI-Test : Modem found on TAPI.");
            Result(testrow::kTapi, true);
        } else {
            Fail(exitcode::kTapiFailed);
            Log("Result of TAPI-Test : Modem not found on TAPI.");
            Result(testrow::kTapi, false);
        }
        Active(testrow::kTapi, false);
        Report("TAPI", std::nullopt, passed, exitcode::kTapiFailed, start);
    }

    void Ram() {
        Log("======================  RAM  TEST  ======================");
        answer_.clear();
        Active(testrow::kRam, true);
        const std::uint32_t start = Tick();
        const bool errorSeen =
            SendAndFind(c_.line, s_.port, m_.ramCheckCmd, m_.ramCheckError, answer_);
        if (Cancelled()) return;
        // Not seeing the error text proves nothing when the modem never answered.
        const bool passed = !errorSeen && HasModemAnswer(answer_);
        if (!passed) {
            Fail(exitcode::kRamFailed);
            Log("Result of RAM-Test  : Ram-Test not OK !");
            Result(testrow::kRam, false);
        } else {
            Log("Result of RAM-Test  : Ram-Test OK.");
            Result(testrow::kRam, true);
        }
        Active(testrow::kRam, false);
        Log(kCommandSent + m_.ramCheckCmd);
        Log(kAnswer + answer_);
        Report("RAM", m_.ramCheckCmd, passed, exitcode::kRamFailed, start);
    }

    void Crc() {
        Log("======================  CRC  CHECK ======================");
        answer_.clear();
        Active(testrow::kCrc, true);
        const std::uint32_t start = Tick();
        const bool found =
            SendAndFind(c_.line, s_.port, m_.crcCheckCmd, m_.crcCheckAnswer, answer_);
        if (Cancelled()) return;
        if (found) {
            Log("Result of CRC-Test  : CRC-Check OK.");
            Result(testrow::kCrc, true);
        } else {
            Fail(exitcode::kCrcFailed);
            Log("Result of CRC-Test  : CRC-Check not OK !");
            Result(testrow::kCrc, false);
        }
        Active(testrow::kCrc, false);
        Log(kCommandSent + m_.crcCheckCmd);
        Log(kAnswer + answer_);
        Report("CRC", m_.crcCheckCmd, found, exitcode::kCrcFailed, start);
    }

    void DialAndDiag() {
        Log("======================  DIAL TEST  ======================");
        answer_.clear();
        Active(testrow::kDial, true);
        const std::uint32_t start = Tick();
        // The composed command stays in the set: the log shows it, and the
        // next search reloads the set before another run.
        if (s_.noDialTone) m_.dialCmd = m_.dialCmdNoDialTone;
        m_.dialCmd += s_.phoneNumber;
        const bool connected =
            DialAndCheckSpeed(c_.line, s_.port, m_.dialCmd, m_.dialAnswer, m_.minSpeed, answer_);
        if (Cancelled()) return;
        if (connected) {
            Log("Result of DIAL-Test : Connection OK !");
            Result(testrow::kDial, true);
            Active(testrow::kDial, false);
            DialLines();
            Report("DIAL", m_.dialCmd, true, exitcode::kDialFailed, start);
            if (!m_.diagCmd.empty()) Diag();
            return;
        }
        DialLines();
        Fail(exitcode::kDialFailed);
        Log("Result of DIAL-Test : Connection not OK !");
        Result(testrow::kDial, false);
        Active(testrow::kDial, false);
        Report("DIAL", m_.dialCmd, false, exitcode::kDialFailed, start);
        if (!m_.diagCmd.empty()) {
            Log("======================  DIAG TEST  ======================");
            Log("Result of DIAG-Test : not tested because NO CONNECTION !");
            Result(testrow::kDiag, false);
            TestRecord diag;
            diag.name = "DIAG";
            diag.verdict = Verdict::NotTested;
            s_.report.tests.push_back(diag);
        }
    }

    void DialLines() {
        Log(kCommandSent + m_.dialCmd);
        Log(kAnswer + answer_);
        Log(kMinSpeed + m_.minSpeed);
    }

    void Diag() {
        answer_.clear();
        Log("======================  DIAG TEST  ======================");
        Active(testrow::kDiag, true);
        const std::uint32_t start = Tick();
        const bool passed = SendDiagnostic(c_.line, s_.port, m_.diagCmd, m_.diagAnswer, answer_);
        if (Cancelled()) return;
        if (passed) {
            Log("Result of DIAG-Test : DiagnosticTest OK.");
            Result(testrow::kDiag, true);
        } else {
            Fail(exitcode::kDiagFailed);
            Log("Result of DIAG-Test : DiagnosticTest not OK !");
            Result(testrow::kDiag, false);
        }
        Active(testrow::kDiag, false);
        Log(kCommandSent + m_.diagCmd);
        Log(kAnswer + answer_);
        Report("DIAG", m_.diagCmd, passed, exitcode::kDiagFailed, start);
    }

    void Log(const std::string& text) { s_.Log(text); }
    std::uint32_t Tick() const { return c_.line.clock.TickCount(); }
    // The run report's record of a test that ran; a test without a command
    // (TAPI) has no answer either.
    void Report(const char* name, const std::optional<std::string>& command, bool passed,
                std::int32_t bit, std::uint32_t start) {
        s_.report.tests.push_back({.name = name,
                                   .command = command,
                                   .answer = command ? std::optional(answer_) : std::nullopt,
                                   .verdict = passed ? Verdict::Passed : Verdict::Failed,
                                   .durationMs = Tick() - start,
                                   .exitBits = passed ? 0 : bit});
    }
    void Fail(std::int32_t bit) { s_.exitCode |= bit; }
    void Active(int row, bool on) {
        if (rows_) rows_->SetActive(row, on);
    }
    void Result(int row, bool passed) {
        if (rows_) rows_->SetResult(row, passed, !passed);
    }
    bool Cancelled() const { return c_.line.cancel && c_.line.cancel->Raised(); }

    ModemTestContext& c_;
    RunSettings& s_;
    ModemCommandSet& m_;
    TestRows* rows_;
    std::string answer_;
};

}  // namespace

void RunModemTests(ModemTestContext& context, TestRows* rows) {
    Run(context, rows).All();
}

}  // namespace nubo
