#pragma once

#include <QFont>

#include <cstdint>
#include <string>

// The font of a control's text settings. "System" (or "") is the desktop's
// own family and size 0 its own size. Sizes in the default unit (0) and in
// pixels (1) are pixel sizes: the window layouts were drawn for a screen on
// which a point is a pixel, and 96-dpi points would overflow their labels.
// Points (2) and the other units are taken as points.
QFont ControlFont(const std::string& family, double size, std::int64_t unit, bool bold, bool italic = false,
                  bool underline = false);
