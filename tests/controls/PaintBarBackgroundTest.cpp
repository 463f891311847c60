// The bar background as both bars paint it, read back from the pixels: each
// bar's style numbering, the fills row by row, the styles that draw none,
// and a context too large for the gradient.
#include "BarTestSupport.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <tuple>

using bartest::Hex;
using bartest::MainWindowBar;
using bartest::PaintBar;

namespace {

constexpr Color kLight(0xFAFAFA), kDark(0xB3B3B3), kRed(0xFF0000), kBlue(0x0000FF), kHalfRed = RGB(255, 0, 0, 128),
                kHalfBlue = RGB(0, 0, 255, 128);

using Rows = std::tuple<int, int, const char*>; // first row, last row, colour

struct FillCase {
    const char* name;
    bool action;
    std::int64_t style;
    Color start, end;
    std::int64_t height;
    std::vector<Rows> rows;
    friend std::ostream& operator<<(std::ostream& out, const FillCase& c) { return out << c.name; }
};

class BarFill : public ::testing::TestWithParam<FillCase> {};

} // namespace

// A main window's bar without its outline, so that every row shows, over a
// 123456 backdrop; each row probed at both ends and in the middle.
TEST_P(BarFill, RowsShowTheirColours)
{
    const FillCase& c = GetParam();
    const auto bar = MainWindowBar(c.action, PropertyList().Boolean("Border", false).Enum("Style", c.style)
                                                 .ColorValue("StartColor", c.start).ColorValue("EndColor", c.end)
                                                 .Integer("Height", c.height));
    const QImage image = PaintBar(*bar, 387, c.height);
    for (const auto& [first, last, colour] : c.rows) {
        for (int y = first; y <= last; ++y) {
            for (int x : {0, 193, 386})
                EXPECT_EQ(Hex(image, x, y), colour) << "row " << y << ", x " << x;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BarFill,
    ::testing::Values(
        // The status bar: Solid 1, TwoTone 2, Gradient 3. Levels truncated,
        // never rounded; the bottom row stops a step short of B3.
        FillCase{"StatusGradient", false, 3, kLight, kDark, 43,
                 {{0, 0, "FAFAFA"}, {1, 1, "F8F8F8"}, {2, 2, "F6F6F6"}, {3, 3, "F5F5F5"}, {10, 10, "E9E9E9"},
                  {12, 12, "E6E6E6"}, {20, 20, "D8D8D8"}, {21, 21, "D7D7D7"}, {22, 22, "D5D5D5"},
                  {30, 30, "C8C8C8"}, {41, 41, "B6B6B6"}, {42, 42, "B4B4B4"}}},
        FillCase{"StatusGradientEqualEnds", false, 3, kLight, kLight, 43,
                 {{0, 11, "FAFAFA"}, {12, 12, "F9F9F9"}, {13, 42, "FAFAFA"}}},
        FillCase{"StatusGradientOneRow", false, 3, kLight, kDark, 1, {{0, 0, "FAFAFA"}}},
        FillCase{"StatusTwoTone43", false, 2, kLight, kDark, 43, {{0, 20, "FAFAFA"}, {21, 42, "B3B3B3"}}},
        FillCase{"StatusTwoTone1", false, 2, kLight, kDark, 1, {{0, 0, "B3B3B3"}}},
        FillCase{"StatusTwoTone2", false, 2, kLight, kDark, 2, {{0, 0, "FAFAFA"}, {1, 1, "B3B3B3"}}},
        // Half-transparent red and blue: blended over the backdrop by Solid
        // and TwoTone, ignored by the Gradient, whose channels run separately.
        FillCase{"StatusSolidTranslucent", false, 1, kHalfRed, kHalfBlue, 4, {{0, 3, "881A2B"}}},
        FillCase{"StatusTwoToneTranslucent", false, 2, kHalfRed, kHalfBlue, 4, {{0, 1, "881A2B"}, {2, 3, "091AAA"}}},
        FillCase{"StatusGradientTranslucent", false, 3, kHalfRed, kHalfBlue, 32,
                 {{0, 0, "FF0000"}, {1, 1, "F70007"}, {30, 30, "0F00EF"}}},
        // The action bar numbers the same fills one lower.
        FillCase{"ActionSolid", true, 0, kRed, kBlue, 32, {{0, 31, "FF0000"}}},
        FillCase{"ActionTwoTone", true, 1, kRed, kBlue, 32, {{0, 15, "FF0000"}, {16, 31, "0000FF"}}},
        FillCase{"ActionGradient", true, 2, kRed, kBlue, 32, {{0, 0, "FF0000"}, {1, 1, "F70007"}, {30, 30, "0F00EF"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Any other style draws no fill; the outline, and the action bar's
// separators, still are.
TEST(BarFill, OtherStylesLeaveTheBackdropButDrawTheOutline)
{
    for (const auto& [action, style] : std::initializer_list<std::pair<bool, std::int64_t>>{
             {false, 0}, {false, 4}, {false, -1}, {true, 3}, {true, -1}}) {
        SCOPED_TRACE((action ? "action bar, Style " : "status bar, Style ") + std::to_string(style));
        const auto bar = MainWindowBar(action, PropertyList().Enum("Style", style));
        const int h = int(bar->Height());
        const QImage image = PaintBar(*bar, 387, h);
        for (const QPoint p : {QPoint(100, 1), QPoint(193, h / 2), QPoint(385, h - 2)})
            EXPECT_EQ(Hex(image, p.x(), p.y()), "123456") << p.x() << "," << p.y();
        for (const QPoint p : {QPoint(100, 0), QPoint(0, h / 2), QPoint(386, h / 2), QPoint(100, h - 1)})
            EXPECT_EQ(Hex(image, p.x(), p.y()), "A5A5A5") << p.x() << "," << p.y();
        if (action) {
            EXPECT_EQ(Hex(image, 28, h / 2) + Hex(image, 58, h / 2), "A5A5A5A5A5A5");
        }
    }
}

// Outside 1-32767 pixels no picture can match the context: the gradient is
// left out, the outline and the captions are still drawn.
TEST(BarFill, AGradientOnAContextNoPictureCanMatchLeavesOnlyTheFillOut)
{
    for (const QSize size : {QSize(40000, 43), QSize(387, 32768)}) {
        SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()));
        const auto bar = MainWindowBar(false);
        QImage image(387, 43, QImage::Format_ARGB32);
        image.fill(Qt::white);
        std::vector<std::string> log;
        {
            Graphics g(&image, size.width(), size.height());
            g.SetCallLog(&log);
            EXPECT_NO_THROW(bar->Event_Paint(g, {}));
        }
        ASSERT_EQ(log.size(), 6u);
        EXPECT_EQ(log[1], "DrawRect 0 0 387 43");
        EXPECT_EQ(log[5].rfind("DrawString", 0), 0u);
        EXPECT_EQ(Hex(image, 100, 20), "FFFFFF");
        EXPECT_EQ(Hex(image, 100, 0), "A5A5A5");
    }
}
