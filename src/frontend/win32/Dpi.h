// Pixel sizes that the program gives for a 96-DPI display, at the DPI the
// window is actually shown with: the dialog manager scales the templates'
// dialog units by itself, everything placed in pixels has to follow.
#pragma once
#include <windows.h>

namespace nubo {

// The DPI of the window's monitor where the system knows one per window
// (Windows 10 1607 and later), else the screen's.
int WindowDpi(HWND hwnd);

inline int Scaled(int pixels, int dpi) {
    return MulDiv(pixels, dpi, 96);
}

// A copy of the bitmap stretched to width x height; the original is kept.
HBITMAP StretchedBitmap(HBITMAP bitmap, int width, int height);

}  // namespace nubo
