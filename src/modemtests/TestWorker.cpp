// The interactive run's worker and its owner. The owner never lets a worker
// outlive the page's way to the UI: it cancels, closes the worker's calls and joins.
#include "modemtests/TestWorker.h"

#include "wizard/ControlIds.h"
#include "wizard/Texts.h"

namespace nubo {

namespace {

constexpr int kAllPassedText = 73;
constexpr int kErrorsText = 74;

}  // namespace

int TestWorker(TestPageAccess page) {
    const RunSettings& settings = page.tests.settings;
    const bool automatic = settings.automaticMode;
    // An unattended run tests only what a search found and described, and
    // shows nothing of it: its outcome is the log and the exit code.
    if (!automatic || settings.exitCode.load() > 0) {
        RunModemTests(page.tests, automatic ? nullptr : &page.rows);
    }
    const CancelToken* cancel = page.tests.line.cancel;
    if (cancel && cancel->Raised()) return 1;
    if (automatic) {
        // Only now, with the block written, may the wizard end.
        page.host.EndWizard(0);
        return 1;
    }
    const bool passed = page.tests.settings.exitCode.load() == exitcode::kPassed;
    std::string result = texts::Text(passed ? kAllPassedText : kErrorsText);
    const std::string& moved = page.tests.settings.movedLogPath;
    if (!moved.empty()) result += "\nLog: " + moved;
    page.items.SetText(ctl::kResultLine, result);
    page.host.SetWizardButtons(kWizBack | kWizFinish);
    return 1;
}

void TestRun::Start(TestPageAccess page) {
    worker_.Start([page](const PageWorker::Link& link) mutable {
        page.tests.line.cancel = link.Cancel();
        TestWorker(page);
    });
}

void TestRun::Stop() {
    worker_.Stop();
}

}  // namespace nubo
