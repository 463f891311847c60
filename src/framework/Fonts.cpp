#include "Fonts.h"

#include <QFontInfo>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

QFont ControlFont(const std::string& family, double size, std::int64_t unit, bool bold, bool italic, bool underline)
{
    // A font that settles nothing yet: the widget takes the rest from the
    // desktop's font, now and whenever that changes.
    QFont font;
    if (!family.empty() && family != "System" && family != "SmallSystem")
        font.setFamily(QString::fromStdString(family));
    if (size > 0) {
        if (unit == 0 || unit == 1)
            font.setPixelSize(std::max(1, int(size + 0.5)));
        else
            font.setPointSizeF(size);
    }
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

int ReadableFloor(int pixelSize)
{
    constexpr int kReadable = 9;
    return std::min(pixelSize, kReadable);
}

namespace {

// The line's advance in this font, and whether it fits the box.
struct Measure {
    qreal advance;
    bool fits;
};

Measure MeasureLine(const QString& text, const QFont& font, int width, Qt::Alignment alignment)
{
    const QFontMetricsF metrics(font);
    const qreal advance = metrics.horizontalAdvance(text);
    if (advance > width)
        return {advance, false};
    // Where the line starts as the label places it, and where its ink lies.
    qreal origin = 0;
    if (alignment & Qt::AlignHCenter)
        origin = (width - advance) / 2;
    else if (alignment & Qt::AlignRight)
        origin = width - advance;
    const QRectF ink = metrics.tightBoundingRect(text);
    constexpr qreal kOverhang = 1;
    const bool inside = ink.isEmpty()
                        || (origin + ink.left() >= -kOverhang && origin + ink.left() + ink.width() <= width + kOverhang);
    return {advance, inside};
}

QFont Resized(const QFont& font, int pixelSize)
{
    QFont resized = font;
    resized.setPixelSize(pixelSize);
    return resized;
}

} // namespace

FittedLine FitOneLine(const QString& text, const QFont& font, int width, Qt::Alignment alignment)
{
    const Measure asked = MeasureLine(text, font, width, alignment);
    if (asked.fits || text.isEmpty())
        return {font, text};
    const int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    const int floor = ReadableFloor(size);
    // Advances grow in proportion to the size, so the ratio of the widths
    // names the size; hinting or ink that sticks out may cost it a pixel or
    // two, which the next steps take back, each at least a size smaller,
    // down to the floor.
    int tried = size;
    qreal advance = asked.advance;
    while (tried > floor) {
        const qreal scaled = advance > 0 ? std::floor(tried * width / advance) : tried - 1;
        const int next = int(std::clamp<qreal>(scaled, floor, tried - 1));
        const QFont candidate = Resized(font, next);
        const Measure measured = MeasureLine(text, candidate, width, alignment);
        if (measured.fits)
            return {candidate, text};
        tried = next;
        advance = measured.advance;
    }
    const QFont smallest = Resized(font, floor);
    return {smallest, QFontMetricsF(smallest).elidedText(text, Qt::ElideRight, width)};
}

const FittedLine& LineFitter::Fit(const QString& text, const QFont& font, int width, Qt::Alignment alignment)
{
    if (width != m_width || alignment != m_alignment || text != m_text || font != m_font) {
        m_fitted = FitOneLine(text, font, width, alignment);
        m_text = text;
        m_font = font;
        m_width = width;
        m_alignment = alignment;
    }
    return m_fitted;
}
