// The test page's result list: rows with their state flags, and the pure
// layout that turns them into draw operations. Rows are added and removed on
// the UI thread while no test runs; the test worker changes the flags of
// existing rows, so the flags are atomic and the front end paints from them.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "modemtests/ModemTests.h"

namespace nubo {

struct TestItem {
    std::atomic<bool> passed{false};
    std::atomic<bool> active{false};
    std::atomic<bool> failed{false};
    std::string text;
};

// One row's state as the layout sees it.
struct RowState {
    bool passed = false;
    bool active = false;
    bool failed = false;
    std::string text;
};

class CResultList : public TestRows {
public:
    void AddItem(const std::string& text);
    void RemoveAll();
    // Both ask the front end for a repaint of the whole list.
    void SetActive(int row, bool on) override;
    void SetResult(int row, bool passed, bool failed) override;

    int Count() const { return static_cast<int>(rows_.size()); }
    std::vector<RowState> Snapshot() const;
    // The front end's repaint request; called from whichever thread changed a flag.
    void SetRepaintHandler(std::function<void()> handler) { repaint_ = std::move(handler); }

private:
    TestItem* Row(int row);
    std::vector<std::unique_ptr<TestItem>> rows_;
    std::function<void()> repaint_;
};

struct MarkSize {
    int width = 0;
    int height = 0;
    bool present = false;  // a mark that could not be loaded is never drawn
};

struct DrawOp {
    enum class Kind { PassMark, ActiveMark, FailMark, Text } kind;
    int x = 0;
    int y = 0;
    bool bold = false;  // Text only
    std::string text;   // Text only
};

struct ResultLayout {
    int rowHeight = 0;
    int contentHeight = 0;  // the scrollable extent's height
    std::vector<DrawOp> ops;
};

// Row height = 1.3 x the height of "A" in the list's default font; rows start
// 10 pixels down; marks at x 10 centred on the row, texts at x 25. Those
// pixels are a 96-DPI display's, scaled to `dpi`.
ResultLayout LayoutResultList(const std::vector<RowState>& rows, int heightOfA, MarkSize pass,
                              MarkSize active, MarkSize fail, int dpi = 96);

}  // namespace nubo
