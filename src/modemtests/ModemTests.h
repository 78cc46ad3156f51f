// The test sequence: TAPI, RAM, CRC and, with a telephone number, the test
// call and the diagnostic command; one log block and one exit-code bit per
// failed test. Runs on the test page's worker, in interactive and automatic runs alike.
#pragma once
#include <string>

#include "config/ModemDescription.h"
#include "modemtests/TapiRegistration.h"
#include "modemtests/TestExecutors.h"
#include "run/RunSettings.h"

namespace nubo {

// The two calls the sequence makes on the test page's result list. Called from
// the thread that runs the sequence.
class TestRows {
public:
    virtual ~TestRows() = default;
    // Marks row as the test under way, or clears that mark.
    virtual void SetActive(int row, bool on) = 0;
    virtual void SetResult(int row, bool passed, bool failed) = 0;
};

// Rows of the result list, in the order the tests run.
namespace testrow {
constexpr int kTapi = 0;
constexpr int kRam = 1;
constexpr int kCrc = 2;
constexpr int kDial = 3;
constexpr int kDiag = 4;
}  // namespace testrow

// Everything one run reads and writes. The records are shared without a lock:
// the wizard offers nothing but Cancel while a run goes on.
struct ModemTestContext {
    RunSettings& settings;
    ModemCommandSet& commands;
    TestLine line;
    ModemRegistration registration;
};

// Runs the whole sequence on settings.port, writes the log block and sets
// settings.exitCode to the OR of the failed tests' bits. rows may be null (an
// automatic run shows nothing). A cancel raised through line.cancel ends the
// run after the test under way; nothing more is logged or shown then.
void RunModemTests(ModemTestContext& context, TestRows* rows);

}  // namespace nubo
