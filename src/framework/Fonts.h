#pragma once

#include <QFont>
#include <QString>

#include <cstdint>
#include <string>

// The font of a control's text settings. "System" (or "") is the desktop's
// own family and size 0 its own size, and those follow the desktop: the font
// settles only what the settings ask (the weight and the styles always), so
// a desktop font change reaches the control. Sizes in the default unit (0)
// and in pixels (1) are pixel sizes: the window layouts were drawn for a
// screen on which a point is a pixel, and 96-dpi points would overflow their
// labels. Points (2) and the other units are taken as points.
QFont ControlFont(const std::string& family, double size, std::int64_t unit, bool bold, bool italic = false,
                  bool underline = false);

// One line of text as it is drawn in a box: the font and the text.
struct FittedLine {
    QFont font;
    QString text;
};

// The smallest pixel size a text of this pixel size is shrunk to: 9 pixels,
// below which a desktop sans loses its small letters on a 96-dpi screen. A
// text already smaller is not shrunk.
int ReadableFloor(int pixelSize);

// How one line is drawn in a box this wide with this horizontal alignment.
// It fits when its advance is no wider than the box and its ink sticks out
// of the box by at most a pixel at either end (glyph overhangs that any
// label shows). A line that fits keeps its font. One that does not is drawn
// whole at the largest size down to the readable floor at which it fits,
// bold and all, found by scaling with the ratio of the widths and confirming
// one size after another; only where even the floor is too wide is it drawn
// at the floor and cut short with an ellipsis at its end.
FittedLine FitOneLine(const QString& text, const QFont& font, int width, Qt::Alignment alignment);

// FitOneLine with its last answer remembered: the line is fitted again only
// when its text, font, width or alignment changed.
class LineFitter {
public:
    const FittedLine& Fit(const QString& text, const QFont& font, int width, Qt::Alignment alignment);

private:
    QString m_text;
    QFont m_font;
    int m_width = -1;
    Qt::Alignment m_alignment;
    FittedLine m_fitted;
};
