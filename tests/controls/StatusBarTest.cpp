// The status bar: caption placement, the repaint requests of both bars, and
// the Change button standing on the bar.
#include "BarTestSupport.h"

#include <QPainter>
#include <QWindow>

#include <gtest/gtest.h>

#include <initializer_list>

using bartest::Hex;
using bartest::OpenedBarsWindow;
using bartest::PaintBar;

// Every position truncated toward zero, never rounded or floored: on a
// gw x gh context of text size ts, for a caption w wide.
TEST(StatusBarCaptions, PlacesTruncateTowardZero)
{
    struct Case {
        std::int64_t gw, gh;
        double ts, w;
        std::int64_t baseline, centerX, rightX;
    };
    for (const Case& c : std::initializer_list<Case>{{387, 43, 12, 60.0, 25, 163, 322},
                                                     {387, 43, 0, 400.0, 19, -6, -18},
                                                     {387, 43, 0, 50.5, 19, 168, 331},
                                                     {10, 1, 0, 0.0, -1, 5, 5}}) {
        SCOPED_TRACE(std::to_string(c.gw) + "x" + std::to_string(c.gh) + ", caption " + std::to_string(c.w));
        EXPECT_EQ(qorStatusBar::CaptionBaseline(c.gh, c.ts), c.baseline);
        EXPECT_EQ(qorStatusBar::CenterCaptionX(c.gw, c.w), c.centerX);
        EXPECT_EQ(qorStatusBar::RightCaptionX(c.gw, c.w), c.rightX);
    }
}

// The main window's bar (MarginLeft 20) with three captions at text size 12:
// fill, outline, then the captions at their places; the margins change nothing.
TEST(StatusBarCaptions, PaintAfterFillAndOutlineAtFixedInsets)
{
    qorStatusBar bar;
    _SetProperties(bar, bartest::StatusBarList() + PropertyList().ColorValue("TextColor", 0xFF0000).Bytes());
    bar.SetLeftCaption("Left");
    bar.SetCenterCaption("Centre caption");
    bar.SetRightCaption("Right caption");
    Picture measure(387, 43);
    Graphics& m = measure.GetGraphics();
    m.SetTextSize(12);
    const std::string cx = std::to_string(qorStatusBar::CenterCaptionX(387, m.StringWidth("Centre caption")));
    const std::string rx = std::to_string(qorStatusBar::RightCaptionX(387, m.StringWidth("Right caption")));

    std::vector<std::string> log;
    const QImage image = PaintBar(bar, 387, 43, &log);
    EXPECT_EQ(log, (std::vector<std::string>{"DrawPicture 0 0", "ForeColor A5A5A5", "DrawRect 0 0 387 43",
                                             "ForeColor FF0000", "DrawString Left 5 25",
                                             "DrawString Centre caption " + cx + " 25",
                                             "DrawString Right caption " + rx + " 25"}));
    bar.MarginLeft = 0;
    bar.MarginRight = 0;
    EXPECT_EQ(PaintBar(bar, 387, 43), image);
}

// Both bars: a computed property repaints at once even when set to its
// present value; Style and the colours show only at the next paint.
TEST(BarRepaint, ComputedPropertiesRepaintAtOncePlainFieldsWait)
{
    OpenedBarsWindow window;
    auto& status = window->Status();
    auto& actions = window->Actions();
    int statusBefore = status.paints, actionsBefore = actions.paints;
    _SetProperties(status, PropertyList().Boolean("Border", true).String("LeftCaption", "")
                               .String("CenterCaption", "").String("RightCaption", "").Bytes());
    _SetProperties(actions, PropertyList().Boolean("HasAddButton", true).Boolean("HasRemoveButton", true)
                                .Boolean("HasActionButton", false).Boolean("Border", true).Bytes());
    EXPECT_EQ(status.paints - statusBefore, 4);
    EXPECT_EQ(actions.paints - actionsBefore, 4);

    statusBefore = status.paints;
    actionsBefore = actions.paints;
    const PropertyList plain = PropertyList().Enum("Style", 1).ColorValue("StartColor", 0xFF0000)
                                   .ColorValue("EndColor", 0x0000FF).ColorValue("BorderColor", 0x00FF00);
    _SetProperties(status, PropertyList(plain).ColorValue("TextColor", 0xFFFFFF).Bytes());
    _SetProperties(actions, PropertyList(plain).ColorValue("DrawColor", 0xFFFFFF).Bytes());
    QCoreApplication::processEvents();
    EXPECT_EQ(status.paints, statusBefore);
    EXPECT_EQ(actions.paints, actionsBefore);
    EXPECT_EQ(Hex(status.Render(), 100, 20), "FF0000");
    EXPECT_EQ(Hex(actions.Render(), 200, 5), "FF0000");
}

// The Change button names the bar as its InitialParent: it stands inside the
// bar, shows above it, and a click on it reaches the button, not the bar.
TEST(StatusBarContainer, TheChangeButtonShowsAboveTheBarAndTakesItsClicks)
{
    OpenedBarsWindow window;
    auto& bar = window->Status();
    PushButton& change = window->Change();
    QWidget* button = change.NativeWidget();
    EXPECT_EQ(button->parentWidget(), bar.NativeWidget());
    EXPECT_EQ(button->geometry(), QRect(241, 11, 126, 20));
    ASSERT_TRUE(button->isVisible());

    const QImage shown = bar.Render();
    const QImage alone = PaintBar(bar, 387, 43).convertToFormat(shown.format());
    EXPECT_NE(shown.copy(button->geometry()), alone.copy(button->geometry()));
    QImage outside = shown;
    QPainter(&outside).drawImage(button->geometry().topLeft(), alone.copy(button->geometry()));
    EXPECT_EQ(outside, alone);

    change.SetEnabled(true);
    int actions = 0, barPresses = 0;
    change.Action.Bind([&](PushButton&) { ++actions; });
    bar.MouseDown.Bind([&](Canvas&, std::int64_t, std::int64_t) { return ++barPresses, false; });
    // Through the window, so that Qt picks the widget under the pointer.
    QWidget* top = window->Handle();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, button->mapTo(top, QPoint(63, 10)));
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(barPresses, 0);
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, bar.NativeWidget()->mapTo(top, QPoint(100, 20)));
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(barPresses, 1);
}

// A style that draws no background leaves what lies behind the bar showing
// inside its outline, on the real widget: also after a gradient, and after
// the repaints that do not erase (every caption setter asks for one).
TEST(StatusBarOverWindow, StylesWithoutBackgroundShowTheWindowBehindTheBar)
{
    OpenedBarsWindow window;
    window->SetHasBackColor(true);
    window->SetBackColor(Color(0x3366CC));
    qorStatusBar& bar = window->Status();
    // Row 10 of the bar, inside its outline; the gradient's row 10 is E9E9E9.
    const QPoint inside(20, 456);
    for (const auto& [style, expected] : {std::pair{0, "3366CC"}, {3, "E9E9E9"}, {0, "3366CC"}, {4, "3366CC"},
                                          {3, "E9E9E9"}, {-1, "3366CC"}}) {
        SCOPED_TRACE(style);
        bar.Style = static_cast<qorStatusBar::Schema>(style);
        bar.SetLeftCaption("");
        EXPECT_EQ(Hex(window->ContentWidget()->grab().toImage(), inside.x(), inside.y()), expected);
    }
}
