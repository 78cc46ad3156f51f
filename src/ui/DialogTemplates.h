// The pages' dialog templates, defined once for every front end: control kind,
// id, position and size in dialog units, the key of its text, initial state.
#pragma once
#include <vector>

#include "wizard/ControlIds.h"

namespace nubo {

enum class ControlKind {
    Static,       // plain text, left aligned, wraps
    Title,        // static text meant for a title font
    Picture,      // bitmap; textKey holds the bitmap id
    EtchedLine,   // sunken horizontal line
    RadioButton,  // firstInGroup starts a new group
    AutoRadioButton,
    CheckBox,
    Edit,
    ListBox,   // sorted, vertical scroll bar
    ComboBox,  // drop-down list, sorted
    GroupBox,
};

struct ControlTemplate {
    ControlKind kind;
    int id;       // control id; -1 for controls the program never addresses
    int textKey;  // key of the dialog text (the id, or a number of its own for id-less texts)
    int x, y, w, h;
    bool visible = true;
    bool enabled = true;
    bool firstInGroup = false;
    bool readOnly = false;
};

struct DialogTemplate {
    int id;
    int width, height;  // dialog units
    std::vector<ControlTemplate> controls;
};

// The template with this id; nullptr when there is none.
const DialogTemplate* FindTemplate(int id);
const std::vector<DialogTemplate>& AllTemplates();

// The pages' templates: new style, and old style with its own title block.
namespace tmpl {
constexpr int kWelcome = 107;
constexpr int kOldWelcome = 168;
constexpr int kPort = 162;
constexpr int kOldPort = 169;
constexpr int kSearch = 129;
constexpr int kOldSearch = 170;
constexpr int kTest = 134;
constexpr int kOldTest = 171;
}  // namespace tmpl

// A new-style sheet picture: its bitmap (one for displays of 256 colours or
// more, one for fewer) placed at x, y on a band of width x height pixels.
struct SheetPicture {
    int pictureId;
    int lowColourPictureId;
    int width, height, x, y;
    int Id(bool lowColour) const { return lowColour ? lowColourPictureId : pictureId; }
};
constexpr SheetPicture kWatermark{148, 142, 503, 313, 0, 0};
constexpr SheetPicture kHeader{141, 147, 503, 58, 443, 5};

}  // namespace nubo
