// The pages' dialog templates of both wizard styles.
#include "ui/DialogTemplates.h"

namespace nubo {
namespace {

using K = ControlKind;

// How a control starts, where it differs from shown, enabled, not first in a
// group and writable.
struct Start {
    bool visible = true;
    bool enabled = true;
    bool firstInGroup = false;
    bool readOnly = false;
};

struct Box {
    int x, y, w, h;
};

// A control the program addresses: its text's key is its id.
ControlTemplate Control(ControlKind kind, int id, Box b, Start s = {}) {
    return {kind, id, id, b.x, b.y, b.w, b.h, s.visible, s.enabled, s.firstInGroup, s.readOnly};
}

// Text, a picture or a line the program never addresses; key is its text's
// key or the picture's id.
ControlTemplate Fixed(ControlKind kind, int key, Box b) {
    return {kind, -1, key, b.x, b.y, b.w, b.h};
}

constexpr Start kHidden{.visible = false, .enabled = false};
constexpr Start kHiddenButEnabled{.visible = false};

// Title block that old-style inner pages draw themselves: title, subtitle and
// a sunken line across the page at y 38.
std::vector<ControlTemplate> OldStyleHeader() {
    return {
        Control(K::Title, ctl::kOldStyleTitle, {9, 7, 118, 10}),
        Fixed(K::Static, 9001, {21, 17, 280, 19}),
        Fixed(K::EtchedLine, 0, {0, 38, 317, 1}),
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
    using namespace ctl;
    std::vector<DialogTemplate> all;

    const std::vector<ControlTemplate> welcome = {
        Control(K::Title, kWelcomeTitle, {115, 15, 196, 23}),
        Fixed(K::Static, 9002, {115, 56, 196, 104}),
    };
    all.push_back({tmpl::kWelcome, 317, 193, welcome});
    auto oldWelcome = welcome;
    oldWelcome.push_back(Fixed(K::Picture, 148, {0, 0, 109, 192}));
    all.push_back({tmpl::kOldWelcome, 317, 193, oldWelcome});

    const std::vector<ControlTemplate> port = {
        Control(K::AutoRadioButton, kAllPorts, {21, 1, 180, 10}, {.firstInGroup = true}),
        Control(K::AutoRadioButton, kOnePort, {21, 15, 180, 10}),
        Control(K::Static, kPortLabel, {34, 35, 101, 8}, {.enabled = false}),
        Control(K::ListBox, kPortBox, {34, 45, 167, 60}, {.enabled = false}),
    };
    all.push_back({tmpl::kPort, 317, 141, port});
    all.push_back({tmpl::kOldPort, 317, 193, WithHeader(Lowered(port, 45))});

    const std::vector<ControlTemplate> search = {
        Fixed(K::Static, 9003, {21, 1, 269, 8}),
        Control(K::Static, kPortCaption, {21, 19, 41, 8}),
        Control(K::Edit, kPortField, {70, 16, 60, 14}),
        Control(K::Static, kModemCaption, {143, 19, 26, 8}),
        Control(K::Edit, kModemField, {177, 16, 119, 14}),
        Control(K::CheckBox, kRunDialTest, {21, 37, 142, 10}, kHiddenButEnabled),
        Control(K::AutoRadioButton, kServiceCall, {34, 52, 142, 10},
                {.visible = false, .enabled = false, .firstInGroup = true}),
        Control(K::AutoRadioButton, kOwnCall, {34, 64, 142, 10}, kHidden),
        Control(K::Static, kPrefixLabel, {48, 81, 47, 8}, kHidden),
        Control(K::Edit, kPrefixField, {99, 78, 29, 14}, kHidden),
        Control(K::Static, kOwnNumberLabel, {48, 97, 28, 8}, kHidden),
        Control(K::Static, kLocationLabel, {48, 98, 30, 8}, kHidden),
        Control(K::Edit, kLocationNumber, {99, 112, 92, 14}, kHidden),
        Control(K::Edit, kOwnNumberField, {99, 95, 92, 14}, kHidden),
        Control(K::Static, kNumberLabel, {48, 114, 30, 8}, kHidden),
        Control(K::ComboBox, kLocationBox, {99, 95, 92, 57}, kHidden),
        Control(K::Static, kResultLine, {21, 132, 275, 8}),
        Control(K::CheckBox, kWaitDialTone, {156, 80, 140, 10}, kHidden),
    };
    all.push_back({tmpl::kSearch, 317, 143, search});
    auto oldSearch = Lowered(search, 45);
    Find(oldSearch, kOwnNumberLabel)->y += 1;
    Find(oldSearch, kRunDialTest)->w = 105;
    Find(oldSearch, kServiceCall)->w = 121;
    Find(oldSearch, kOwnCall)->w = 112;
    Find(oldSearch, kPrefixLabel)->w = 36;
    *Find(oldSearch, kWaitDialTone) = Control(K::CheckBox, kWaitDialTone, {142, 125, 166, 10}, kHidden);
    all.push_back({tmpl::kOldSearch, 317, 193, WithHeader(oldSearch)});

    // The result list is placed by the page in pixels.
    all.push_back({tmpl::kTest, 317, 143,
                   {Fixed(K::Static, 9004, {21, 1, 275, 16}),
                    Control(K::Static, kResultLine, {21, 108, 275, 34})}});
    auto oldTest = WithHeader({Fixed(K::Static, 9004, {21, 46, 275, 23}),
                               Control(K::Static, kResultLine, {21, 152, 275, 30})});
    oldTest[2].w = 316;  // this page's line stops one unit short
    all.push_back({tmpl::kOldTest, 317, 193, oldTest});
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
