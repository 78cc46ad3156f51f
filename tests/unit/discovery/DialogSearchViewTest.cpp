// The search's view over the page's controls: which controls the search may show.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "discovery/SearchView.h"

namespace nubo {
namespace {

class ShownItems : public DialogItems {
public:
    std::set<int> shown;
    std::map<int, std::string> texts;
    bool serviceCallSelected = true;

    void SetText(int id, const std::string& text) override { texts[id] = text; }
    std::string GetText(int id) override { return texts[id]; }
    void Show(int id, bool show) override {
        if (show) {
            shown.insert(id);
        } else {
            shown.erase(id);
        }
    }
    void Enable(int, bool) override {}
    bool IsEnabled(int) override { return false; }
    void Check(int, bool) override {}
    bool IsChecked(int id) override {
        return id == searchpage::kServiceCall && serviceCallSelected;
    }
    void SetReadOnly(int, bool) override {}
    void ListReset(int) override {}
    int ListAdd(int, const std::string&) override { return 0; }
    int ListCount(int) override { return 0; }
    void ListSelect(int, int) override {}
    int ListSelectedIndex(int) override { return -1; }
    std::string ListSelectedText(int) override { return {}; }
    void Focus(int) override {}
    void SetTitleFont(int, const TitleFont&) override {}
};

class Buttons : public WizardHost {
public:
    std::vector<std::string> calls;
    void SetWizardButtons(unsigned flags) override {
        calls.push_back("set " + std::to_string(flags));
    }
    void PressButton(WizardButton b) override {
        calls.push_back(b == WizardButton::Next ? "press next" : "press other");
    }
    void EndWizard(int) override {}
    void ShowMessageBox(const std::string&, const std::string&) override {}
    void CloseWorkerCalls() override {}
    void OpenWorkerCalls() override {}
};

TEST(DialogSearchView, FieldsButtonsAndTheDialTestControls) {
    ShownItems items;
    Buttons host;
    DialogSearchView view(items, host);
    view.ShowPort("/dev/ttyUSB0");
    view.ShowModem("NUBO 56K-PRO");
    view.ShowStatus("done");
    EXPECT_EQ(items.texts, (std::map<int, std::string>{
                               {1028, "/dev/ttyUSB0"}, {1030, "NUBO 56K-PRO"}, {1022, "done"}}));
    view.SetWizardButtons(kWizBack | kWizNext);
    view.PressNext();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"set 3", "press next"}));

    // The dial-in service chosen: no own number; the location controls never.
    view.ShowDialTestControls();
    EXPECT_EQ(items.shown, (std::set<int>{1035, 1062, 1063, 1041, 1042, 1066}));

    items.shown.clear();
    items.serviceCallSelected = false;
    view.ShowDialTestControls();
    EXPECT_EQ(items.shown, (std::set<int>{1035, 1062, 1063, 1041, 1042, 1066, 1039, 1038}));
}

}  // namespace
}  // namespace nubo
