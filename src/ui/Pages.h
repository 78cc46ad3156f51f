// The four wizard pages. Toolkit-neutral: they see their controls and the sheet
// only through DialogItems and WizardHost. Created and called on the UI thread;
// the search and test pages own their worker and stop it before they go away.
#pragma once
#include <memory>
#include <vector>

#include "config/DialData.h"
#include "config/IniFile.h"
#include "config/ModemDescription.h"
#include "discovery/ModemSearch.h"
#include "modemtests/TestWorker.h"
#include "ui/ResultList.h"
#include "wizard/ControlIds.h"
#include "wizard/WizardPage.h"

namespace nubo {

class System;
class Clock;
class SerialDriver;
class PortSource;
class InstalledModems;

// What the modem search found, shared by the search page and the test page.
struct ModemRecords {
    DetectedModem modem;
    ModemCommandSet commands;
};

// What the pages need from the machine and the run, handed down from start-up.
struct PageServices {
    System& system;
    Clock& clock;
    SerialDriver& serial;
    PortSource& ports;
    InstalledModems& installedModems;
    ModemRecords& records;
};

class CWelcomeP : public WizardPage {
public:
    CWelcomeP(RunSettings& settings, PageIds ids, bool newStyle);
    void OnCreate() override;
    void OnSetActive() override;
};

class CCommP : public WizardPage {
public:
    CCommP(RunSettings& settings, PageServices services, PageIds ids);
    void OnCreate() override;
    void OnSetActive() override;
    void OnCommand(int controlId) override;
    bool OnWizardNext() override;
    std::map<int, int> HelpMap() const override {
        return {{ctl::kAllPorts, 100}, {ctl::kOnePort, 101}, {ctl::kPortBox, 102}};
    }

private:
    PageServices services_;
};

class CConfigP : public WizardPage {
public:
    CConfigP(RunSettings& settings, PageServices services, PageIds ids);
    ~CConfigP() override;
    void OnCreate() override;
    void OnSetActive() override;
    void OnCommand(int controlId) override;
    bool OnWizardNext() override;
    bool OnWizardBack() override;
    void OnClose() override;
    std::map<int, int> HelpMap() const override {
        using namespace ctl;
        return {{kPortCaption, 103},    {kModemCaption, 104},   {kRunDialTest, 105},
                {kServiceCall, 106},    {kOwnCall, 107},        {kPrefixLabel, 108},
                {kOwnNumberLabel, 109}, {kLocationNumber, 110}, {kLocationBox, 111}};
    }
    // Whether a search worker still runs or waits to start (for tests).
    bool Searching() const;

private:
    PageServices services_;
    CIniFile ini_;
    std::vector<DialEntry> dialEntries_;
    std::unique_ptr<DialogSearchView> view_;
    std::unique_ptr<ModemSearch> search_;
};

class CTestP : public WizardPage {
public:
    CTestP(RunSettings& settings, PageServices services, PageIds ids);
    ~CTestP() override;
    void OnCreate() override;
    void OnSetActive() override;
    void OnClose() override;

    // Whether the test worker still runs (for tests).
    bool Testing() const;

    // The result list the front end shows at ResultListRect (pixels of the
    // page: left, top, right, bottom).
    CResultList& ResultList() { return resultList_; }
    struct Rect {
        int left, top, right, bottom;
    };
    Rect ResultListRect() const;

private:
    void StopWorker();

    ModemTestContext TestContext();

    PageServices services_;
    CResultList resultList_;
    std::unique_ptr<TestRun> run_;
};

}  // namespace nubo
