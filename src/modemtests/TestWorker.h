// The test run, interactive or unattended: the worker that runs the sequence
// for the test page and then shows the outcome or ends the wizard, and the
// owner that starts, cancels and joins it. The owner is driven from the UI
// thread only.
#pragma once
#include <atomic>

#include "modemtests/ModemTests.h"
#include "wizard/DialogItems.h"
#include "wizard/PageWorker.h"
#include "wizard/WizardHost.h"

namespace nubo {

// What the worker reaches of the test page. Calls on items, host and rows come
// from the worker thread; the front end carries them out on the UI thread.
struct TestPageAccess {
    ModemTestContext tests;
    TestRows& rows;
    DialogItems& items;
    WizardHost& host;
};

// Interactive: runs the sequence with the page's rows, then shows string 73
// (every test passed) or 74 in the result field and offers Back and Finish.
// Automatic: runs it without rows (only after a search that found a described
// modem) and then ends the wizard. After a cancel the page and the wizard are
// left alone. Returns 1.
int TestWorker(TestPageAccess page);

class TestRun {
public:
    explicit TestRun(WizardHost& host) : worker_(host) {}

    // Starts TestWorker on a new thread, once a run that still ends has ended;
    // the run's cancel flag replaces page.tests.line.cancel.
    void Start(TestPageAccess page);
    // Cancels the run, closes its way to the page and waits for it to end (a
    // bounded while); the test under way ends at its next request step or
    // poll. Must have been called before the page, its rows or the log go away.
    void Stop();
    bool Running() const { return worker_.Running(); }

private:
    PageWorker worker_;
};

}  // namespace nubo
