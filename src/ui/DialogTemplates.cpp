// The pages' dialog templates of both wizard styles.
#include "ui/DialogTemplates.h"

namespace nubo {
namespace {

using K = ControlKind;

// Title block that old-style inner pages draw themselves: title, subtitle and
// a sunken line across the page at y 38.
std::vector<ControlTemplate> OldStyleHeader() {
    return {
        {K::Title, kOldStyleTitleId, kOldStyleTitleId, 9, 7, 118, 10},
        {K::Static, -1, 9001, 21, 17, 280, 19},
        {K::EtchedLine, -1, 0, 0, 38, 317, 1},
    };
}

// The same controls lower down the page, as old-style templates hold them.
std::vector<ControlTemplate> Lowered(std::vector<ControlTemplate> controls, int dy) {
    for (ControlTemplate& c : controls) c.y += dy;
    return controls;
}

std::vector<ControlTemplate> WithHeader(std::vector<ControlTemplate> controls) {
    std::vector<ControlTemplate> all = OldStyleHeader();
    all.insert(all.end(), controls.begin(), controls.end());
    return all;
}

ControlTemplate* Find(std::vector<ControlTemplate>& controls, int id) {
    for (ControlTemplate& c : controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

std::vector<DialogTemplate> Build() {
    std::vector<DialogTemplate> all;

    // Welcome page.
    const std::vector<ControlTemplate> welcome = {
        {K::Title, 1020, 1020, 115, 15, 196, 23},
        {K::Static, -1, 9002, 115, 56, 196, 104},
    };
    all.push_back({107, 317, 193, welcome});
    auto oldWelcome = welcome;
    oldWelcome.push_back({K::Picture, -1, 148, 0, 0, 109, 192});
    all.push_back({168, 317, 193, oldWelcome});

    // Port selection page.
    const std::vector<ControlTemplate> port = {
        {K::AutoRadioButton, 1064, 1064, 21, 1, 180, 10, true, true, true},
        {K::AutoRadioButton, 1065, 1065, 21, 15, 180, 10},
        {K::Static, 1049, 1049, 34, 35, 101, 8, true, false},
        {K::ListBox, 1048, 1048, 34, 45, 167, 60, true, false},
    };
    all.push_back({162, 317, 141, port});
    all.push_back({169, 317, 193, WithHeader(Lowered(port, 45))});

    // Modem search page.
    const std::vector<ControlTemplate> search = {
        {K::Static, -1, 9003, 21, 1, 269, 8},
        {K::Static, 1025, 1025, 21, 19, 41, 8},
        {K::Edit, 1028, 1028, 70, 16, 60, 14},
        {K::Static, 1029, 1029, 143, 19, 26, 8},
        {K::Edit, 1030, 1030, 177, 16, 119, 14},
        {K::CheckBox, 1035, 1035, 21, 37, 142, 10, false, true},
        {K::AutoRadioButton, 1062, 1062, 34, 52, 142, 10, false, false, true},
        {K::AutoRadioButton, 1063, 1063, 34, 64, 142, 10, false, false},
        {K::Static, 1041, 1041, 48, 81, 47, 8, false, false},
        {K::Edit, 1042, 1042, 99, 78, 29, 14, false, false},
        {K::Static, 1039, 1039, 48, 97, 28, 8, false, false},
        {K::Static, 1033, 1033, 48, 98, 30, 8, false, false},
        {K::Edit, 1034, 1034, 99, 112, 92, 14, false, false},
        {K::Edit, 1038, 1038, 99, 95, 92, 14, false, false},
        {K::Static, 1031, 1031, 48, 114, 30, 8, false, false},
        {K::ComboBox, 1043, 1043, 99, 95, 92, 57, false, false},
        {K::Static, 1022, 1022, 21, 132, 275, 8},
        {K::CheckBox, 1066, 1066, 156, 80, 140, 10, false, false},
    };
    all.push_back({129, 317, 143, search});
    auto oldSearch = Lowered(search, 45);
    Find(oldSearch, 1039)->y += 1;
    Find(oldSearch, 1035)->w = 105;
    Find(oldSearch, 1062)->w = 121;
    Find(oldSearch, 1063)->w = 112;
    Find(oldSearch, 1041)->w = 36;
    *Find(oldSearch, 1066) = {K::CheckBox, 1066, 1066, 142, 125, 166, 10, false, false};
    all.push_back({170, 317, 193, WithHeader(oldSearch)});

    // Test page; the result list is placed by the page in pixels.
    all.push_back(
        {134,
         317,
         143,
         {{K::Static, -1, 9004, 21, 1, 275, 16}, {K::Static, 1022, 1022, 21, 108, 275, 34}}});
    auto oldTest = WithHeader(
        {{K::Static, -1, 9004, 21, 46, 275, 23}, {K::Static, 1022, 1022, 21, 152, 275, 30}});
    oldTest[2].w = 316;  // this page's line stops one unit short
    all.push_back({171, 317, 193, oldTest});
    return all;
}

}  // namespace

const std::vector<DialogTemplate>& AllTemplates() {
    static const std::vector<DialogTemplate> all = Build();
    return all;
}

const DialogTemplate* FindTemplate(int id) {
    for (const DialogTemplate& t : AllTemplates()) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

}  // namespace nubo
