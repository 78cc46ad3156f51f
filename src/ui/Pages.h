// The four wizard pages. Toolkit-neutral: they see their controls and the sheet
// only through DialogItems and WizardHost. Created and called on the UI thread.
#pragma once
#include "ui/WizardPage.h"

namespace nubo {

class System;
class Clock;

// What the pages need from the machine, handed down from start-up.
struct PageServices {
    System& system;
    Clock& clock;
};

class CWelcomeP : public WizardPage {
public:
    CWelcomeP(RunSettings& settings, PageServices services, PageIds ids, bool newStyle);
    void OnCreate() override;
    void OnSetActive() override;

private:
    PageServices services_;
};

class CCommP : public WizardPage {
public:
    CCommP(RunSettings& settings, PageServices services, PageIds ids);
    void OnCreate() override;
    void OnSetActive() override;
    std::map<int, int> HelpMap() const override { return {{1064, 100}, {1065, 101}, {1048, 102}}; }

private:
    PageServices services_;
};

class CConfigP : public WizardPage {
public:
    CConfigP(RunSettings& settings, PageServices services, PageIds ids);
    void OnCreate() override;
    void OnSetActive() override;
    std::map<int, int> HelpMap() const override {
        return {{1025, 103}, {1029, 104}, {1035, 105}, {1062, 106}, {1063, 107},
                {1041, 108}, {1039, 109}, {1034, 110}, {1043, 111}};
    }

private:
    PageServices services_;
};

class CTestP : public WizardPage {
public:
    CTestP(RunSettings& settings, PageServices services, PageIds ids);
    void OnCreate() override;
    void OnSetActive() override;

private:
    PageServices services_;
};

}  // namespace nubo
