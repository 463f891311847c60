// Pixel tests of the drawing context: every primitive is drawn on a Picture
// and read back from its image, so the bars built on it can rely on exact pixels.
#include "framework/Graphics.h"
#include "framework/Picture.h"
#include "framework/RuntimeException.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
const QRgb kWhite = qRgba(255, 255, 255, 255);

// One character per pixel, a line per row: '#' where anything was drawn on
// the transparent picture. A failure shows the whole picture.
std::string Map(const Picture& picture)
{
    const QImage& image = picture.Image();
    std::string map;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            map += qAlpha(image.pixel(x, y)) != 0 ? '#' : '.';
        map += '\n';
    }
    return map;
}

QRgb Pixel(const Picture& picture, int x, int y)
{
    return picture.Image().pixel(x, y);
}

void PaintWhite(Picture& picture)
{
    picture.GetGraphics().SetForeColor(RGB(255, 255, 255));
    picture.GetGraphics().FillRect(0, 0, picture.Width(), picture.Height());
}

// Bounding box of everything drawn, for text, whose glyphs vary by font.
QRect Ink(const Picture& picture)
{
    QRect box;
    const QImage& image = picture.Image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

// ---- Picture ----------------------------------------------------------------

class PictureSizeTest : public ::testing::TestWithParam<std::pair<std::int64_t, std::int64_t>> {};

TEST_P(PictureSizeTest, RaisesOutOfBoundsOutsideOneTo32767)
{
    const auto [width, height] = GetParam();
    try {
        Picture picture(width, height);
        FAIL() << "no exception for " << width << " x " << height;
    } catch (const OutOfBoundsException& e) {
        EXPECT_EQ(e.Message(), "Width/Height needs to be in the range 1-32767");
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PictureSizeTest,
                         ::testing::ValuesIn(std::vector<std::pair<std::int64_t, std::int64_t>>{
                             {0, 10}, {10, 0}, {-1, 10}, {10, -1}, {32768, 1}, {1, 32768}, {kMax, 1}, {1, kMin}}));

TEST(PictureTest, AcceptsTheLimitsAndStartsTransparentWithDefaultSettings)
{
    Picture wide(32767, 1);
    EXPECT_EQ(wide.Width(), 32767);
    EXPECT_EQ(wide.Height(), 1);
    EXPECT_EQ(Pixel(wide, 32766, 0), 0u);
    Picture tall(1, 32767);
    EXPECT_EQ(tall.Height(), 32767);
    EXPECT_TRUE(tall.Image().hasAlphaChannel());

    Picture picture(387, 43);
    Graphics& g = picture.GetGraphics();
    EXPECT_EQ(&g, &picture.GetGraphics());
    EXPECT_EQ(g.Width(), 387);
    EXPECT_EQ(g.Height(), 43);
    EXPECT_EQ(g.ForeColor(), RGB(0, 0, 0));
    EXPECT_EQ(g.PenWidth(), 1);
    EXPECT_EQ(g.PenHeight(), 1);
    EXPECT_EQ(g.TextSize(), 0.0);
    EXPECT_FALSE(g.Bold());
}

TEST(PictureTest, ImageHoldsAllDrawingAndCopiesKeepTheirPixels)
{
    Picture picture(4, 1);
    picture.GetGraphics().FillRect(0, 0, 1, 1);
    const QImage before = picture.Image();
    EXPECT_FALSE(picture.Image().paintingActive()); // nothing left pending
    picture.GetGraphics().FillRect(1, 0, 1, 1);
    EXPECT_EQ(qAlpha(before.pixel(1, 0)), 0);
    EXPECT_EQ(Map(picture), "##..\n");
}

// ---- FillRect and DrawRect --------------------------------------------------

TEST(GraphicsFillTest, FillsExactlyTheRectangleClippedToThePicture)
{
    Picture picture(8, 5);
    Graphics& g = picture.GetGraphics();
    g.FillRect(2, 1, 4, 2);
    g.FillRect(-2, -3, 3, 4); // only 0,0 lies on the picture
    g.FillRect(7, 4, 10, 10); // only 7,4
    EXPECT_EQ(Map(picture), "#.......\n..####..\n..####..\n........\n.......#\n");
}

TEST(GraphicsFillTest, EmptyNegativeAndHugeSizesDoNotCrash)
{
    Picture picture(3, 2);
    Graphics& g = picture.GetGraphics();
    g.FillRect(1, 1, 0, 3);
    g.FillRect(1, 1, 3, 0);
    g.FillRect(2, 1, -2, -2);
    g.FillRect(2, 1, kMin, kMin);
    g.FillRect(kMax, kMax, kMax, kMax);
    g.FillRect(kMin, kMin, kMax, kMax); // ends at -1, -1
    EXPECT_EQ(Map(picture), "...\n...\n");
    g.FillRect(-5, -5, kMax, kMax);
    EXPECT_EQ(Map(picture), "###\n###\n");
}

TEST(GraphicsOutlineTest, DrawsTheEdgePixelsOfTheRectangle)
{
    Picture picture(9, 6);
    Graphics& g = picture.GetGraphics();
    g.DrawRect(1, 1, 6, 4); // columns 1 and 6, rows 1 and 4
    g.DrawRect(8, 0, 1, 1); // a single pixel
    g.DrawRect(0, 0, 0, 3); // empty
    g.DrawRect(0, 0, 3, -1);
    EXPECT_EQ(Map(picture), "........#\n.######..\n.#....#..\n.#....#..\n.######..\n.........\n");
}

TEST(GraphicsOutlineTest, ThickPenGrowsInwardAndThinPenDrawsNothing)
{
    Picture picture(6, 4);
    Graphics& g = picture.GetGraphics();
    g.SetPenWidth(2);
    g.DrawRect(0, 0, 6, 4);
    EXPECT_EQ(Map(picture), "######\n##..##\n##..##\n######\n");

    Picture none(3, 3);
    none.GetGraphics().SetPenWidth(0);
    none.GetGraphics().DrawRect(0, 0, 3, 3);
    none.GetGraphics().DrawLine(0, 0, 2, 2);
    EXPECT_EQ(Map(none), "...\n...\n...\n");
}

// ---- DrawLine ---------------------------------------------------------------

TEST(GraphicsLineTest, StraightLinesIncludeBothEndPointsInEitherDirection)
{
    Picture picture(7, 5);
    Graphics& g = picture.GetGraphics();
    g.DrawLine(1, 0, 5, 0);
    g.DrawLine(5, 2, 1, 2);
    g.DrawLine(0, 1, 0, 4);
    g.DrawLine(6, 4, 6, 1);
    g.DrawLine(3, 4, 3, 4); // a single point
    EXPECT_EQ(Map(picture), ".#####.\n#.....#\n#######\n#.....#\n#..#..#\n");
}

TEST(GraphicsLineTest, SlopedLinesStepOnePixelAlongTheLongerAxis)
{
    Picture flat(12, 5);
    Picture flatBack(12, 5);
    flat.GetGraphics().DrawLine(1, 0, 10, 3);
    flatBack.GetGraphics().DrawLine(10, 3, 1, 0);
    EXPECT_EQ(Map(flat), ".##.........\n...###......\n......###...\n.........##.\n............\n");
    EXPECT_EQ(Map(flat), Map(flatBack));

    Picture steep(5, 6);
    steep.GetGraphics().DrawLine(3, 5, 0, 0);
    EXPECT_EQ(Map(steep), "#....\n.#...\n.#...\n..#..\n..#..\n...#.\n");

    Picture diagonal(4, 4);
    diagonal.GetGraphics().DrawLine(kMin, kMin, kMax, kMax); // far-away ends keep the course
    EXPECT_EQ(Map(diagonal), "#...\n.#..\n..#.\n...#\n");
}

TEST(GraphicsLineTest, LinesPastTheEdgesAreClipped)
{
    Picture picture(6, 4);
    Graphics& g = picture.GetGraphics();
    g.DrawLine(-1, 0, picture.Width() + 1, 0); // fills the row wholly
    g.DrawLine(kMin, 2, kMax, 2);
    g.DrawLine(-100, 3, -1, 3);
    g.DrawLine(3, -50, 3, -1);
    EXPECT_EQ(Map(picture), "######\n......\n######\n......\n");
}

TEST(GraphicsLineTest, GradientSweepFillsEveryRowWhole)
{
    // One line per row from x -1 to width + 1, and one more below the picture.
    Picture picture(387, 43);
    Graphics& g = picture.GetGraphics();
    for (std::int64_t i = 0; i <= picture.Height(); ++i) {
        g.SetForeColor(RGB(int(i), 0, 0));
        g.DrawLine(-1, i, picture.Width() + 1, i);
    }
    for (int row = 0; row < 43; ++row)
        for (int x : {0, 1, 200, 386})
            ASSERT_EQ(Pixel(picture, x, row), qRgba(row, 0, 0, 255)) << "x " << x << " row " << row;
}

TEST(GraphicsLineTest, ThickPenIsSquareAndHangsRightAndBelowThePath)
{
    Picture picture(10, 7);
    Graphics& g = picture.GetGraphics();
    // A pen height of 1 does not thin a line: only outlines use it.
    g.SetPenWidth(3);
    g.DrawLine(1, 0, 4, 0);
    g.SetPenWidth(2);
    g.DrawLine(8, 3, 8, 4);
    EXPECT_EQ(Map(picture), ".######...\n.######...\n.######...\n........##\n........##\n........##\n..........\n");
}

// ---- Colours ----------------------------------------------------------------

TEST(GraphicsColorTest, AlphaByteBlendsSourceOver)
{
    Picture picture(4, 1);
    PaintWhite(picture);
    Graphics& g = picture.GetGraphics();
    g.SetForeColor(RGB(0xFA, 0xB3, 0x12));
    g.FillRect(0, 0, 1, 1);
    g.SetForeColor(RGB(0, 0, 0, 0x80)); // about half transparent
    g.FillRect(1, 0, 1, 1);
    g.SetForeColor(RGB(0, 0, 0, 0xFF)); // fully transparent: no change
    g.FillRect(2, 0, 1, 1);

    EXPECT_EQ(Pixel(picture, 0, 0), qRgba(0xFA, 0xB3, 0x12, 255));
    const QRgb half = Pixel(picture, 1, 0);
    EXPECT_EQ(qAlpha(half), 255);
    EXPECT_NEAR(qRed(half), 0x80, 1);
    EXPECT_NEAR(qBlue(half), 0x80, 1);
    EXPECT_EQ(Pixel(picture, 2, 0), kWhite);

    Picture clear(1, 1); // on a transparent picture the colour keeps its opacity
    clear.GetGraphics().SetForeColor(RGB(0x10, 0x20, 0x30, 0x80));
    clear.GetGraphics().FillRect(0, 0, 1, 1);
    EXPECT_NEAR(qAlpha(Pixel(clear, 0, 0)), 0x7F, 1);
}

TEST(GraphicsColorTest, TranslucentShapesBlendEachPixelOnce)
{
    // Overlapping pen positions and outline bands must not darken twice.
    Picture picture(12, 8);
    PaintWhite(picture);
    Graphics& g = picture.GetGraphics();
    g.SetForeColor(RGB(0, 0, 0, 0x80));
    g.SetPenWidth(3);
    g.SetPenHeight(2);
    g.DrawLine(0, 0, 5, 3);
    g.SetPenWidth(1);
    g.SetPenHeight(1);
    g.DrawRect(8, 0, 4, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 12; ++x) {
            const int level = qRed(Pixel(picture, x, y));
            EXPECT_TRUE(level == 255 || std::abs(level - 0x80) <= 1) << x << "," << y << ": " << level;
        }
    }
    EXPECT_NE(qRed(Pixel(picture, 2, 1)), 255); // under several pen positions
    EXPECT_NE(qRed(Pixel(picture, 8, 0)), 255); // outline corner
}

// ---- DrawPicture ------------------------------------------------------------

TEST(GraphicsPictureTest, CopiesThePixelsAtTheOffset)
{
    Picture source(3, 2);
    source.GetGraphics().SetForeColor(RGB(0xC0, 0x10, 0x20));
    source.GetGraphics().FillRect(0, 0, 3, 2);
    source.GetGraphics().SetForeColor(RGB(0x01, 0x02, 0x03));
    source.GetGraphics().FillRect(2, 1, 1, 1);

    Picture target(8, 6);
    PaintWhite(target);
    target.GetGraphics().DrawPicture(source, 4, 3);
    const QRgb red = qRgba(0xC0, 0x10, 0x20, 255);
    EXPECT_EQ(Pixel(target, 4, 3), red); // the source's corners
    EXPECT_EQ(Pixel(target, 6, 3), red);
    EXPECT_EQ(Pixel(target, 4, 4), red);
    EXPECT_EQ(Pixel(target, 6, 4), qRgba(1, 2, 3, 255));
    for (auto [x, y] : {std::pair{3, 3}, {7, 3}, {4, 2}, {4, 5}, {7, 5}, {0, 0}})
        EXPECT_EQ(Pixel(target, x, y), kWhite) << "x " << x << " y " << y;
}

TEST(GraphicsPictureTest, TransparentPartsLeaveTheTargetAndEdgesClip)
{
    Picture source(3, 3);
    source.GetGraphics().DrawLine(0, 1, 2, 1); // only the middle row is opaque
    Picture target(4, 2);
    PaintWhite(target);
    target.GetGraphics().DrawPicture(source, -1, -1); // the middle row lands on row 0
    target.GetGraphics().DrawPicture(source, kMax, kMin);
    EXPECT_EQ(Pixel(target, 0, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(Pixel(target, 1, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(Pixel(target, 2, 0), kWhite);
    EXPECT_EQ(Pixel(target, 0, 1), kWhite);

    Picture self(4, 1); // a picture drawn on itself
    self.GetGraphics().FillRect(0, 0, 1, 1);
    self.GetGraphics().DrawPicture(self, 2, 0);
    EXPECT_EQ(Map(self), "#.#.\n");
}

// ---- Text -------------------------------------------------------------------

TEST(GraphicsTextTest, StringSitsOnItsBaselineAndWrapsOnlyWhenAsked)
{
    Picture plain(400, 120);
    Graphics& g = plain.GetGraphics();
    g.DrawString("Hxg word word word word", 20, 40);
    const QRect line = Ink(plain);
    ASSERT_FALSE(line.isEmpty());
    EXPECT_LT(line.top(), 40);    // capitals rise above the baseline
    EXPECT_GT(line.top(), 40 - 30);
    EXPECT_GE(line.bottom(), 40); // the descender of "g" reaches below it
    EXPECT_LT(line.bottom(), 40 + 12);
    EXPECT_GE(line.left(), 19);
    EXPECT_GT(line.right(), 20 + 60); // one line, not cut at any width

    Picture wrapped(400, 120);
    wrapped.GetGraphics().DrawString("Hxg word word word word", 20, 40, 60);
    const QRect lines = Ink(wrapped);
    EXPECT_EQ(lines.top(), line.top());
    EXPECT_GT(lines.bottom(), line.bottom() + 10);
    EXPECT_LE(lines.right(), 20 + 60 + 1);

    Picture condensed(400, 120);
    condensed.GetGraphics().DrawString("Hxg word word word word", 20, 40, 60, true);
    const QRect squeezed = Ink(condensed);
    EXPECT_LE(squeezed.bottom(), line.bottom() + 1);
    EXPECT_LE(squeezed.right(), 20 + 60 + 1);
}

TEST(GraphicsTextTest, WidthGrowsWithTextSizeAndWeight)
{
    Picture picture(1, 1);
    Graphics& g = picture.GetGraphics();
    EXPECT_EQ(g.StringWidth(""), 0.0);
    const double one = g.StringWidth("M");
    const double three = g.StringWidth("MMM");
    EXPECT_GT(one, 0.0);
    EXPECT_GT(three, one * 2.5);
    g.SetTextSize(30);
    EXPECT_GT(g.StringWidth("MMM"), three * 1.5);
    g.SetTextSize(0);
    EXPECT_DOUBLE_EQ(g.StringWidth("MMM"), three);
    g.SetBold(true);
    EXPECT_GE(g.StringWidth("MMMMMMMMMM"), 10 * one);
}

// ---- Call log and thread ----------------------------------------------------

TEST(GraphicsLogTest, RecordsCallsInOrder)
{
    Picture source(1, 1);
    Picture picture(387, 22);
    Graphics& g = picture.GetGraphics();
    std::vector<std::string> log;
    g.SetCallLog(&log);
    g.SetForeColor(RGB(0xFA, 0xFA, 0xFA));
    g.FillRect(0, 0, 387, 22);
    g.SetForeColor(RGB(0xA5, 0xA5, 0xA5));
    g.DrawRect(0, 0, 387, 22);
    g.DrawLine(28, 0, 28, 22);
    g.SetForeColor(RGB(0, 0, 0));
    g.DrawString("+", 11, 15);
    g.DrawString("-", 41.5, 15, 80, true);
    g.SetForeColor(RGB(0xFF, 0xFF, 0xFF, 0x80));
    g.SetPenWidth(12);
    g.SetPenHeight(2);
    g.SetTextSize(12);
    g.SetBold(true);
    g.DrawPicture(source, -3, 0);
    (void)g.StringWidth("not logged");
    g.SetCallLog(nullptr);
    g.FillRect(0, 0, 1, 1);

    const std::vector<std::string> expected = {
        "ForeColor FAFAFA", "FillRect 0 0 387 22", "ForeColor A5A5A5", "DrawRect 0 0 387 22",
        "DrawLine 28 0 28 22", "ForeColor 000000", "DrawString + 11 15",
        "DrawString - 41.5 15 wrap 80 condense", "ForeColor 80FFFFFF", "PenWidth 12",
        "PenHeight 2", "TextSize 12", "Bold true", "DrawPicture -3 0"};
    EXPECT_EQ(log, expected);
}

TEST(GraphicsThreadTest, DrawingOffTheMainThreadRaises)
{
    Picture picture(2, 2);
    Graphics& g = picture.GetGraphics();
    int caught = 0;
    std::thread worker([&] {
        auto attempt = [&](auto call) {
            try {
                call();
            } catch (const ThreadAccessingUIException&) {
                ++caught;
            }
        };
        attempt([&] { g.FillRect(0, 0, 2, 2); });
        attempt([&] { g.DrawRect(0, 0, 2, 2); });
        attempt([&] { g.DrawLine(0, 0, 1, 1); });
        attempt([&] { g.DrawString("x", 0, 1); });
        attempt([&] { g.DrawPicture(picture, 0, 0); });
    });
    worker.join();
    EXPECT_EQ(caught, 5);
    EXPECT_EQ(Map(picture), "..\n..\n");
}
