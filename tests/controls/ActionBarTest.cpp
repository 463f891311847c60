// The action bar: its class table, its paint, its press zones driven by real
// mouse events, and the order and failure behaviour of its click events.
#include "BarTestSupport.h"

#include "controls/qorActionBar.h"
#include "framework/Application.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"
#include "framework/PropertyList.h"

#include <QCoreApplication>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

using bartest::Hex;
using bartest::OpenedBarsWindow;
using bartest::PaintBar;

namespace {

using Events = std::vector<std::string>;

// Records the bar's three events in the order they are raised.
void Record(qorActionBar& bar, Events& events)
{
    bar.AddButtonClick.Bind([&](qorActionBar&) { events.push_back("Add"); });
    bar.RemoveButtonClick.Bind([&](qorActionBar&) { events.push_back("Remove"); });
    bar.ActionButtonClick.Bind([&](qorActionBar&) { events.push_back("Action"); });
}

// A press and a release at the same point, as the user makes them.
Events ClickAt(qorActionBar& bar, Events& events, int x, int y)
{
    events.clear();
    QTest::mousePress(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(x, y));
    QTest::mouseRelease(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(x, y));
    return events;
}

void ShowButtons(qorActionBar& bar, bool add, bool remove, bool action)
{
    bar.SetHasAddButton(add);
    bar.SetHasRemoveButton(remove);
    bar.SetHasActionButton(action);
}

// The columns of a row drawn in colour, left to right.
std::vector<int> ColumnsIn(const QImage& image, int y, const std::string& colour)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (Hex(image, x, y) == colour)
            columns.push_back(x);
    }
    return columns;
}

} // namespace

// --- Class table -------------------------------------------------------------

TEST(ActionBarClass, DeclaresItsPropertiesInOrderWithTheirTypes)
{
    const ClassInfo& info = qorActionBar::StaticClassInfo();
    EXPECT_EQ(info.Name(), "qorActionBar");
    EXPECT_EQ(info.Base(), &Canvas::StaticClassInfo());
    const std::vector<std::pair<std::string, PropertyType>> expected{
        {"BorderColor", PropertyType::Color},         {"mHasAddButton", PropertyType::Boolean},
        {"mAddButtonClick", PropertyType::Boolean},   {"mRemoveButtonClick", PropertyType::Boolean},
        {"mHasRemoveButton", PropertyType::Boolean},  {"mActionButtonClick", PropertyType::Boolean},
        {"mHasActionButton", PropertyType::Boolean},  {"HasRemoveButton", PropertyType::Boolean},
        {"HasActionButton", PropertyType::Boolean},   {"Border", PropertyType::Boolean},
        {"mBorder", PropertyType::Boolean},           {"EndColor", PropertyType::Color},
        {"StartColor", PropertyType::Color},          {"Style", PropertyType::Enum64},
        {"HasAddButton", PropertyType::Boolean},      {"DrawColor", PropertyType::Color},
    };
    std::vector<std::pair<std::string, PropertyType>> declared;
    for (const PropertyInfo& property : info.Properties())
        declared.emplace_back(property.name, property.type);
    EXPECT_EQ(declared, expected);
}

TEST(ActionBarClass, TheMainWindowsListSetsEveryBarProperty)
{
    qorActionBar bar;
    _SetProperties(bar, bartest::ActionBarList());
    EXPECT_EQ(bar.Style, qorActionBar::Schema::Solid);
    EXPECT_EQ(bar.BorderColor, Color(0xA5A5A5));
    EXPECT_EQ(bar.StartColor, Color(0xFAFAFA));
    EXPECT_EQ(bar.EndColor, Color(0xEFEFEF));
    EXPECT_EQ(bar.DrawColor, Color(0x000000));
    EXPECT_TRUE(bar.Border());
    EXPECT_TRUE(bar.HasAddButton());
    EXPECT_TRUE(bar.HasRemoveButton());
    EXPECT_FALSE(bar.HasActionButton());
    EXPECT_TRUE(bar.ButtonName.empty());
    EXPECT_EQ(std::get<std::int64_t>(GetPropertyValue(bar, "Style")), 0);
}

// --- Buttons shown -----------------------------------------------------------

struct ButtonsCase {
    const char* name;
    bool add, remove, action;
    std::vector<int> separators;
    std::vector<std::string> glyphs; // logged DrawString entries
    std::vector<int> zoneEnds;       // each zone runs from the previous end (0 first) to this x
    friend std::ostream& operator<<(std::ostream& out, const ButtonsCase& c) { return out << c.name; }
};

class ActionBarButtonsShown : public ::testing::TestWithParam<ButtonsCase> {};

TEST_P(ActionBarButtonsShown, SeparatorsRunTheFullHeightInTheBorderColour)
{
    const ButtonsCase& c = GetParam();
    qorActionBar bar;
    bar.StartColor = Color(0xFFFFFF);
    bar.BorderColor = Color(0x0000FF);
    bar.DrawColor = Color(0xFF0000);
    bar.SetWidth(120);
    bar.SetHeight(22);
    ShowButtons(bar, c.add, c.remove, c.action);
    const QImage image = PaintBar(bar, 120, 22);
    for (int y : {0, 1, 15, 21})
        EXPECT_EQ(ColumnsIn(image, y, "0000FF"), c.separators) << "row " << y;
}

TEST_P(ActionBarButtonsShown, GlyphsStartSeventeenLeftOfTheirSeparatorOnBaselineFifteen)
{
    const ButtonsCase& c = GetParam();
    qorActionBar bar;
    bar.SetWidth(120);
    bar.SetHeight(22);
    ShowButtons(bar, c.add, c.remove, c.action);
    std::vector<std::string> log;
    PaintBar(bar, 120, 22, {}, &log);
    std::vector<std::string> drawn;
    for (const std::string& entry : log) {
        if (entry.rfind("DrawString", 0) == 0)
            drawn.push_back(entry);
    }
    EXPECT_EQ(drawn, c.glyphs);
}

TEST_P(ActionBarButtonsShown, PressZonesIncludeTheSeparatorsOnBothSides)
{
    const ButtonsCase& c = GetParam();
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    ShowButtons(bar, c.add, c.remove, c.action);
    Events events;
    Record(bar, events);
    // The events a press at x raises, by the zones of the buttons shown.
    const std::vector<std::string> names = [&] {
        std::vector<std::string> shown;
        if (c.add)
            shown.push_back("Add");
        if (c.remove)
            shown.push_back("Remove");
        if (c.action)
            shown.push_back("Action");
        return shown;
    }();
    ASSERT_EQ(names.size(), c.zoneEnds.size());
    for (int x = 0; x <= 100; ++x) {
        Events expected;
        int start = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (start <= x && x <= c.zoneEnds[i])
                expected.push_back(names[i]);
            start = c.zoneEnds[i];
        }
        EXPECT_EQ(ClickAt(bar, events, x, 10), expected) << "x " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ActionBarButtonsShown,
    ::testing::Values(
        ButtonsCase{"AddRemoveAction", true, true, true, {28, 58, 88},
                    {"DrawString + 11 15", "DrawString - 41 15", "DrawString A 71 15"}, {28, 58, 88}},
        ButtonsCase{"AddRemove", true, true, false, {28, 58}, {"DrawString + 11 15", "DrawString - 41 15"}, {28, 58}},
        ButtonsCase{"AddAction", true, false, true, {28, 58}, {"DrawString + 11 15", "DrawString A 41 15"}, {28, 58}},
        ButtonsCase{"RemoveAction", false, true, true, {30, 60}, {"DrawString - 13 15", "DrawString A 43 15"},
                    {30, 60}},
        ButtonsCase{"Add", true, false, false, {28}, {"DrawString + 11 15"}, {28}},
        ButtonsCase{"Remove", false, true, false, {30}, {"DrawString - 13 15"}, {30}},
        ButtonsCase{"Action", false, false, true, {30}, {"DrawString A 13 15"}, {30}},
        ButtonsCase{"None", false, false, false, {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The main window's bar ---------------------------------------------------

TEST(ActionBarMainWindow, PaintsFillOutlineThenTwoButtons)
{
    qorActionBar bar;
    _SetProperties(bar, bartest::ActionBarList());
    std::vector<std::string> log;
    PaintBar(bar, 387, 22, {}, &log);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "ForeColor FAFAFA", "FillRect 0 0 387 22",          //
                       "ForeColor A5A5A5", "DrawRect 0 0 387 22",          //
                       "ForeColor A5A5A5", "DrawLine 28 0 28 22",          //
                       "ForeColor 000000", "DrawString + 11 15",           //
                       "ForeColor A5A5A5", "DrawLine 58 0 58 22",          //
                       "ForeColor 000000", "DrawString - 41 15"}));
}

TEST(ActionBarMainWindow, ShowsTheFillTheOutlineTheSeparatorsAndTheGlyphs)
{
    OpenedBarsWindow window;
    const QImage image = window->Actions().Render();
    ASSERT_EQ(image.size(), QSize(387, 22));
    EXPECT_EQ(Hex(image, 200, 10), "FAFAFA");
    EXPECT_EQ(Hex(image, 200, 0), "A5A5A5");
    EXPECT_EQ(Hex(image, 200, 21), "A5A5A5");
    EXPECT_EQ(Hex(image, 386, 10), "A5A5A5");
    EXPECT_EQ(ColumnsIn(image, 19, "A5A5A5"), (std::vector<int>{0, 28, 58, 386}));
    // Dark glyph ink left of each separator, none where an "A" would be.
    auto ink = [&](int left, int right) {
        int dark = 0;
        for (int y = 1; y < 21; ++y) {
            for (int x = left; x <= right; ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        }
        return dark;
    };
    EXPECT_GT(ink(1, 27), 0);
    EXPECT_GT(ink(29, 57), 0);
    EXPECT_EQ(ink(59, 385), 0);
}

TEST(ActionBarMainWindow, ClicksRaiseByTheTable)
{
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    Events events;
    Record(bar, events);
    for (int x = 0; x < 387; ++x)
        EXPECT_EQ(ClickAt(bar, events, x, 0), Events{}) << "top row, x " << x;
    for (int y : {1, 11, 21}) {
        for (int x = 0; x < 387; ++x) {
            Events expected;
            if (x <= 27)
                expected = {"Add"};
            else if (x == 28)
                expected = {"Add", "Remove"};
            else if (x <= 58)
                expected = {"Remove"};
            EXPECT_EQ(ClickAt(bar, events, x, y), expected) << "x " << x << ", y " << y;
        }
    }
    EXPECT_FALSE(bar.AddButtonPending() || bar.RemoveButtonPending() || bar.ActionButtonPending());
}

TEST(ActionBarMainWindow, ARowBelowTheBarReachesNoButton)
{
    qorActionBar bar;
    _SetProperties(bar, bartest::ActionBarList());
    EXPECT_TRUE(bar.Event_MouseDown(10, 22));
    EXPECT_TRUE(bar.Event_MouseDown(10, -1));
    EXPECT_FALSE(bar.AddButtonPending());
    EXPECT_TRUE(bar.Event_MouseDown(10, 21));
    EXPECT_TRUE(bar.AddButtonPending());
}

TEST(ActionBarMainWindow, AReleaseOutsideTheBarStillRaises)
{
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    Events events;
    Record(bar, events);
    QTest::mousePress(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(500, -40));
    EXPECT_EQ(events, Events{"Add"});
}

TEST(ActionBarMainWindow, APressAsksForARepaintWhereverItLands)
{
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.paints > 0; }));
    QCoreApplication::processEvents();
    for (QPoint at : {QPoint(10, 0), QPoint(10, 10), QPoint(300, 10)}) {
        const int before = bar.paints;
        QTest::mousePress(bar.NativeWidget(), Qt::LeftButton, {}, at);
        // Later, not during the press.
        EXPECT_EQ(bar.paints, before);
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar.paints > before; })) << at.x() << "," << at.y();
        QTest::mouseRelease(bar.NativeWidget(), Qt::LeftButton, {}, at);
    }
}

// --- Edge cases --------------------------------------------------------------

TEST(ActionBarUnconfigured, IsFilledBlackAndRaisesNothing)
{
    qorActionBar bar;
    bar.SetWidth(60);
    bar.SetHeight(22);
    std::vector<std::string> log;
    const QImage image = PaintBar(bar, 60, 22, Color(0xFFFFFF), &log);
    EXPECT_EQ(log, (std::vector<std::string>{"ForeColor 000000", "FillRect 0 0 60 22"}));
    for (int y = 0; y < 22; ++y) {
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(Hex(image, x, y), "000000") << x << "," << y;
    }

    Events events;
    Record(bar, events);
    for (int x : {0, 10, 28, 30, 59}) {
        EXPECT_TRUE(bar.Event_MouseDown(x, 10));
        EXPECT_FALSE(bar.AddButtonPending() || bar.RemoveButtonPending() || bar.ActionButtonPending());
        bar.Event_MouseUp(x, 10);
    }
    EXPECT_TRUE(events.empty());
}

TEST(ActionBarStyle, SolidTwoToneGradientByItsOwnNumberingAndNothingOtherwise)
{
    // Rows 1 and 30 of 32, inside the outline; the gradient there is
    // t = 1/32 and t = 30/32 of the way from red to blue.
    struct Case {
        std::int64_t style;
        std::string top, bottom;
    };
    for (const Case& c : {Case{0, "FF0000", "FF0000"}, Case{1, "FF0000", "0000FF"}, Case{2, "F70007", "0F00EF"},
                          Case{3, "FFFFFF", "FFFFFF"}, Case{-1, "FFFFFF", "FFFFFF"}}) {
        SCOPED_TRACE("Style " + std::to_string(c.style));
        qorActionBar bar;
        bar.Style = qorActionBar::Schema(c.style);
        bar.StartColor = Color(0xFF0000);
        bar.EndColor = Color(0x0000FF);
        bar.BorderColor = Color(0x00FF00);
        bar.SetBorder(true);
        bar.SetHasRemoveButton(true);
        bar.SetWidth(40);
        bar.SetHeight(32);
        const QImage image = PaintBar(bar, 40, 32, Color(0xFFFFFF));
        EXPECT_EQ(Hex(image, 35, 1), c.top);
        EXPECT_EQ(Hex(image, 35, 30), c.bottom);
        // Outline and separator whatever the background.
        EXPECT_EQ(Hex(image, 0, 10), "00FF00");
        EXPECT_EQ(Hex(image, 30, 10), "00FF00");
    }
}

TEST(ActionBarStyle, SeparatorsAreDrawnWithoutTheOutline)
{
    qorActionBar bar;
    bar.StartColor = Color(0xFFFFFF);
    bar.BorderColor = Color(0x00FF00);
    bar.SetHasAddButton(true);
    bar.SetWidth(100);
    bar.SetHeight(40);
    const QImage image = PaintBar(bar, 100, 40);
    EXPECT_EQ(Hex(image, 0, 20), "FFFFFF");
    EXPECT_EQ(Hex(image, 50, 0), "FFFFFF");
    // The full height of a taller bar; the glyph keeps its baseline.
    for (int y = 0; y < 40; ++y)
        EXPECT_EQ(Hex(image, 28, y), "00FF00") << "row " << y;
    std::vector<std::string> log;
    PaintBar(bar, 100, 40, {}, &log);
    EXPECT_EQ(log.at(3), "DrawLine 28 0 28 40");
    EXPECT_EQ(log.at(5), "DrawString + 11 15");
}

TEST(ActionBarClicks, AButtonSwitchedOffBetweenPressAndReleaseStillRaises)
{
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    Events events;
    Record(bar, events);
    QTest::mousePress(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(10, 10));
    bar.SetHasAddButton(false);
    QTest::mouseRelease(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(events, Events{"Add"});
}

TEST(ActionBarClicks, FlagsAddUpUntilTheReleaseAndAllThreeRaiseInOrder)
{
    qorActionBar bar;
    bar.SetHeight(22);
    ShowButtons(bar, true, true, true);
    Events events;
    Record(bar, events);
    EXPECT_TRUE(bar.Event_MouseDown(58, 5)); // "-" and "A" share x 58
    EXPECT_TRUE(bar.RemoveButtonPending());
    EXPECT_TRUE(bar.ActionButtonPending());
    EXPECT_TRUE(bar.Event_MouseDown(3, 5));
    EXPECT_TRUE(bar.AddButtonPending());
    bar.Event_MouseUp(0, 0);
    EXPECT_EQ(events, (Events{"Add", "Remove", "Action"}));
    EXPECT_FALSE(bar.AddButtonPending() || bar.RemoveButtonPending() || bar.ActionButtonPending());
}

TEST(ActionBarClicks, APendingClickWithoutAHandlerIsJustCleared)
{
    qorActionBar bar;
    bar.SetHeight(22);
    ShowButtons(bar, true, true, true);
    Events events;
    bar.RemoveButtonClick.Bind([&](qorActionBar&) { events.push_back("Remove"); });
    bar.Event_MouseDown(70, 5);
    EXPECT_TRUE(bar.ActionButtonPending());
    bar.Event_MouseUp(70, 5);
    EXPECT_FALSE(bar.ActionButtonPending());
    EXPECT_TRUE(events.empty());
}

TEST(ActionBarClicks, AThrowingHandlerLeavesEveryFlagForTheNextRelease)
{
    qorActionBar bar;
    bar.SetHeight(22);
    ShowButtons(bar, true, true, false);
    Events events;
    bool fail = true;
    bar.AddButtonClick.Bind([&](qorActionBar&) {
        events.push_back("Add");
        if (fail)
            throw NilObjectException("no item");
    });
    bar.RemoveButtonClick.Bind([&](qorActionBar&) { events.push_back("Remove"); });

    bar.Event_MouseDown(28, 5);
    EXPECT_THROW(bar.Event_MouseUp(28, 5), NilObjectException);
    EXPECT_EQ(events, Events{"Add"});
    EXPECT_TRUE(bar.AddButtonPending());
    EXPECT_TRUE(bar.RemoveButtonPending());

    // The next press reaches no button, yet its release raises both.
    fail = false;
    events.clear();
    bar.Event_MouseDown(28, 0);
    bar.Event_MouseUp(28, 0);
    EXPECT_EQ(events, (Events{"Add", "Remove"}));
    EXPECT_FALSE(bar.AddButtonPending() || bar.RemoveButtonPending());
}

TEST(ActionBarClicks, AThrowingHandlerReachesTheUnhandledExceptionHandlerFromARealClick)
{
    std::vector<std::string> shown;
    SetUnhandledExceptionPresenter([&](const std::string& cls, const std::string& message) {
        shown.push_back(cls + ": " + message);
    });
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    Events events;
    bar.AddButtonClick.Bind([&](qorActionBar&) -> void { throw std::runtime_error("boom"); });
    bar.RemoveButtonClick.Bind([&](qorActionBar&) { events.push_back("Remove"); });
    QTest::mousePress(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(28, 10));
    QTest::mouseRelease(bar.NativeWidget(), Qt::LeftButton, {}, QPoint(28, 10));
    SetUnhandledExceptionPresenter(nullptr);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(bar.AddButtonPending());
    EXPECT_TRUE(bar.RemoveButtonPending());
}

// --- Repaints ----------------------------------------------------------------

TEST(ActionBarRepaint, ComputedPropertiesRepaintAtOnceEvenWithTheirPresentValue)
{
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.paints > 0; }));
    QCoreApplication::processEvents();

    const int before = bar.paints;
    bar.SetHasAddButton(bar.HasAddButton());
    EXPECT_EQ(bar.paints, before + 1);
    _SetProperties(bar, PropertyList()
                            .Boolean("HasRemoveButton", true)
                            .Boolean("HasActionButton", false)
                            .Boolean("Border", true)
                            .Bytes());
    EXPECT_EQ(bar.paints, before + 4);
}

TEST(ActionBarRepaint, PlainFieldsWaitForTheNextPaint)
{
    OpenedBarsWindow window;
    auto& bar = window->Actions();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.paints > 0; }));
    QCoreApplication::processEvents();

    const int before = bar.paints;
    _SetProperties(bar, PropertyList()
                            .Enum("Style", 1)
                            .ColorValue("BorderColor", 0x00FF00)
                            .ColorValue("StartColor", 0xFF0000)
                            .ColorValue("EndColor", 0x0000FF)
                            .ColorValue("DrawColor", 0xFFFFFF)
                            .Bytes());
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.paints, before);
    EXPECT_EQ(Hex(bar.Render(), 200, 5), "FF0000");
}
