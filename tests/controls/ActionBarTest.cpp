// The action bar: the buttons it shows, its paint, and the clicks it raises
// from real mouse events.
#include "BarTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <stdexcept>

using bartest::Hex;
using bartest::OpenedBarsWindow;
using bartest::PaintBar;

namespace {

using Events = std::vector<std::string>;

void Record(qorActionBar& bar, Events& events)
{
    bar.AddButtonClick.Bind([&](qorActionBar&) { events.push_back("Add"); });
    bar.RemoveButtonClick.Bind([&](qorActionBar&) { events.push_back("Remove"); });
    bar.ActionButtonClick.Bind([&](qorActionBar&) { events.push_back("Action"); });
}

// A real press and release at one point; the events raised.
Events ClickAt(qorActionBar& bar, Events& events, int x, int y)
{
    events.clear();
    QTest::mousePress(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(x, y));
    QTest::mouseRelease(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(x, y));
    return events;
}

std::vector<int> ColumnsIn(const QImage& image, int y, const std::string& colour)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (Hex(image, x, y) == colour)
            columns.push_back(x);
    }
    return columns;
}

// The glyphs of the buttons shown, with their separators (each also the end
// of its button's press zone) and the x of each glyph.
struct ButtonsCase {
    std::string shown;
    std::vector<int> separators, glyphX;
    friend std::ostream& operator<<(std::ostream& out, const ButtonsCase& c) { return out << '"' << c.shown << '"'; }
};

class ActionBarButtons : public ::testing::TestWithParam<ButtonsCase> {};

} // namespace

// On the window's bar made 40 high, without its outline: separators run the
// full height in BorderColor, glyphs keep baseline 15, and each press zone
// runs from the previous separator to its own, both included.
TEST_P(ActionBarButtons, SeparatorsGlyphsAndPressZones)
{
    const ButtonsCase& c = GetParam();
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    bar.SetHeight(40);
    bar.SetBorder(false);
    bar.SetHasAddButton(c.shown.find('+') != std::string::npos);
    bar.SetHasRemoveButton(c.shown.find('-') != std::string::npos);
    bar.SetHasActionButton(c.shown.find('A') != std::string::npos);

    std::vector<std::string> log, glyphs, drawn;
    const QImage image = PaintBar(bar, 387, 40, &log);
    for (std::size_t i = 0; i < c.shown.size(); ++i)
        glyphs.push_back("DrawString " + c.shown.substr(i, 1) + " " + std::to_string(c.glyphX[i]) + " 15");
    std::copy_if(log.begin(), log.end(), std::back_inserter(drawn),
                 [](const std::string& e) { return e.rfind("DrawString", 0) == 0; });
    EXPECT_EQ(drawn, glyphs);
    for (int y : {0, 39})
        EXPECT_EQ(ColumnsIn(image, y, "A5A5A5"), c.separators) << "row " << y;

    Events events;
    Record(bar, events);
    for (int x : {0, 27, 28, 29, 30, 31, 57, 58, 59, 60, 61, 87, 88, 89}) {
        Events expected;
        for (std::size_t i = 0; i < c.shown.size(); ++i) {
            if ((i == 0 ? 0 : c.separators[i - 1]) <= x && x <= c.separators[i])
                expected.push_back(c.shown[i] == '+' ? "Add" : c.shown[i] == '-' ? "Remove" : "Action");
        }
        EXPECT_EQ(ClickAt(bar, events, x, 20), expected) << "x " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ActionBarButtons,
                         ::testing::Values(ButtonsCase{"+-A", {28, 58, 88}, {11, 41, 71}},
                                           ButtonsCase{"+-", {28, 58}, {11, 41}}, ButtonsCase{"+A", {28, 58}, {11, 41}},
                                           ButtonsCase{"-A", {30, 60}, {13, 43}}, ButtonsCase{"+", {28}, {11}},
                                           ButtonsCase{"-", {30}, {13}}, ButtonsCase{"A", {30}, {13}},
                                           ButtonsCase{"", {}, {}}));

TEST(ActionBarMainWindow, PaintsFillOutlineAndTwoButtons)
{
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    std::vector<std::string> log;
    PaintBar(bar, 387, 22, &log);
    EXPECT_EQ(log, (std::vector<std::string>{"ForeColor FAFAFA", "FillRect 0 0 387 22",  //
                                             "ForeColor A5A5A5", "DrawRect 0 0 387 22",  //
                                             "ForeColor A5A5A5", "DrawLine 28 0 28 22",  //
                                             "ForeColor 000000", "DrawString + 11 15",   //
                                             "ForeColor A5A5A5", "DrawLine 58 0 58 22",  //
                                             "ForeColor 000000", "DrawString - 41 15"}));

    const QImage image = bar.Render();
    EXPECT_EQ(Hex(image, 200, 10), "FAFAFA");
    EXPECT_EQ(Hex(image, 200, 0) + Hex(image, 200, 21), "A5A5A5A5A5A5");
    EXPECT_EQ(ColumnsIn(image, 19, "A5A5A5"), (std::vector<int>{0, 28, 58, 386}));
    // Dark glyph ink from each glyph's x to its separator, and nowhere else.
    const auto ink = [&](int left, int right) {
        int dark = 0;
        for (int y = 1; y < 21; ++y) {
            for (int x = left; x <= right; ++x)
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
        return dark;
    };
    EXPECT_GT(ink(11, 27), 0);
    EXPECT_GT(ink(41, 57), 0);
    EXPECT_EQ(ink(1, 9) + ink(29, 39) + ink(59, 385), 0);
}

TEST(ActionBarMainWindow, RealClicksRaiseByTheTableAndByTheFlagsAlone)
{
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    Events events;
    Record(bar, events);
    struct Click {
        int x, y;
        Events raised;
    };
    for (const Click& c : std::initializer_list<Click>{
             {10, 0, {}}, {28, 0, {}}, {40, 0, {}}, {10, -1, {}}, {10, 22, {}},   // above and below the rows
             {0, 1, {"Add"}}, {27, 21, {"Add"}}, {14, 11, {"Add"}},                // X 0 to 27
             {28, 1, {"Add", "Remove"}}, {28, 21, {"Add", "Remove"}},              // the shared separator
             {29, 11, {"Remove"}}, {58, 21, {"Remove"}},                           // X 29 to 58
             {59, 11, {}}, {200, 11, {}}, {386, 21, {}}}) {                        // beyond the buttons
        EXPECT_EQ(ClickAt(bar, events, c.x, c.y), c.raised) << "x " << c.x << ", y " << c.y;
    }
    EXPECT_FALSE(bar.AddButtonPending() || bar.RemoveButtonPending() || bar.ActionButtonPending());

    // The flags alone decide: a release outside the bar still raises, and so
    // does a button switched off since the press.
    events.clear();
    QTest::mousePress(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(500, -40));
    QTest::mousePress(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(40, 10));
    bar.SetHasRemoveButton(false);
    QTest::mouseRelease(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_EQ(events, (Events{"Add", "Remove"}));
}

TEST(ActionBarClicks, ANeverConfiguredBarIsFilledBlackAndRaisesNothing)
{
    qorActionBar bar;
    bar.SetWidth(60);
    bar.SetHeight(22);
    std::vector<std::string> log;
    const QImage image = PaintBar(bar, 60, 22, &log, Color(0xFFFFFF));
    EXPECT_EQ(log, (std::vector<std::string>{"ForeColor 000000", "FillRect 0 0 60 22"}));
    for (const QPoint p : {QPoint(0, 0), QPoint(28, 10), QPoint(59, 21)})
        EXPECT_EQ(Hex(image, p.x(), p.y()), "000000");

    Events events;
    Record(bar, events);
    for (int x : {0, 10, 28, 30}) {
        EXPECT_TRUE(bar.Event_MouseDown(x, 10));
        bar.Event_MouseUp(x, 10);
    }
    EXPECT_TRUE(events.empty());
}

// A throwing handler stops the later events and clears no flag, so the next
// release raises them all again, even after a press that reaches no button.
TEST(ActionBarClicks, AThrowingHandlerLeavesTheFlagsForTheNextRelease)
{
    qorActionBar bar;
    _SetProperties(bar, bartest::ActionBarList());
    Events events;
    bool fail = true;
    bar.AddButtonClick.Bind([&](qorActionBar&) {
        events.push_back("Add");
        if (fail)
            throw std::runtime_error("no item");
    });
    bar.RemoveButtonClick.Bind([&](qorActionBar&) { events.push_back("Remove"); });

    bar.Event_MouseDown(28, 5);
    EXPECT_THROW(bar.Event_MouseUp(28, 5), std::runtime_error);
    EXPECT_EQ(events, Events{"Add"});
    EXPECT_TRUE(bar.AddButtonPending() && bar.RemoveButtonPending());

    fail = false;
    events.clear();
    bar.Event_MouseDown(28, 0);
    bar.Event_MouseUp(28, 0);
    EXPECT_EQ(events, (Events{"Add", "Remove"}));
    EXPECT_FALSE(bar.AddButtonPending() || bar.RemoveButtonPending());
}
