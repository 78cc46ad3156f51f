// The test page's result list: model and layout.
#include "ui/ResultList.h"

namespace nubo {

void CResultList::AddItem(const std::string& text) {
    rows_.push_back(std::make_unique<TestItem>());
    rows_.back()->text = text;
}

void CResultList::RemoveAll() {
    rows_.clear();
}

TestItem* CResultList::Row(int row) {
    return row >= 0 && row < Count() ? rows_[static_cast<std::size_t>(row)].get() : nullptr;
}

void CResultList::SetActive(int row, bool on) {
    if (TestItem* item = Row(row)) item->active = on;
    if (repaint_) repaint_();
}

void CResultList::SetResult(int row, bool passed, bool failed) {
    if (TestItem* item = Row(row)) {
        item->passed = passed;
        item->failed = failed;
    }
    if (repaint_) repaint_();
}

std::vector<RowState> CResultList::Snapshot() const {
    std::vector<RowState> rows;
    rows.reserve(rows_.size());
    for (const auto& r : rows_) rows.push_back({r->passed, r->active, r->failed, r->text});
    return rows;
}

ResultLayout LayoutResultList(const std::vector<RowState>& rows, int heightOfA, MarkSize pass,
                              MarkSize active, MarkSize fail, int dpi) {
    const int ten = 10 * dpi / 96;
    ResultLayout layout;
    layout.rowHeight = heightOfA * 13 / 10;
    layout.contentHeight = static_cast<int>(rows.size()) * layout.rowHeight + ten;
    int q = 0;
    for (const RowState& row : rows) {
        const int top = q++ * layout.rowHeight + ten;
        auto markAt = [&](DrawOp::Kind kind, const MarkSize& mark) {
            // C++ division cuts toward zero, so a mark taller than the row
            // starts above the row's top.
            layout.ops.push_back({kind, ten, top + (layout.rowHeight - mark.height) / 2, false, {}});
        };
        if (pass.present && row.passed && !row.active) markAt(DrawOp::Kind::PassMark, pass);
        if (fail.present && row.failed && !row.passed && !row.active) {
            markAt(DrawOp::Kind::FailMark, fail);
        }
        if (row.active && active.present) markAt(DrawOp::Kind::ActiveMark, active);
        layout.ops.push_back({DrawOp::Kind::Text, 25 * dpi / 96, top + (layout.rowHeight - heightOfA) / 2,
                              row.active, row.text});
    }
    return layout;
}

}  // namespace nubo
