// Paints a CResultList by its layout: a child window of the test page with the
// button-face background, the marks loaded with their white mapped to the
// button face, the active row in bold; scrolls vertically when the rows do not
// fit. Created and painted on the UI thread; the test worker's repaint
// requests only invalidate the window, which never waits for the UI thread.
#pragma once
#include <windows.h>

#include "ui/ResultList.h"

namespace nubo {

class ResultListView {
public:
    ResultListView(CResultList& list, HWND parent, const RECT& rect);
    // Only after the test worker has been joined: it stops the repaint requests.
    ~ResultListView();
    ResultListView(const ResultListView&) = delete;
    ResultListView& operator=(const ResultListView&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC dc);
    void Scroll(int code);
    ResultLayout Layout(HDC dc);

    CResultList& list_;
    HWND hwnd_ = nullptr;
    HBITMAP pass_ = nullptr;
    HBITMAP active_ = nullptr;
    HBITMAP fail_ = nullptr;
    int scrollY_ = 0;
    int contentHeight_ = 0;
    int rowHeight_ = 1;
};

}  // namespace nubo
