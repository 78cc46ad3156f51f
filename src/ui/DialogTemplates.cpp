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

std::vector<DialogTemplate> Build() {
    std::vector<DialogTemplate> all;
    const std::vector<ControlTemplate> welcome = {
        {K::Title, 1020, 1020, 115, 15, 196, 23},
        {K::Static, -1, 9002, 115, 56, 196, 104},
    };
    all.push_back({107, 317, 193, welcome});
    auto oldWelcome = welcome;
    oldWelcome.push_back({K::Picture, -1, 148, 0, 0, 109, 192});
    all.push_back({168, 317, 193, oldWelcome});

    all.push_back({162, 317, 141, {}});
    all.push_back({129, 317, 143, {}});
    all.push_back({134, 317, 143, {}});
    for (int id : {169, 170, 171}) all.push_back({id, 317, 193, OldStyleHeader()});
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
