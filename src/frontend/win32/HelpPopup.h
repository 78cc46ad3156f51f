// Context help as a pop-up of our own (the platform's help viewer for this
// kind of file is gone from current Windows): the topic's text in a framed
// window in the dialog's font, closed by a click, a key or losing the focus.
// UI thread only.
#pragma once
#include <string>

#include <windows.h>

namespace nubo {

// `at` is in screen coordinates: the pop-up's top left, moved to stay on the screen.
void ShowHelpPopup(HWND owner, const std::wstring& text, POINT at, HFONT font);

}  // namespace nubo
