// The bar background on its own: each fill painted into a picture and read
// back pixel by pixel.
#include "BarTestSupport.h"

#include "controls/PaintBarBackground.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"

#include <QImage>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using bartest::Hex;

namespace {

constexpr Color kRed = RGB(255, 0, 0);
constexpr Color kBlue = RGB(0, 0, 255);
constexpr Color kLight = RGB(0xFA, 0xFA, 0xFA);
constexpr Color kDark = RGB(0xB3, 0xB3, 0xB3);

// Paints one background on a fresh, transparent picture of w x h.
QImage Paint(std::int64_t w, std::int64_t h, BarFill kind, Color start, Color end, std::int64_t width,
             std::int64_t height, std::vector<std::string>* log = nullptr)
{
    Picture picture(w, h);
    picture.GetGraphics().SetCallLog(log);
    PaintBarBackground(picture.GetGraphics(), kind, start, end, width, height);
    return picture.Image().copy();
}

// The colour a row shows when every pixel of it is the same, else "mixed".
std::string RowColor(const QImage& image, int y)
{
    const std::string first = Hex(image, 0, y);
    for (int x = 1; x < image.width(); ++x) {
        if (Hex(image, x, y) != first)
            return "mixed";
    }
    return first;
}

} // namespace

TEST(BarBackgroundSolid, FillsTheGivenSizeFromTheTopLeft)
{
    std::vector<std::string> log;
    const QImage image = Paint(20, 10, BarFill::Solid, kRed, kBlue, 12, 6, &log);
    EXPECT_EQ(log, (std::vector<std::string>{"ForeColor FF0000", "FillRect 0 0 12 6"}));
    EXPECT_EQ(Hex(image, 0, 0), "FF0000");
    EXPECT_EQ(Hex(image, 11, 5), "FF0000");
    EXPECT_EQ(qAlpha(image.pixel(12, 5)), 0);
    EXPECT_EQ(qAlpha(image.pixel(11, 6)), 0);
}

struct TwoToneCase {
    std::int64_t height;
    std::int64_t half; // first row in the end colour
    friend std::ostream& operator<<(std::ostream& out, const TwoToneCase& c) { return out << "height " << c.height; }
};

class BarBackgroundTwoTone : public ::testing::TestWithParam<TwoToneCase> {};

TEST_P(BarBackgroundTwoTone, SplitsAtTheTruncatedMiddleRow)
{
    const auto [height, half] = GetParam();
    std::vector<std::string> log;
    const QImage image = Paint(7, height, BarFill::TwoTone, kRed, kBlue, 7, height, &log);
    const std::string h = std::to_string(height);
    EXPECT_EQ(log, (std::vector<std::string>{"ForeColor FF0000", "FillRect 0 0 7 " + std::to_string(half),
                                             "ForeColor 0000FF", "FillRect 0 " + std::to_string(half) + " 7 " + h}));
    for (int y = 0; y < height; ++y) {
        SCOPED_TRACE("row " + std::to_string(y));
        EXPECT_EQ(RowColor(image, y), y < half ? "FF0000" : "0000FF");
    }
}

INSTANTIATE_TEST_SUITE_P(Heights, BarBackgroundTwoTone,
                         ::testing::Values(TwoToneCase{43, 21}, TwoToneCase{1, 0}, TwoToneCase{2, 1},
                                           TwoToneCase{5, 2}, TwoToneCase{22, 11}),
                         [](const auto& info) { return "Height" + std::to_string(info.param.height); });

struct GradientRow {
    int row;
    const char* level;
    friend std::ostream& operator<<(std::ostream& out, const GradientRow& r)
    {
        return out << "row " << r.row << " " << r.level;
    }
};

class BarBackgroundGradientLevels : public ::testing::TestWithParam<GradientRow> {};

// The main window's status bar: 387 x 43 from FAFAFA to B3B3B3.
TEST_P(BarBackgroundGradientLevels, RowShowsTheTruncatedLevelAcrossTheWholeWidth)
{
    const auto [row, level] = GetParam();
    const QImage image = Paint(387, 43, BarFill::Gradient, kLight, kDark, 387, 43);
    EXPECT_EQ(RowColor(image, row), level);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindowStatusBar, BarBackgroundGradientLevels,
    ::testing::Values(GradientRow{0, "FAFAFA"}, GradientRow{1, "F8F8F8"}, GradientRow{2, "F6F6F6"},
                      GradientRow{3, "F5F5F5"}, GradientRow{10, "E9E9E9"}, GradientRow{12, "E6E6E6"},
                      GradientRow{20, "D8D8D8"}, GradientRow{21, "D7D7D7"}, GradientRow{22, "D5D5D5"},
                      GradientRow{30, "C8C8C8"}, GradientRow{41, "B6B6B6"}, GradientRow{42, "B4B4B4"}),
    [](const auto& info) { return "Row" + std::to_string(info.param.row); });

TEST(BarBackgroundGradient, ChannelsRunSeparately)
{
    const QImage image = Paint(5, 4, BarFill::Gradient, RGB(0, 100, 255), RGB(200, 0, 55), 5, 4);
    // Row 1: t = 0.25 -> 50, 75, 205; row 3: t = 0.75 -> 150, 25, 105.
    EXPECT_EQ(RowColor(image, 0), "0064FF");
    EXPECT_EQ(RowColor(image, 1), "324BCD");
    EXPECT_EQ(RowColor(image, 3), "961969");
}

TEST(BarBackgroundGradient, CoversTheContextNotTheGivenSize)
{
    const QImage image = Paint(30, 8, BarFill::Gradient, kRed, kRed, 10, 5);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(RowColor(image, y), "FF0000") << "row " << y;
}

TEST(BarBackgroundGradient, OneRowHighShowsTheStartColour)
{
    const QImage image = Paint(9, 1, BarFill::Gradient, kLight, kDark, 9, 1);
    EXPECT_EQ(RowColor(image, 0), "FAFAFA");
}

TEST(BarBackgroundGradient, DrawsOnePictureAndLeavesTheForeColour)
{
    Picture picture(12, 6);
    Graphics& g = picture.GetGraphics();
    g.SetForeColor(kBlue);
    std::vector<std::string> log;
    g.SetCallLog(&log);
    PaintBarBackground(g, BarFill::Gradient, kLight, kDark, 12, 6);
    EXPECT_EQ(log, (std::vector<std::string>{"DrawPicture 0 0"}));
    EXPECT_EQ(g.ForeColor(), kBlue);
}

TEST(BarBackgroundGradient, ContextsNoPictureCanMatchDrawNothingAndRaiseNothing)
{
    struct Size {
        std::int64_t w, h;
    };
    for (const Size size : {Size{0, 10}, Size{10, 0}, Size{-3, 10}, Size{32768, 10}, Size{10, 32768}}) {
        SCOPED_TRACE(std::to_string(size.w) + " x " + std::to_string(size.h));
        QImage image(10, 10, QImage::Format_ARGB32);
        image.fill(Qt::white);
        std::vector<std::string> log;
        {
            Graphics g(&image, size.w, size.h);
            g.SetCallLog(&log);
            EXPECT_NO_THROW(PaintBarBackground(g, BarFill::Gradient, kRed, kBlue, 10, 10));
        }
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(Hex(image, 5, 5), "FFFFFF");
    }

    // The largest size a picture takes still draws.
    QImage image(4, 1, QImage::Format_ARGB32);
    image.fill(Qt::white);
    std::vector<std::string> log;
    {
        Graphics g(&image, 32767, 1);
        g.SetCallLog(&log);
        PaintBarBackground(g, BarFill::Gradient, kRed, kBlue, 4, 1);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"DrawPicture 0 0"}));
    EXPECT_EQ(Hex(image, 3, 0), "FF0000");
}

TEST(BarBackgroundNone, DrawsNothingAndLeavesTheForeColour)
{
    Picture picture(8, 4);
    Graphics& g = picture.GetGraphics();
    g.SetForeColor(kBlue);
    std::vector<std::string> log;
    g.SetCallLog(&log);
    PaintBarBackground(g, BarFill::None, kRed, kRed, 8, 4);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(g.ForeColor(), kBlue);
    EXPECT_EQ(qAlpha(picture.Image().pixel(3, 2)), 0);
}
