// Pixel tests of the drawing context: every primitive is drawn on a Picture
// and read back from its image, so the bars built on it can rely on exact pixels.
#include "framework/Graphics.h"
#include "framework/Picture.h"
#include "framework/RuntimeException.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

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

QRgb Pixel(const Picture& picture, int x, int y) { return picture.Image().pixel(x, y); }

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

TEST(PictureTest, SizeOutsideOneTo32767RaisesOutOfBounds)
{
    const std::pair<std::int64_t, std::int64_t> bad[] = {{0, 10}, {10, 0}, {32768, 1}, {1, 32768}, {kMax, 1}, {-1, kMin}};
    for (const auto& [width, height] : bad) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        try {
            Picture picture(width, height);
            ADD_FAILURE() << "no exception";
        } catch (const OutOfBoundsException& e) {
            EXPECT_EQ(e.Message(), "Width/Height needs to be in the range 1-32767");
        }
    }
    EXPECT_EQ(Picture(32767, 1).Width(), 32767);
    EXPECT_EQ(Picture(1, 32767).Height(), 32767);
}

TEST(GraphicsShapeTest, FillRectAndDrawRectHitExactlyTheRectangleClippedToThePicture)
{
    Picture fill(8, 5);
    Graphics& f = fill.GetGraphics();
    f.FillRect(2, 1, 4, 2);
    f.FillRect(-2, -3, 3, 4); // only 0,0 lies on the picture
    f.FillRect(7, 4, 10, 10); // only 7,4
    f.FillRect(3, 4, 0, 3);   // empty
    f.FillRect(4, 4, -2, -2); // negative
    f.FillRect(kMin, kMin, kMax, kMax); // ends at -1, -1
    EXPECT_EQ(Map(fill), "#.......\n..####..\n..####..\n........\n.......#\n");

    Picture outline(9, 6);
    Graphics& o = outline.GetGraphics();
    o.DrawRect(1, 1, 6, 4); // columns 1 and 6, rows 1 and 4
    o.DrawRect(8, 0, 1, 1); // a single pixel
    o.DrawRect(0, 0, 0, 3); // empty
    EXPECT_EQ(Map(outline), "........#\n.######..\n.#....#..\n.#....#..\n.######..\n.........\n");
}

TEST(GraphicsShapeTest, DrawLineHitsBothEndPointsEitherWayAndIsClippedAtTheEdges)
{
    Picture straight(7, 5);
    Graphics& g = straight.GetGraphics();
    g.DrawLine(1, 0, 5, 0);
    g.DrawLine(5, 2, 1, 2);
    g.DrawLine(0, 1, 0, 4);
    g.DrawLine(6, 4, 6, 1);
    g.DrawLine(3, 4, 3, 4); // a single point
    EXPECT_EQ(Map(straight), ".#####.\n#.....#\n#######\n#.....#\n#..#..#\n");

    // Sloped lines step one pixel along the longer axis, the same either way.
    Picture flat(12, 5), flatBack(12, 5), steep(5, 6);
    flat.GetGraphics().DrawLine(1, 0, 10, 3);
    flatBack.GetGraphics().DrawLine(10, 3, 1, 0);
    steep.GetGraphics().DrawLine(3, 5, 0, 0);
    EXPECT_EQ(Map(flat), ".##.........\n...###......\n......###...\n.........##.\n............\n");
    EXPECT_EQ(Map(flatBack), Map(flat));
    EXPECT_EQ(Map(steep), "#....\n.#...\n.#...\n..#..\n..#..\n...#.\n");

    Picture clipped(6, 4);
    Graphics& c = clipped.GetGraphics();
    c.DrawLine(-1, 0, 7, 0); // fills the row wholly
    c.DrawLine(kMin, 2, kMax, 2);
    c.DrawLine(-100, 3, -1, 3);
    c.DrawLine(3, -50, 3, -1);
    EXPECT_EQ(Map(clipped), "######\n......\n######\n......\n");
}

TEST(GraphicsShapeTest, ThickPenIsSquareOnLinesGrowsInwardOnOutlinesAndZeroDrawsNothing)
{
    Picture line(10, 7);
    // A pen height of 1 does not thin a line: only outlines use it.
    line.GetGraphics().SetPenWidth(3);
    line.GetGraphics().DrawLine(1, 0, 4, 0);
    line.GetGraphics().SetPenWidth(2);
    line.GetGraphics().DrawLine(8, 3, 8, 4);
    EXPECT_EQ(Map(line), ".######...\n.######...\n.######...\n........##\n........##\n........##\n..........\n");

    Picture outline(6, 4);
    outline.GetGraphics().SetPenWidth(2);
    outline.GetGraphics().DrawRect(0, 0, 6, 4);
    EXPECT_EQ(Map(outline), "######\n##..##\n##..##\n######\n");

    Picture none(3, 3);
    none.GetGraphics().SetPenWidth(0);
    none.GetGraphics().DrawRect(0, 0, 3, 3);
    none.GetGraphics().DrawLine(0, 0, 2, 2);
    EXPECT_EQ(Map(none), "...\n...\n...\n");
}

TEST(GraphicsColorTest, AlphaByteBlendsSourceOverAndEachPixelOnlyOnce)
{
    // Opaque, about half transparent, fully transparent (no change).
    const Color colors[] = {RGB(0xFA, 0xB3, 0x12), RGB(0, 0, 0, 0x80), RGB(0, 0, 0, 0xFF)};
    Picture picture(3, 1);
    PaintWhite(picture);
    for (int x = 0; x < 3; ++x) {
        picture.GetGraphics().SetForeColor(colors[x]);
        picture.GetGraphics().FillRect(x, 0, 1, 1);
    }
    EXPECT_EQ(Pixel(picture, 0, 0), qRgba(0xFA, 0xB3, 0x12, 255));
    EXPECT_EQ(qAlpha(Pixel(picture, 1, 0)), 255);
    EXPECT_NEAR(qRed(Pixel(picture, 1, 0)), 0x80, 1);
    EXPECT_EQ(Pixel(picture, 2, 0), kWhite);

    // Overlapping pen positions and the corners of an outline must not
    // darken twice.
    Picture shapes(12, 8);
    PaintWhite(shapes);
    shapes.GetGraphics().SetForeColor(RGB(0, 0, 0, 0x80));
    shapes.GetGraphics().SetPenWidth(3);
    shapes.GetGraphics().DrawLine(0, 0, 5, 3);
    shapes.GetGraphics().SetPenWidth(1);
    shapes.GetGraphics().DrawRect(8, 0, 4, 8);
    EXPECT_NEAR(qRed(Pixel(shapes, 2, 1)), 0x80, 1); // under several pen positions
    EXPECT_NEAR(qRed(Pixel(shapes, 8, 0)), 0x80, 1); // outline corner

    Picture clear(1, 1); // on a transparent picture the colour keeps its opacity
    clear.GetGraphics().SetForeColor(RGB(0x10, 0x20, 0x30, 0x80));
    clear.GetGraphics().FillRect(0, 0, 1, 1);
    EXPECT_NEAR(qAlpha(Pixel(clear, 0, 0)), 0x7F, 1);
}

TEST(GraphicsTextTest, StringSitsOnItsBaselineAndWrapsOrCondensesOnlyWhenAsked)
{
    Picture plain(400, 120);
    plain.GetGraphics().DrawString("Hxg word word word word", 20, 40);
    const QRect line = Ink(plain);
    ASSERT_FALSE(line.isEmpty());
    EXPECT_LT(line.top(), 40); // capitals rise above the baseline
    EXPECT_GT(line.top(), 40 - 30);
    EXPECT_GE(line.bottom(), 40); // the descender of "g" reaches below it
    EXPECT_LT(line.bottom(), 40 + 12);
    EXPECT_GT(line.right(), 20 + 60); // one line, not cut at any width

    for (bool condense : {false, true}) {
        Picture narrow(400, 120);
        narrow.GetGraphics().DrawString("Hxg word word word word", 20, 40, 60, condense);
        const QRect ink = Ink(narrow);
        EXPECT_LE(ink.right(), 20 + 60 + 1) << condense;
        if (condense)
            EXPECT_LE(ink.bottom(), line.bottom() + 1) << "squeezed onto the one line";
        else
            EXPECT_GT(ink.bottom(), line.bottom() + 10) << "wrapped onto more lines";
    }
}
