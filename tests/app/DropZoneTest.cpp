// The drop zone's dashed frame: the pixels of the real canvas, the drawing
// calls of one paint, and how the frame follows the canvas's width.
#include "app/App.h"
#include "app/FileTypes1.h"
#include "app/MainMenuBar.h"
#include "window/MainWindow.h"

#include "framework/Canvas.h"
#include "framework/Graphics.h"
#include "framework/Picture.h"

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kDash = 0xFFE9E9E9;

// Where the dashes start, in the canvas's own pixels (387 x 319).
const std::vector<std::int64_t> kHorizontalStarts = {28, 66, 104, 142, 180, 218, 256, 294, 332};
const std::vector<std::int64_t> kVerticalStarts = {25, 63, 101, 139, 177};

void PrepareStartUp()
{
    static const bool fileTypes = [] {
        FileTypes1::_Initialize();
        return true;
    }();
    (void)fileTypes;
    if (!implicit::App()) {
        auto app = std::make_shared<App>();
        app->Constructor();
        app->SetMenuBar(implicit::MainMenuBar());
        _RuntimeRegisterAppObject(app);
    }
}

class DropZoneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrepareStartUp();
        window = implicit::MainWindow();
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override
    {
        if (window)
            window->Close();
        window.reset();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // The calls of one paint of a context of the given size, through the
    // handler, and the picture it leaves.
    std::vector<std::string> PaintLog(Picture& picture, const std::vector<Rect>& areas = {}) const
    {
        std::vector<std::string> log;
        picture.GetGraphics().SetCallLog(&log);
        window->cvDropFile_Paint(window->cvDropFile(), picture.GetGraphics(), areas);
        picture.GetGraphics().SetCallLog(nullptr);
        return log;
    }

    std::shared_ptr<MainWindow> window;
};

std::string Line(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    return "DrawLine " + std::to_string(x1) + ' ' + std::to_string(y1) + ' ' + std::to_string(x2) + ' '
           + std::to_string(y2);
}

std::size_t CountOf(const std::vector<std::string>& log, const std::string& prefix)
{
    return std::size_t(std::count_if(log.begin(), log.end(),
                                     [&](const std::string& entry) { return entry.rfind(prefix, 0) == 0; }));
}

} // namespace

TEST_F(DropZoneTest, CanvasShowsTheDashedFrameOnWhite)
{
    const QImage image = window->cvDropFile().Render();
    ASSERT_EQ(image.size(), QSize(387, 319));

    EXPECT_EQ(image.pixel(5, 5), kWhite);
    EXPECT_EQ(image.pixel(200, 60), kWhite);
    EXPECT_EQ(image.pixel(380, 210), kWhite);

    // Nine dashes on the top and the bottom edge, each from x to x + 15, with
    // white between them and none after the ninth.
    for (int row : {25, 192}) {
        for (std::int64_t x : kHorizontalStarts) {
            SCOPED_TRACE("row " + std::to_string(row) + ", dash at " + std::to_string(x));
            EXPECT_EQ(image.pixel(int(x), row), kDash);
            EXPECT_EQ(image.pixel(int(x) + 15, row), kDash);
            EXPECT_EQ(image.pixel(int(x) + 32, row), kWhite) << "the gap after the dash";
        }
        EXPECT_EQ(image.pixel(370, row), kWhite) << "no tenth dash";
        EXPECT_EQ(image.pixel(20, row), kWhite) << "nothing before the first";
    }

    // Five dashes on the left (column 26) and the right edge (column 352),
    // the last one ending on the bottom edge's row.
    for (int column : {26, 352}) {
        for (std::int64_t y : kVerticalStarts) {
            SCOPED_TRACE("column " + std::to_string(column) + ", dash at " + std::to_string(y));
            EXPECT_EQ(image.pixel(column, int(y)), kDash);
            EXPECT_EQ(image.pixel(column, int(y) + 15), kDash);
            EXPECT_EQ(image.pixel(column, int(y) + 27), kWhite) << "the gap after the dash";
        }
        EXPECT_EQ(image.pixel(column, 216), kWhite) << "no sixth dash";
        EXPECT_EQ(image.pixel(column, 20), kWhite) << "nothing above the first";
    }

    // The canvas lies at -1, -1: the window shows the frame one pixel up and left.
    const QImage content = window->ContentWidget()->grab().toImage();
    EXPECT_EQ(content.pixel(28 + 7 - 1, 25 - 1), kDash);
    EXPECT_EQ(content.pixel(26 - 1, 110 - 1), kDash);
    EXPECT_EQ(content.pixel(28 + 32 - 1, 25 - 1), kWhite);
}

TEST_F(DropZoneTest, OnePaintIsOneFillAndTwentyEightLines)
{
    Picture picture(387, 319);
    std::vector<std::string> expected = {"ForeColor FFFFFF", "FillRect 0 0 387 319", "ForeColor E9E9E9",
                                         "PenWidth 12"};
    for (std::int64_t x : kHorizontalStarts) {
        expected.push_back(Line(x, 25, x + 15, 25));
        expected.push_back(Line(x, 192, x + 15, 192));
    }
    for (std::int64_t y : kVerticalStarts) {
        expected.push_back(Line(26, y, 26, y + 15));
        expected.push_back(Line(352, y, 352, y + 15));
    }
    const std::vector<std::string> log = PaintLog(picture);
    EXPECT_EQ(log, expected);
    EXPECT_EQ(CountOf(log, "FillRect"), 1u);
    EXPECT_EQ(CountOf(log, "DrawLine"), 28u);

    // A request for part of the canvas draws the same whole picture, and so
    // does the canvas's own Paint event, which reaches the same handler.
    Picture part(387, 319);
    EXPECT_EQ(PaintLog(part, {Rect{10, 10, 5, 5}}), expected);

    Picture viaEvent(387, 319);
    std::vector<std::string> eventLog;
    viaEvent.GetGraphics().SetCallLog(&eventLog);
    window->cvDropFile().Event_Paint(viaEvent.GetGraphics(), {});
    viaEvent.GetGraphics().SetCallLog(nullptr);
    EXPECT_EQ(eventLog, expected);
}

TEST_F(DropZoneTest, FrameFollowsTheWidthAndIgnoresTheHeight)
{
    struct Row {
        std::int64_t width, height;
        std::size_t horizontalDashesPerEdge;
        bool topDashAt45; // the pixel (45, 25) lies in the first top dash
    };
    const std::vector<Row> table = {
        {387, 319, 9, true},
        {63, 319, 1, true},   // x = 28 = W - 35 still draws
        {62, 319, 0, false},  // the first dash would start past W - 35
        {34, 319, 0, false},  // the right edge lies outside the canvas
        {387, 100, 9, true},  // the bottom edge and the dashes' ends fall outside
    };
    for (const Row& row : table) {
        SCOPED_TRACE(std::to_string(row.width) + " x " + std::to_string(row.height));
        Picture picture(row.width, row.height);
        const std::vector<std::string> log = PaintLog(picture);

        EXPECT_EQ(log.at(1), "FillRect 0 0 " + std::to_string(row.width) + ' ' + std::to_string(row.height));
        EXPECT_EQ(CountOf(log, "FillRect"), 1u);
        EXPECT_EQ(CountOf(log, "DrawLine"), 2 * row.horizontalDashesPerEdge + 10);
        EXPECT_EQ(CountOf(log, Line(28, 25, 43, 25)), row.horizontalDashesPerEdge > 0 ? 1u : 0u);
        EXPECT_EQ(CountOf(log, Line(28, 192, 43, 192)), row.horizontalDashesPerEdge > 0 ? 1u : 0u);

        // The left edge always, the right edge at W - 35 wherever that is.
        const std::int64_t right = row.width - 35;
        for (std::int64_t y : kVerticalStarts) {
            EXPECT_EQ(CountOf(log, Line(26, y, 26, y + 15)), 1u);
            EXPECT_EQ(CountOf(log, Line(right, y, right, y + 15)), 1u);
        }

        const QImage image = picture.Image();
        if (row.width > 45) {
            EXPECT_EQ(image.pixel(45, 25), row.topDashAt45 ? kDash : kWhite);
        }
        EXPECT_EQ(image.pixel(26, 30), kDash);
    }
}
