// Controls in memory for the page logic: texts by id and list boxes that keep
// their items sorted the way a sorted list box does (case-insensitive, a new
// item after its equals).
#pragma once
#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "platform/DialogItems.h"

namespace nubo::test {

class FakeDialogItems : public DialogItems {
public:
    struct List {
        std::vector<std::string> items;
        int selected = -1;
    };
    std::map<int, std::string> texts;
    std::map<int, List> lists;

    void SetText(int id, const std::string& text) override { texts[id] = text; }
    std::string GetText(int id) override { return texts[id]; }
    void Show(int, bool) override {}
    void Enable(int, bool) override {}
    bool IsEnabled(int) override { return true; }
    void Check(int, bool) override {}
    bool IsChecked(int) override { return false; }
    void SetReadOnly(int, bool) override {}
    void ListReset(int id) override { lists[id] = List{}; }
    int ListAdd(int id, const std::string& text) override {
        auto& items = lists[id].items;
        auto at = std::upper_bound(items.begin(), items.end(), text, Less);
        return static_cast<int>(items.insert(at, text) - items.begin());
    }
    int ListCount(int id) override { return static_cast<int>(lists[id].items.size()); }
    void ListSelect(int id, int index) override {
        List& l = lists[id];
        l.selected = index >= 0 && index < static_cast<int>(l.items.size()) ? index : -1;
    }
    int ListSelectedIndex(int id) override { return lists[id].selected; }
    std::string ListSelectedText(int id) override {
        const List& l = lists[id];
        return l.selected < 0 ? std::string() : l.items[l.selected];
    }
    void Focus(int) override {}
    void SetTitleFont(int, const TitleFont&) override {}

private:
    static bool Less(const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
    }
};

}  // namespace nubo::test
