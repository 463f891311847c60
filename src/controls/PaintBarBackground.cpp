#include "controls/PaintBarBackground.h"

#include "framework/Graphics.h"
#include "framework/Picture.h"
#include "framework/RuntimeException.h"

#include <memory>

namespace {

void PaintGradient(Graphics& g, Color startColor, Color endColor)
{
    const std::int64_t w = g.Width();
    const std::int64_t h = g.Height();
    std::unique_ptr<Picture> picture;
    try {
        picture = std::make_unique<Picture>(w, h);
    } catch (const OutOfBoundsException&) {
        // No picture can match this context. Leaving the background out
        // keeps the outline and the captions, which the caller draws next.
        return;
    }

    Graphics& pg = picture->GetGraphics();
    const std::int64_t right = picture->Width() + 1;
    // One pass more than there are rows: the last line, which would be the
    // end colour exactly, lies below the picture, so the bottom row stays a
    // step short of it.
    for (std::int64_t i = 0; i <= picture->Height(); ++i) {
        const double t = double(i) / double(h);
        const double u = 1.0 - t;
        auto level = [&](int s, int e) { return int(TruncTowardZero(double(s) * u + double(e) * t)); };
        pg.SetForeColor(RGB(level(startColor.Red(), endColor.Red()), level(startColor.Green(), endColor.Green()),
                            level(startColor.Blue(), endColor.Blue()), 0));
        pg.DrawLine(-1, i, right, i);
    }
    g.DrawPicture(*picture, 0, 0);
}

} // namespace

void PaintBarBackground(Graphics& g, BarFill kind, Color startColor, Color endColor, std::int64_t width,
                        std::int64_t height)
{
    switch (kind) {
    case BarFill::Solid:
        g.SetForeColor(startColor);
        g.FillRect(0, 0, width, height);
        break;
    case BarFill::TwoTone: {
        const std::int64_t half = TruncTowardZero(double(height) / 2.0);
        g.SetForeColor(startColor);
        g.FillRect(0, 0, width, half);
        // The full height from the middle on; the context clips the rest.
        g.SetForeColor(endColor);
        g.FillRect(0, half, width, height);
        break;
    }
    case BarFill::Gradient:
        PaintGradient(g, startColor, endColor);
        break;
    case BarFill::None:
        break;
    }
}
