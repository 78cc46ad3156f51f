// The result list's layout: row height, margins, mark placement and which
// marks a row's flags show.
#include <gtest/gtest.h>

#include "ui/ResultList.h"

namespace nubo {
namespace {

const MarkSize kPass{8, 9, true};
const MarkSize kActive{8, 13, true};
const MarkSize kFail{7, 7, true};

std::vector<DrawOp::Kind> Kinds(const ResultLayout& layout) {
    std::vector<DrawOp::Kind> kinds;
    for (const DrawOp& op : layout.ops) kinds.push_back(op.kind);
    return kinds;
}

TEST(ResultListLayout, RowHeightsPositionsAndContentHeightForSeveralFonts) {
    struct Case {
        int heightOfA, rowHeight, textY1, passY1;
    };
    // row height = floor(1.3 x A); row 1 starts at rowHeight + 10.
    const Case cases[] = {{13, 16, 10 + 16 + 1, 10 + 16 + 3}, {20, 26, 10 + 26 + 3, 10 + 26 + 8}};
    for (const Case& c : cases) {
        std::vector<RowState> rows(5);
        rows[1].passed = true;
        rows[1].text = "Internal modem check";
        const ResultLayout layout = LayoutResultList(rows, c.heightOfA, kPass, kActive, kFail);
        EXPECT_EQ(layout.rowHeight, c.rowHeight);
        EXPECT_EQ(layout.contentHeight, 5 * c.rowHeight + 10);
        ASSERT_EQ(layout.ops.size(), 6u);
        EXPECT_EQ(layout.ops[0].y, 10 + (c.rowHeight - c.heightOfA) / 2);
        EXPECT_EQ(layout.ops[1].kind, DrawOp::Kind::PassMark);
        EXPECT_EQ(layout.ops[1].x, 10);
        EXPECT_EQ(layout.ops[1].y, c.passY1);
        EXPECT_EQ(layout.ops[2].x, 25);
        EXPECT_EQ(layout.ops[2].y, c.textY1);
        EXPECT_EQ(layout.ops[2].text, "Internal modem check");
    }
}

// At 192 DPI the margins double along with the font and the marks.
TEST(ResultListLayout, MarginsFollowTheDpi) {
    const ResultLayout layout =
        LayoutResultList({{true, false, false, "row"}}, 26, {16, 18, true}, kActive, kFail, 192);
    EXPECT_EQ(layout.contentHeight, 33 + 20);
    ASSERT_EQ(layout.ops.size(), 2u);
    EXPECT_EQ(layout.ops[0].x, 20);
    EXPECT_EQ(layout.ops[0].y, 20 + 7);
    EXPECT_EQ(layout.ops[1].x, 50);
}

TEST(ResultListLayout, FlagsDecideTheMarkAndTheBoldText) {
    using K = DrawOp::Kind;
    struct Case {
        bool passed, active, failed;
        std::vector<K> kinds;
        bool bold;
    };
    const Case cases[] = {
        {false, false, false, {K::Text}, false},
        {true, false, false, {K::PassMark, K::Text}, false},
        {false, false, true, {K::FailMark, K::Text}, false},
        {true, false, true, {K::PassMark, K::Text}, false},   // both set: only the check mark
        {true, true, false, {K::ActiveMark, K::Text}, true},  // under way: no verdict shown
        {false, true, true, {K::ActiveMark, K::Text}, true},
        {false, true, false, {K::ActiveMark, K::Text}, true},
    };
    for (const Case& c : cases) {
        const ResultLayout layout =
            LayoutResultList({{c.passed, c.active, c.failed, "row"}}, 13, kPass, kActive, kFail);
        EXPECT_EQ(Kinds(layout), c.kinds) << c.passed << c.active << c.failed;
        EXPECT_EQ(layout.ops.back().bold, c.bold);
    }
}

TEST(ResultListLayout, AbsentMarksAreNeverDrawnAndTallMarksStartAboveTheRow) {
    const MarkSize none{};
    const ResultLayout absent = LayoutResultList(
        {{true, false, false, "a"}, {false, true, true, "b"}}, 13, none, none, none);
    EXPECT_EQ(Kinds(absent), (std::vector<DrawOp::Kind>{DrawOp::Kind::Text, DrawOp::Kind::Text}));
    EXPECT_TRUE(absent.ops[1].bold);

    const MarkSize tall{8, 30, true};
    const ResultLayout layout =
        LayoutResultList({{false, true, false, "x"}}, 13, kPass, tall, kFail);
    // (16 - 30) / 2 is -7, cut toward zero.
    EXPECT_EQ(layout.ops[0].y, 10 - 7);
}

}  // namespace
}  // namespace nubo
