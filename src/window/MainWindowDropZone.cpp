// The drop zone's look: a white ground with a frame of short, thick,
// light-grey dashes. Only the right edge follows the canvas's width; the rows
// are fixed, so a lower canvas just cuts the frame off.
#include "window/MainWindow.h"

#include "framework/Canvas.h"
#include "framework/Color.h"
#include "framework/Graphics.h"

#include <cstdint>

namespace {
constexpr std::int64_t kDashLength = 15;
constexpr std::int64_t kDashStep = 38;
constexpr std::int64_t kTopRow = 25;
constexpr std::int64_t kBottomRow = 192;
constexpr std::int64_t kLeftColumn = 26;
// The right edge lies this far inside the canvas's right end.
constexpr std::int64_t kRightInset = 35;
} // namespace

void MainWindow::cvDropFile_Paint(Canvas& sender, Graphics& g, const std::vector<Rect>& areas)
{
    // The whole picture every time, whatever part is asked for.
    (void)sender;
    (void)areas;

    g.SetForeColor(Color(0xFFFFFF));
    g.FillRect(0, 0, g.Width(), g.Height());

    g.SetForeColor(Color(0xE9E9E9));
    g.SetPenWidth(12);

    // Top and bottom edges; a dash may still start on the right edge's column.
    for (std::int64_t x = 28; x <= g.Width() - kRightInset; x += kDashStep) {
        g.DrawLine(x, kTopRow, x + kDashLength, kTopRow);
        g.DrawLine(x, kBottomRow, x + kDashLength, kBottomRow);
    }

    // Left and right edges; the last dash ends on the bottom edge's row.
    for (std::int64_t y = 25; y <= 185; y += kDashStep) {
        g.DrawLine(kLeftColumn, y, kLeftColumn, y + kDashLength);
        const std::int64_t right = g.Width() - kRightInset;
        g.DrawLine(right, y, right, y + kDashLength);
    }
}
