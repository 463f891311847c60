#pragma once

#include "framework/Color.h"

#include <cstdint>

class Graphics;

// The background fills shared by the status bar and the action bar. Each bar
// maps its own Style numbering onto these.
enum class BarFill {
    None,     // nothing is drawn
    Solid,    // startColor over the whole bar
    TwoTone,  // startColor above the middle row, endColor from it down
    Gradient, // top to bottom from startColor towards endColor, always opaque
};

// Paints a bar's background on g. width and height (the control's size)
// serve Solid and TwoTone; the Gradient covers g's own size. A Gradient on a
// context that a Picture cannot match (outside 1-32767 pixels either way)
// draws nothing.
void PaintBarBackground(Graphics& g, BarFill kind, Color startColor, Color endColor, std::int64_t width,
                        std::int64_t height);

// The bars turn every computed position and level into an integer by
// truncating toward zero, never by rounding: -6.5 gives -6, 249.99 gives 249.
// Every value they convert is a pixel position or a colour level, well
// inside the 64-bit range.
inline std::int64_t TruncTowardZero(double value)
{
    return static_cast<std::int64_t>(value);
}
