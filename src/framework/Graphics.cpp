#include "Graphics.h"

#include "Picture.h"
#include "UiThread.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QTextLayout>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace {

using Int = std::int64_t;

// Coordinates and sizes arrive as any 64-bit value. A sum that leaves the
// 64-bit range stops at its end: it then lies far outside any context, which
// is all that clipping needs to know.
Int SaturatingAdd(Int a, Int b)
{
    Int sum;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<Int>::max() : std::numeric_limits<Int>::min();
    return sum;
}

Int CeilDiv(Int numerator, Int denominator) // denominator > 0
{
    Int quotient = numerator / denominator;
    if (numerator % denominator != 0 && numerator > 0)
        ++quotient;
    return quotient;
}

// The part of x, y, w, h that lies on a width x height context, if any.
std::optional<QRect> Clip(Int x, Int y, Int w, Int h, Int width, Int height)
{
    if (w <= 0 || h <= 0)
        return std::nullopt;
    const Int left = std::max<Int>(x, 0);
    const Int top = std::max<Int>(y, 0);
    const Int right = std::min(SaturatingAdd(x, w), width);
    const Int bottom = std::min(SaturatingAdd(y, h), height);
    if (left >= right || top >= bottom)
        return std::nullopt;
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

// The pixels of a line, row by row: for each row the path passes through, the
// first and last column it takes there. One pixel per step along the longer
// axis, the other coordinate rounded to the nearest pixel (halves away from
// the end with the lower major coordinate), so the set does not depend on the
// order of the end points.
class LinePath {
public:
    LinePath(Int x1, Int y1, Int x2, Int y2)
    {
        const Int dx = x2 - x1;
        const Int dy = y2 - y1;
        const Int adx = dx < 0 ? -dx : dx;
        const Int ady = dy < 0 ? -dy : dy;
        m_xMajor = adx >= ady;
        // Walk the major axis upward.
        if ((m_xMajor && dx < 0) || (!m_xMajor && dy < 0)) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        m_x1 = x1;
        m_y1 = y1;
        m_major = m_xMajor ? adx : ady;
        m_minor = m_xMajor ? ady : adx;
        const Int minorStep = m_xMajor ? y2 - y1 : x2 - x1;
        m_minorSign = minorStep < 0 ? -1 : 1;
        m_top = std::min(y1, y2);
        m_bottom = std::max(y1, y2);
        // Both coordinates move the same way along the path, or oppositely.
        m_xGrowsWithY = m_minorSign > 0;
    }

    Int Top() const { return m_top; }
    Int Bottom() const { return m_bottom; }
    bool XGrowsWithY() const { return m_xGrowsWithY; }

    // First and last column of the path on row y, Top() <= y <= Bottom().
    std::pair<Int, Int> Columns(Int y) const
    {
        if (!m_xMajor) {
            // One pixel per row: minor offset = round(k * minor / major).
            const Int k = y - m_y1;
            const Int offset = (2 * k * m_minor + m_major) / (2 * m_major);
            const Int x = m_x1 + m_minorSign * offset;
            return {x, x};
        }
        if (m_minor == 0)
            return {m_x1, m_x1 + m_major};
        // Steps t along x whose rounded minor offset equals k.
        const Int k = (y - m_y1) * m_minorSign;
        const Int first = k == 0 ? 0 : CeilDiv((2 * k - 1) * m_major, 2 * m_minor);
        const Int last = k == m_minor ? m_major : CeilDiv((2 * k + 1) * m_major, 2 * m_minor) - 1;
        return {m_x1 + first, m_x1 + last};
    }

private:
    bool m_xMajor;
    Int m_x1, m_y1, m_major, m_minor;
    int m_minorSign;
    Int m_top, m_bottom;
    bool m_xGrowsWithY;
};

// Within this distance of the origin a line's pixels are worked out exactly;
// the products of two coordinates then fit in 64 bits. Devices are far
// smaller, and a pen is capped at twice that size, which still reaches
// across any device from anywhere in that range.
constexpr Int kFar = Int(1) << 29;

// Cuts a line whose end points lie farther out down to the part within kFar
// of the origin, rounding the new end points. False when nothing is left.
bool CutToNearRange(Int& x1, Int& y1, Int& x2, Int& y2)
{
    auto near = [](Int v) { return v >= -kFar && v <= kFar; };
    if (near(x1) && near(y1) && near(x2) && near(y2))
        return true;
    // Liang-Barsky in floating point; the far ends only need to come out
    // about right, since only the part near the context is drawn.
    const long double dx = (long double)x2 - (long double)x1;
    const long double dy = (long double)y2 - (long double)y1;
    long double from = 0, to = 1;
    const long double limit = (long double)kFar;
    const long double p[4] = {-dx, dx, -dy, dy};
    const long double q[4] = {(long double)x1 + limit, limit - (long double)x1, (long double)y1 + limit,
                              limit - (long double)y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const long double t = q[i] / p[i];
        if (p[i] < 0)
            from = std::max(from, t);
        else
            to = std::min(to, t);
    }
    if (from > to)
        return false;
    const long double sx = (long double)x1, sy = (long double)y1;
    x1 = Int(std::llround(sx + from * dx));
    y1 = Int(std::llround(sy + from * dy));
    x2 = Int(std::llround(sx + to * dx));
    y2 = Int(std::llround(sy + to * dy));
    return true;
}

std::string FormatNumber(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatColor(Color color)
{
    char buffer[16];
    if (color.Alpha() != 0)
        std::snprintf(buffer, sizeof buffer, "%02X%02X%02X%02X", color.Alpha(), color.Red(),
                      color.Green(), color.Blue());
    else
        std::snprintf(buffer, sizeof buffer, "%02X%02X%02X", color.Red(), color.Green(), color.Blue());
    return buffer;
}

} // namespace

Graphics::Graphics(QPaintDevice* device, std::int64_t width, std::int64_t height)
    : m_device(device), m_width(width), m_height(height)
{
}

Graphics::~Graphics()
{
    EndPainting();
}

void Graphics::SetForeColor(Color color)
{
    RequireMainThread();
    m_foreColor = color;
    if (m_log)
        m_log->push_back("ForeColor " + FormatColor(color));
}

void Graphics::SetPenWidth(std::int64_t width)
{
    RequireMainThread();
    m_penWidth = width;
    LogCall("PenWidth", {width});
}

void Graphics::SetPenHeight(std::int64_t height)
{
    RequireMainThread();
    m_penHeight = height;
    LogCall("PenHeight", {height});
}

void Graphics::SetTextSize(double size)
{
    RequireMainThread();
    m_textSize = size;
    if (m_log)
        m_log->push_back("TextSize " + FormatNumber(size));
}

void Graphics::SetBold(bool bold)
{
    RequireMainThread();
    m_bold = bold;
    if (m_log)
        m_log->push_back(bold ? "Bold true" : "Bold false");
}

void Graphics::FillRect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h)
{
    RequireMainThread();
    LogCall("FillRect", {x, y, w, h});
    if (auto area = Clip(x, y, w, h, m_width, m_height))
        Fill(*area);
}

void Graphics::DrawRect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h)
{
    RequireMainThread();
    LogCall("DrawRect", {x, y, w, h});
    const Int pw = m_penWidth;
    const Int ph = m_penHeight;
    if (w <= 0 || h <= 0 || pw < 1 || ph < 1)
        return;
    // Four bands that do not overlap, so a translucent colour blends once.
    // Each difference below is of two positive sizes, the smaller taken
    // from the larger, so none can overflow.
    std::optional<QRect> bands[4];
    if (pw >= w - pw || ph >= h - ph) {
        bands[0] = Clip(x, y, w, h, m_width, m_height);
    } else {
        bands[0] = Clip(x, y, w, ph, m_width, m_height);
        bands[1] = Clip(x, SaturatingAdd(y, h - ph), w, ph, m_width, m_height);
        bands[2] = Clip(x, SaturatingAdd(y, ph), pw, h - ph - ph, m_width, m_height);
        bands[3] = Clip(SaturatingAdd(x, w - pw), SaturatingAdd(y, ph), pw, h - ph - ph, m_width, m_height);
    }
    for (const auto& band : bands) {
        if (band)
            Fill(*band);
    }
}

void Graphics::DrawLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    RequireMainThread();
    LogCall("DrawLine", {x1, y1, x2, y2});
    // Lines are stroked with a square pen PenWidth on a side, so a thick
    // line is equally thick whichever way it runs; PenHeight shapes only
    // rectangle outlines.
    const Int pw = std::min<Int>(m_penWidth, 2 * kFar);
    const Int ph = pw;
    if (pw < 1)
        return;
    Int ax = x1, ay = y1, bx = x2, by = y2;
    if (!CutToNearRange(ax, ay, bx, by))
        return;

    // The pen's top-left corner visits every pixel of the path; row r is
    // covered by the pen at the path's rows r - ph + 1 to r. The path is
    // monotonic, so what those rows cover on row r is one run of columns.
    // Working row by row keeps the cost to the context's height, whatever
    // the coordinates, and fills each pixel once.
    const LinePath path(ax, ay, bx, by);
    const Int firstRow = std::max<Int>(path.Top(), 0);
    const Int lastRow = std::min<Int>(path.Bottom() + ph - 1, m_height - 1);

    // Rows with the same run are gathered into one rectangle.
    std::optional<QRect> pending;
    auto flush = [&] {
        if (pending)
            Fill(*pending);
        pending.reset();
    };
    for (Int row = firstRow; row <= lastRow; ++row) {
        const Int from = std::max(path.Top(), row - ph + 1);
        const Int to = std::min(path.Bottom(), row);
        const Int left = path.XGrowsWithY() ? path.Columns(from).first : path.Columns(to).first;
        const Int right = path.XGrowsWithY() ? path.Columns(to).second : path.Columns(from).second;
        const auto run = Clip(left, row, right - left + pw, 1, m_width, m_height);
        if (pending && run && run->left() == pending->left() && run->width() == pending->width()) {
            pending->setHeight(pending->height() + 1);
            continue;
        }
        flush();
        pending = run;
    }
    flush();
}

void Graphics::DrawString(const std::string& utf8, double x, double y, double wrapWidth, bool condense)
{
    RequireMainThread();
    if (m_log) {
        std::string entry = "DrawString " + utf8 + ' ' + FormatNumber(x) + ' ' + FormatNumber(y);
        if (wrapWidth != 0)
            entry += " wrap " + FormatNumber(wrapWidth);
        if (condense)
            entry += " condense";
        m_log->push_back(std::move(entry));
    }

    QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    if (text.isEmpty())
        return;
    const QFont font = CurrentFont();
    QPainter& painter = Painter();
    painter.setFont(font);
    painter.setPen(ToQColor(m_foreColor));

    if (wrapWidth <= 0 || condense) {
        // One line. Condensing narrows the text to the wrap width instead
        // of cutting it.
        const double width = QFontMetricsF(font, m_device).horizontalAdvance(text);
        if (condense && wrapWidth > 0 && width > wrapWidth) {
            painter.save();
            painter.translate(x, y);
            painter.scale(wrapWidth / width, 1.0);
            painter.drawText(QPointF(0, 0), text);
            painter.restore();
        } else {
            painter.drawText(QPointF(x, y), text);
        }
        return;
    }

    // Wrapped: lines break at word boundaries where they can, anywhere where
    // a word is wider than the wrap width; line breaks in the text are kept.
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    QTextLayout layout(text, font, m_device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    double top = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(wrapWidth);
        line.setPosition(QPointF(0, top));
        top += line.height();
    }
    layout.endLayout();
    if (layout.lineCount() == 0)
        return;
    layout.draw(&painter, QPointF(x, y - layout.lineAt(0).ascent()));
}

double Graphics::StringWidth(const std::string& utf8) const
{
    RequireMainThread();
    return QFontMetricsF(CurrentFont(), m_device)
        .horizontalAdvance(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

void Graphics::DrawPicture(const Picture& picture, std::int64_t x, std::int64_t y)
{
    RequireMainThread();
    LogCall("DrawPicture", {x, y});
    // Taking the image ends the picture's own painter; holding this copy
    // makes the destination detach when it is the same picture.
    const QImage source = picture.Image();
    if (!Clip(x, y, source.width(), source.height(), m_width, m_height))
        return;
    Painter().drawImage(QPoint(int(x), int(y)), source);
}

QPainter& Graphics::Painter()
{
    if (!m_painter)
        m_painter = std::make_unique<QPainter>();
    if (!m_painter->isActive() && m_painter->begin(m_device)) {
        m_painter->setRenderHint(QPainter::Antialiasing, false);
        m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    return *m_painter;
}

void Graphics::EndPainting()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

QFont Graphics::CurrentFont() const
{
    QFont font = QApplication::font();
    if (m_textSize > 0)
        font.setPointSizeF(m_textSize);
    font.setBold(m_bold);
    return font;
}

void Graphics::Fill(const QRect& area)
{
    Painter().fillRect(area, ToQColor(m_foreColor));
}

void Graphics::LogCall(const char* operation, std::initializer_list<std::int64_t> arguments)
{
    if (!m_log)
        return;
    std::string entry = operation;
    for (std::int64_t argument : arguments)
        entry += ' ' + std::to_string(argument);
    m_log->push_back(std::move(entry));
}
