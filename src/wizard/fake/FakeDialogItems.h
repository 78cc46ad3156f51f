// Controls and wizard in memory, for the page logic without a toolkit. Every
// call on the controls takes one lock, so a page's worker may call in while the
// test thread looks; tests read the public state when no worker runs.
#pragma once
#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "wizard/DialogItems.h"
#include "wizard/WizardHost.h"
#include "wizard/WorkerCalls.h"

namespace nubo {

class FakeDialogItems : public DialogItems {
public:
    struct List {
        std::vector<std::string> items;
        int selected = -1;
    };
    std::map<int, std::string> texts;
    std::map<int, List> lists;
    std::set<int> hidden;
    std::set<int> disabled;
    std::set<int> checked;
    std::set<int> readOnly;
    std::map<int, TitleFont> titleFonts;

    void SetText(int id, const std::string& text) override {
        std::lock_guard lock(mutex_);
        texts[id] = text;
    }
    std::string GetText(int id) override {
        std::lock_guard lock(mutex_);
        return texts[id];
    }
    void Show(int id, bool show) override { Flag(hidden, id, !show); }
    void Enable(int id, bool enable) override { Flag(disabled, id, !enable); }
    bool IsEnabled(int id) override { return !Has(disabled, id); }
    void Check(int id, bool on) override { Flag(checked, id, on); }
    bool IsChecked(int id) override { return Has(checked, id); }
    void SetReadOnly(int id, bool on) override { Flag(readOnly, id, on); }
    bool IsVisible(int id) { return !Has(hidden, id); }
    void ListReset(int id) override {
        std::lock_guard lock(mutex_);
        lists[id] = List{};
    }
    // Sorted like the platform's sorted boxes: without regard to case, a new
    // item after its equals.
    int ListAdd(int id, const std::string& text) override {
        std::lock_guard lock(mutex_);
        auto& items = lists[id].items;
        auto at = std::upper_bound(items.begin(), items.end(), text, Less);
        return static_cast<int>(items.insert(at, text) - items.begin());
    }
    int ListCount(int id) override {
        std::lock_guard lock(mutex_);
        return static_cast<int>(lists[id].items.size());
    }
    void ListSelect(int id, int index) override {
        std::lock_guard lock(mutex_);
        List& l = lists[id];
        l.selected = index >= 0 && index < static_cast<int>(l.items.size()) ? index : -1;
    }
    int ListSelectedIndex(int id) override {
        std::lock_guard lock(mutex_);
        return lists[id].selected;
    }
    std::string ListSelectedText(int id) override {
        std::lock_guard lock(mutex_);
        const List& l = lists[id];
        return l.selected < 0 ? std::string() : l.items[static_cast<std::size_t>(l.selected)];
    }
    void Focus(int) override {}
    void SetTitleFont(int id, const TitleFont& font) override {
        std::lock_guard lock(mutex_);
        titleFonts[id] = font;
    }

private:
    void Flag(std::set<int>& set, int id, bool on) {
        std::lock_guard lock(mutex_);
        if (on)
            set.insert(id);
        else
            set.erase(id);
    }
    bool Has(const std::set<int>& set, int id) {
        std::lock_guard lock(mutex_);
        return set.count(id) != 0;
    }
    static bool Less(const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
    }
    std::mutex mutex_;
};

// A wizard that records what the pages asked of it, with a UI thread of its
// own: the thread that made it. What a worker asks waits in a queue (button
// changes posted, presses sent) until the test runs the queue, as the sheet's
// UI thread would between two events. Presses and ends are only recorded; a
// test moves between pages itself.
class FakeWizardHost : public WizardHost {
public:
    void SetWizardButtons(unsigned flags) override {
        if (ui_.OnUiThread()) {
            SetButtons(flags);
        } else {
            ui_.Post([this, flags] { SetButtons(flags); });
        }
    }
    void PressButton(WizardButton button) override {
        ui_.Send([this, button] {
            std::lock_guard lock(mutex_);
            if (open_) presses_.push_back(button);
        });
    }
    void EndWizard(int result) override {
        ui_.Send([this, result] {
            std::lock_guard lock(mutex_);
            ends_.push_back(result);
        });
    }
    void ShowMessageBox(const std::string& text, const std::string&) override {
        std::lock_guard lock(mutex_);
        messages_.push_back(text);
    }
    bool RunOnUi(std::function<void()> fn) override { return ui_.Send(std::move(fn)); }
    void PostToUi(std::function<void()> fn) override { ui_.Post(std::move(fn)); }
    void CloseWorkerCalls() override {
        ui_.Close();
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    void OpenWorkerCalls() override {
        ui_.Open();
        std::lock_guard lock(mutex_);
        open_ = true;
    }
    // The UI thread's turn: runs what the workers asked so far.
    void RunQueued() { ui_.RunQueued(); }
    unsigned Buttons() {
        std::lock_guard lock(mutex_);
        return buttons_;
    }
    std::vector<WizardButton> Presses() {
        std::lock_guard lock(mutex_);
        return presses_;
    }
    std::vector<int> Ends() {
        std::lock_guard lock(mutex_);
        return ends_;
    }
    std::vector<std::string> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

private:
    class UiQueue : public WorkerCalls {
        void WakeUi() override {}
    };
    void SetButtons(unsigned flags) {
        std::lock_guard lock(mutex_);
        buttons_ = flags;
    }

    UiQueue ui_;
    std::mutex mutex_;
    unsigned buttons_ = 0;
    bool open_ = true;
    std::vector<WizardButton> presses_;
    std::vector<int> ends_;
    std::vector<std::string> messages_;
};

}  // namespace nubo
