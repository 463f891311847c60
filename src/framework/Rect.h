#pragma once

#include <cstdint>

// An area to repaint, in the control's own coordinates.
struct Rect {
    std::int64_t Left = 0;
    std::int64_t Top = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
};
