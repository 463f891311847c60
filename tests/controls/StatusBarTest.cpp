// The status bar: its class table, its paint read back from real pixels and
// from the drawing calls, its repaint requests, and its role as a container.
#include "BarTestSupport.h"

#include "controls/qorStatusBar.h"
#include "framework/Canvas.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"
#include "framework/PropertyList.h"

#include <QCoreApplication>
#include <QImage>
#include <QMainWindow>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

using bartest::BarsWindow;
using bartest::Hex;
using bartest::PaintBar;

namespace {

// A bar with the main window's settings, made without a window.
void ConfigureAsMainWindow(qorStatusBar& bar)
{
    _SetProperties(bar, bartest::StatusBarList());
}

// True when some pixel of the area is clearly red, as red text leaves it.
bool HasRedInk(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > qGreen(p) + 80 && qRed(p) > qBlue(p) + 80)
                return true;
        }
    }
    return false;
}

} // namespace

// --- Class table -------------------------------------------------------------

TEST(StatusBarClass, DeclaresItsPropertiesInOrderWithTheirTypes)
{
    const ClassInfo& info = qorStatusBar::StaticClassInfo();
    EXPECT_EQ(info.Name(), "qorStatusBar");
    EXPECT_EQ(info.Base(), &Canvas::StaticClassInfo());
    const std::vector<std::pair<std::string, PropertyType>> expected{
        {"BorderColor", PropertyType::Color},     {"CenterCaption", PropertyType::String},
        {"Border", PropertyType::Boolean},        {"LeftCaption", PropertyType::String},
        {"MarginLeft", PropertyType::Integer},    {"MarginRight", PropertyType::Integer},
        {"mCenterCaption", PropertyType::String}, {"mBorder", PropertyType::Boolean},
        {"mLeftCaption", PropertyType::String},   {"mRightCaption", PropertyType::String},
        {"RightCaption", PropertyType::String},   {"Style", PropertyType::Enum64},
        {"StartColor", PropertyType::Color},      {"EndColor", PropertyType::Color},
        {"TextColor", PropertyType::Color},
    };
    std::vector<std::pair<std::string, PropertyType>> declared;
    for (const PropertyInfo& property : info.Properties())
        declared.emplace_back(property.name, property.type);
    EXPECT_EQ(declared, expected);
}

TEST(StatusBarClass, StartsWithEveryFieldZero)
{
    qorStatusBar bar;
    EXPECT_EQ(bar.Style, qorStatusBar::Schema::Plain);
    EXPECT_EQ(bar.BorderColor, Color());
    EXPECT_EQ(bar.StartColor, Color());
    EXPECT_EQ(bar.EndColor, Color());
    EXPECT_EQ(bar.TextColor, Color());
    EXPECT_EQ(bar.MarginLeft, 0);
    EXPECT_EQ(bar.MarginRight, 0);
    EXPECT_FALSE(bar.Border());
    EXPECT_EQ(bar.LeftCaption(), "");
    EXPECT_EQ(bar.CenterCaption(), "");
    EXPECT_EQ(bar.RightCaption(), "");
}

TEST(StatusBarClass, TheMainWindowsListSetsEveryBarProperty)
{
    qorStatusBar bar;
    ConfigureAsMainWindow(bar);
    EXPECT_EQ(std::get<std::int64_t>(GetPropertyValue(bar, "Style")), 3);
    EXPECT_EQ(bar.Style, qorStatusBar::Schema::Gradient);
    EXPECT_TRUE(bar.Border());
    EXPECT_TRUE(std::get<bool>(GetPropertyValue(bar, "mBorder")));
    EXPECT_EQ(bar.BorderColor, Color(0xA5A5A5));
    EXPECT_EQ(bar.StartColor, Color(0xFAFAFA));
    EXPECT_EQ(bar.EndColor, Color(0xB3B3B3));
    EXPECT_EQ(bar.TextColor, Color(0x000000));
    EXPECT_EQ(bar.MarginLeft, 20);
    EXPECT_EQ(bar.Width(), 387);
    EXPECT_EQ(bar.Height(), 43);
}

TEST(StatusBarClass, StyleKeepsAnyValueTheListCarries)
{
    qorStatusBar bar;
    _SetProperties(bar, PropertyList().Enum("Style", -1).Bytes());
    EXPECT_EQ(std::get<std::int64_t>(GetPropertyValue(bar, "Style")), -1);
    _SetProperties(bar, PropertyList().Enum("Style", 0x100000004LL).Bytes());
    EXPECT_EQ(std::get<std::int64_t>(GetPropertyValue(bar, "Style")), 0x100000004LL);
}

// --- The main window's bar ---------------------------------------------------

TEST(StatusBarMainWindow, ShowsTheGradientLevelsInsideTheOutline)
{
    // Rows 1 to 41 as the window shows them; rows 0 and 42 carry the outline.
    const std::vector<std::pair<int, std::string>> levels{
        {1, "F8F8F8"},  {2, "F6F6F6"},  {3, "F5F5F5"},  {10, "E9E9E9"}, {12, "E6E6E6"},
        {20, "D8D8D8"}, {21, "D7D7D7"}, {22, "D5D5D5"}, {30, "C8C8C8"}, {41, "B6B6B6"}};
    bartest::OpenedBarsWindow window;
    const QImage image = window->Status().Render();
    ASSERT_EQ(image.size(), QSize(387, 43));
    for (const auto& [row, level] : levels) {
        for (int x : {1, 100, 385})
            EXPECT_EQ(Hex(image, x, row), level) << "row " << row << ", x " << x;
    }
}

TEST(StatusBarMainWindow, TheOutlineLiesOnTheEdgePixels)
{
    bartest::OpenedBarsWindow window;
    const QImage image = window->Status().Render();
    for (int x : {0, 100, 386}) {
        EXPECT_EQ(Hex(image, x, 0), "A5A5A5") << "x " << x;
        EXPECT_EQ(Hex(image, x, 42), "A5A5A5") << "x " << x;
    }
    for (int y : {1, 21, 41}) {
        EXPECT_EQ(Hex(image, 0, y), "A5A5A5") << "y " << y;
        EXPECT_EQ(Hex(image, 386, y), "A5A5A5") << "y " << y;
    }
}

TEST(StatusBarMainWindow, WithoutTheOutlineTheTopRowIsTheStartAndTheBottomRowStopsShortOfTheEnd)
{
    qorStatusBar bar;
    ConfigureAsMainWindow(bar);
    bar.SetBorder(false);
    const QImage image = PaintBar(bar, 387, 43);
    EXPECT_EQ(Hex(image, 100, 0), "FAFAFA");
    EXPECT_EQ(Hex(image, 100, 42), "B4B4B4");
    EXPECT_EQ(Hex(image, 0, 42), "B4B4B4");
    EXPECT_EQ(Hex(image, 386, 0), "FAFAFA");
}

TEST(StatusBarMainWindow, PaintsBackgroundThenOutlineThenThreeEmptyCaptions)
{
    qorStatusBar bar;
    ConfigureAsMainWindow(bar);
    std::vector<std::string> log;
    PaintBar(bar, 387, 43, {}, &log);
    EXPECT_EQ(log, (std::vector<std::string>{"DrawPicture 0 0", "ForeColor A5A5A5", "DrawRect 0 0 387 43",
                                             "ForeColor 000000", "DrawString  5 19", "DrawString  193 19",
                                             "DrawString  382 19"}));
}

// --- Styles ------------------------------------------------------------------

TEST(StatusBarStyle, GradientWithEqualEndsDipsOnRowTwelveOnly)
{
    qorStatusBar bar;
    ConfigureAsMainWindow(bar);
    bar.EndColor = Color(0xFAFAFA);
    bar.SetBorder(false);
    const QImage image = PaintBar(bar, 387, 43);
    for (int y = 0; y < 43; ++y)
        EXPECT_EQ(Hex(image, 100, y), y == 12 ? "F9F9F9" : "FAFAFA") << "row " << y;
}

TEST(StatusBarStyle, StyleNumbersPickSolidTwoToneGradientOrNothing)
{
    // Rows 1 and 30 of a 32-pixel bar from red to blue, painted over 123456:
    // the gradient there is 1/32 and 30/32 of the way.
    struct Case {
        std::int64_t style;
        std::string top, bottom;
    };
    for (const Case& c : {Case{0, "123456", "123456"}, Case{1, "FF0000", "FF0000"}, Case{2, "FF0000", "0000FF"},
                          Case{3, "F70007", "0F00EF"}, Case{4, "123456", "123456"},
                          Case{-1, "123456", "123456"}}) {
        SCOPED_TRACE("Style " + std::to_string(c.style));
        qorStatusBar bar;
        bar.Style = qorStatusBar::Schema(c.style);
        bar.StartColor = Color(0xFF0000);
        bar.EndColor = Color(0x0000FF);
        bar.SetWidth(40);
        bar.SetHeight(32);
        const QImage image = PaintBar(bar, 40, 32, Color(0x123456));
        EXPECT_EQ(Hex(image, 20, 1), c.top);
        EXPECT_EQ(Hex(image, 20, 30), c.bottom);
    }
}

TEST(StatusBarStyle, PlainAndUnknownStylesDrawNoBackgroundButOutlineAndCaptions)
{
    for (std::int64_t style : {0LL, 4LL, -1LL}) {
        SCOPED_TRACE("Style " + std::to_string(style));
        qorStatusBar bar;
        ConfigureAsMainWindow(bar);
        bar.Style = qorStatusBar::Schema(style);
        bar.TextColor = Color(0xFF0000);
        bar.SetLeftCaption("WWWW");
        std::vector<std::string> log;
        const QImage image = PaintBar(bar, 387, 43, Color(0x123456), &log);
        EXPECT_EQ(log.at(0), "ForeColor A5A5A5");
        EXPECT_EQ(log.at(1), "DrawRect 0 0 387 43");
        // What lay there before stays, away from the outline and the caption.
        EXPECT_EQ(Hex(image, 200, 5), "123456");
        EXPECT_EQ(Hex(image, 100, 38), "123456");
        EXPECT_EQ(Hex(image, 0, 20), "A5A5A5");
        EXPECT_EQ(Hex(image, 200, 42), "A5A5A5");
        EXPECT_TRUE(HasRedInk(image, QRect(5, 1, 60, 41)));
    }
}

TEST(StatusBarStyle, PlainLeavesTheWindowBarTransparentWhereNothingIsDrawn)
{
    bartest::OpenedBarsWindow window;
    window->Status().Style = qorStatusBar::Schema::Plain;
    const QImage image = window->Status().Render();
    EXPECT_EQ(qAlpha(image.pixel(100, 20)), 0);
    EXPECT_EQ(Hex(image, 100, 0), "A5A5A5");
}

TEST(StatusBarStyle, SolidAndTwoToneBlendATranslucentColourWhileTheGradientStaysOpaque)
{
    const Color halfRed = RGB(255, 0, 0, 128);
    for (auto style : {qorStatusBar::Schema::Solid, qorStatusBar::Schema::TwoTone}) {
        SCOPED_TRACE("Style " + std::to_string(std::int64_t(style)));
        qorStatusBar bar;
        bar.Style = style;
        bar.StartColor = halfRed;
        bar.EndColor = halfRed;
        bar.SetWidth(30);
        bar.SetHeight(10);
        const QImage image = PaintBar(bar, 30, 10, Color(0xFFFFFF));
        for (int y : {2, 8}) {
            const QRgb p = image.pixel(15, y);
            EXPECT_EQ(qRed(p), 255);
            EXPECT_GT(qGreen(p), 100);
            EXPECT_LT(qGreen(p), 155);
        }
    }

    qorStatusBar bar;
    bar.Style = qorStatusBar::Schema::Gradient;
    bar.StartColor = halfRed;
    bar.EndColor = halfRed;
    const QImage image = PaintBar(bar, 30, 10, Color(0xFFFFFF));
    EXPECT_EQ(Hex(image, 15, 2), "FF0000");
    EXPECT_EQ(Hex(image, 15, 8), "FF0000");
}

TEST(StatusBarStyle, AGradientOnAContextNoPictureCanMatchStillDrawsOutlineAndCaptions)
{
    qorStatusBar bar;
    ConfigureAsMainWindow(bar);
    QImage image(387, 43, QImage::Format_ARGB32);
    image.fill(Qt::white);
    std::vector<std::string> log;
    {
        Graphics g(&image, 40000, 43);
        g.SetCallLog(&log);
        EXPECT_NO_THROW(bar.Event_Paint(g, {}));
    }
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], "ForeColor A5A5A5");
    EXPECT_EQ(log[1], "DrawRect 0 0 387 43");
    EXPECT_EQ(log[2], "ForeColor 000000");
    EXPECT_EQ(Hex(image, 100, 20), "FFFFFF");
    EXPECT_EQ(Hex(image, 100, 0), "A5A5A5");
}

// --- Captions ----------------------------------------------------------------

struct CaptionCase {
    std::int64_t gw, gh;
    double ts, width;
    std::int64_t baseline, centerX, rightX;
    friend std::ostream& operator<<(std::ostream& out, const CaptionCase& c)
    {
        return out << c.gw << "x" << c.gh << " size " << c.ts << " caption " << c.width;
    }
};

class StatusBarCaptionPlacement : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(StatusBarCaptionPlacement, TruncatesTowardZero)
{
    const CaptionCase c = GetParam();
    EXPECT_EQ(qorStatusBar::CaptionBaseline(c.gh, c.ts), c.baseline);
    EXPECT_EQ(qorStatusBar::CenterCaptionX(c.gw, c.width), c.centerX);
    EXPECT_EQ(qorStatusBar::RightCaptionX(c.gw, c.width), c.rightX);
}

INSTANTIATE_TEST_SUITE_P(Worked, StatusBarCaptionPlacement,
                         ::testing::Values(CaptionCase{387, 43, 12, 60.0, 25, 163, 322},
                                           CaptionCase{387, 43, 0, 60.0, 19, 163, 322},
                                           CaptionCase{387, 43, 0, 400.0, 19, -6, -18},
                                           CaptionCase{387, 43, 0, 50.5, 19, 168, 331},
                                           CaptionCase{387, 43, 0, 0.0, 19, 193, 382},
                                           CaptionCase{10, 1, 0, 0.0, -1, 5, 5}));

TEST(StatusBarCaptions, DrawOnTheBaselineAtTheirPositionsInTheContextsTextSize)
{
    qorStatusBar bar;
    ConfigureAsMainWindow(bar);
    bar.SetLeftCaption("Left");
    bar.SetCenterCaption("Centre caption");
    bar.SetRightCaption("Right caption");

    Picture measure(387, 43);
    measure.GetGraphics().SetTextSize(12);
    const double cw = measure.GetGraphics().StringWidth("Centre caption");
    const double rw = measure.GetGraphics().StringWidth("Right caption");
    ASSERT_GT(cw, 0);

    std::vector<std::string> log;
    PaintBar(bar, 387, 43, {}, &log, 12);
    const auto n = [](double v) { return std::to_string(std::int64_t(std::trunc(v))); };
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[3], "ForeColor 000000");
    EXPECT_EQ(log[4], "DrawString Left 5 25");
    EXPECT_EQ(log[5], "DrawString Centre caption " + n(193.5 - cw / 2) + " 25");
    EXPECT_EQ(log[6], "DrawString Right caption " + n(387 - (rw + 5)) + " 25");
}

TEST(StatusBarCaptions, AWideCaptionStartsLeftOfTheBarTruncatedTowardZero)
{
    qorStatusBar bar;
    ConfigureAsMainWindow(bar);
    std::string wide = "W";
    Picture measure(387, 43);
    while (measure.GetGraphics().StringWidth(wide) <= 420)
        wide += "W";
    const double w = measure.GetGraphics().StringWidth(wide);
    bar.SetCenterCaption(wide);
    bar.SetRightCaption(wide);

    std::vector<std::string> log;
    PaintBar(bar, 387, 43, {}, &log);
    const std::int64_t cx = std::int64_t(std::trunc(193.5 - w / 2));
    const std::int64_t rx = std::int64_t(std::trunc(387 - (w + 5)));
    ASSERT_LT(cx, 0);
    EXPECT_EQ(log.at(5), "DrawString " + wide + " " + std::to_string(cx) + " 19");
    EXPECT_EQ(log.at(6), "DrawString " + wide + " " + std::to_string(rx) + " 19");
}

TEST(StatusBarCaptions, MarginsChangeNothing)
{
    qorStatusBar bar;
    ConfigureAsMainWindow(bar);
    bar.SetLeftCaption("Left");
    bar.SetRightCaption("Right");
    std::vector<std::string> withMargins;
    const QImage a = PaintBar(bar, 387, 43, {}, &withMargins);
    bar.MarginLeft = 0;
    bar.MarginRight = 0;
    std::vector<std::string> without;
    const QImage b = PaintBar(bar, 387, 43, {}, &without);
    EXPECT_EQ(withMargins, without);
    EXPECT_EQ(a, b);
    EXPECT_EQ(withMargins.at(4), "DrawString Left 5 19");
}

// --- Repaints ----------------------------------------------------------------

TEST(StatusBarRepaint, ComputedPropertiesRepaintAtOnceEvenWithTheirPresentValue)
{
    bartest::OpenedBarsWindow window;
    auto& bar = window->Status();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.paints > 0; }));
    QCoreApplication::processEvents();

    int before = bar.paints;
    bar.SetBorder(bar.Border());
    EXPECT_EQ(bar.paints, before + 1);
    _SetProperties(bar, PropertyList()
                            .Boolean("Border", true)
                            .String("LeftCaption", "")
                            .String("CenterCaption", "")
                            .String("RightCaption", "")
                            .Bytes());
    EXPECT_EQ(bar.paints, before + 5);
}

TEST(StatusBarRepaint, PlainFieldsWaitForTheNextPaint)
{
    bartest::OpenedBarsWindow window;
    auto& bar = window->Status();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.paints > 0; }));
    QCoreApplication::processEvents();

    const int before = bar.paints;
    _SetProperties(bar, PropertyList()
                            .Enum("Style", 1)
                            .ColorValue("BorderColor", 0x00FF00)
                            .ColorValue("StartColor", 0xFF0000)
                            .ColorValue("EndColor", 0x0000FF)
                            .ColorValue("TextColor", 0xFFFFFF)
                            .Integer("MarginLeft", 7)
                            .Integer("MarginRight", 9)
                            .Bytes());
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.paints, before);
    // The next paint shows them.
    EXPECT_EQ(Hex(bar.Render(), 100, 20), "FF0000");
}

// --- Container ---------------------------------------------------------------

TEST(StatusBarContainer, AControlInsideIsDrawnAboveTheBar)
{
    bartest::OpenedBarsWindow window;
    auto& bar = window->Status();
    RectControl& marker = window->_AddControl("marker", std::make_unique<Canvas>());
    _SetProperties(marker, PropertyList()
                               .String("Name", "marker")
                               .Integer("Left", 20)
                               .Integer("Top", 456)
                               .Integer("Width", 30)
                               .Integer("Height", 20)
                               .String("InitialParent", "qorStatusBar1")
                               .Bytes());
    ControlCast<Canvas>(&marker).Paint.Bind([](Canvas&, Graphics& g, const std::vector<Rect>&) {
        g.SetForeColor(Color(0xFF0000));
        g.FillRect(0, 0, g.Width(), g.Height());
    });

    QWidget* button = window->Change().NativeWidget();
    EXPECT_EQ(button->parentWidget(), bar.NativeWidget());
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->geometry(), QRect(241, 11, 126, 20));

    const QImage shown = bar.Render();
    const QImage alone = PaintBar(bar, 387, 43);
    EXPECT_EQ(Hex(shown, 21, 10), "FF0000");
    EXPECT_EQ(Hex(shown, 50, 29), "FF0000");
    EXPECT_EQ(Hex(shown, 51, 29), Hex(alone, 51, 29));
    int buttonPixels = 0, elsewhere = 0;
    for (int y = 0; y < 43; ++y) {
        for (int x = 0; x < 387; ++x) {
            if (shown.pixel(x, y) == alone.pixel(x, y))
                continue;
            if (QRect(241, 11, 126, 20).contains(x, y))
                ++buttonPixels;
            else if (!QRect(21, 10, 30, 20).contains(x, y))
                ++elsewhere;
        }
    }
    EXPECT_GT(buttonPixels, 0);
    EXPECT_EQ(elsewhere, 0);
}

TEST(StatusBarContainer, AClickOnTheButtonInsideReachesTheButtonNotTheBar)
{
    bartest::OpenedBarsWindow window;
    auto& bar = window->Status();
    PushButton& change = window->Change();
    change.SetEnabled(true);
    int actions = 0, barPresses = 0;
    change.Action.Bind([&](PushButton&) { ++actions; });
    bar.MouseDown.Bind([&](Canvas&, std::int64_t, std::int64_t) {
        ++barPresses;
        return false;
    });

    // Through the window, so Qt picks the widget under the pointer.
    QWidget* top = window->Handle();
    const QPoint onButton = change.NativeWidget()->mapTo(top, QPoint(63, 10));
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, onButton);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(barPresses, 0);

    const QPoint onBar = bar.NativeWidget()->mapTo(top, QPoint(100, 20));
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, onBar);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(barPresses, 1);
}

// Saves the window when KESTRUNE_BARS_SCREENSHOT names a file, for a look by eye.
TEST(BarsScreenshot, TheWindowWithBothBarsGrabsAtItsSize)
{
    bartest::OpenedBarsWindow window;
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Status().paints > 0 && window->Actions().paints > 0; }));
    const QPixmap shot = window->Handle()->grab();
    EXPECT_EQ(shot.size() / shot.devicePixelRatio(), window->Handle()->size());
    const QByteArray path = qgetenv("KESTRUNE_BARS_SCREENSHOT");
    if (!path.isEmpty()) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(path)));
    }
}
