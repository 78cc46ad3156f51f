// The dial data file: locations and numbers of the dial-in service, and how
// the search page's location box and number field show them. Called on the
// UI thread by the search page.
#pragma once
#include <string>
#include <vector>

#include "wizard/ControlIds.h"

namespace nubo {

class DialogItems;
class System;

struct DialEntry {
    std::string number;    // columns 4 and 5 joined
    std::string location;  // column 3
};

// The text after the n-th comma, up to the next comma or the line's end, with
// white space trimmed at both ends; false (and empty) when the line has fewer
// than n commas.
bool ReadDialField(const std::string& line, int n, std::string& field);

// Beside the program, under the program's name with ".dat".
std::string DialDataPath(System& system);

// Refills the location box and entries from the file, selects the box's first
// item and shows its number. A file that cannot be opened or holds no line
// leaves the box and entries empty and the number field as it was.
void LoadDialData(const std::string& path, DialogItems& items, std::vector<DialEntry>& entries);

// Puts the number of the first entry (in file order) whose location is the
// selected box item into the number field; no match leaves the field as it was.
void ShowLocationNumber(DialogItems& items, const std::vector<DialEntry>& entries);

}  // namespace nubo
