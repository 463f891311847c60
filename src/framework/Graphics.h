#pragma once

#include "Color.h"

#include <QFont>
#include <QPainter>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

class Picture;
class QPaintDevice;

// A drawing context: the colour, pen and text settings plus the drawing
// operations, all in whole device pixels with the origin at the top left.
//
// Shapes are never antialiased. Lines are drawn with a square pen of
// PenWidth pixels whose top-left corner follows the path, so a thick line
// extends right of and below its path and a 1-pixel pen hits exactly the
// pixels of the path, both end points included. Rectangle outlines are
// PenWidth wide at the sides and PenHeight high at the top and bottom,
// growing inward. Colours blend source-over with their alpha (alpha byte 0
// is opaque).
class Graphics {
public:
    // Draws on a paint device of the given size (a QImage of a Picture, or a
    // widget during its paint event). The device must outlive the context.
    Graphics(QPaintDevice* device, std::int64_t width, std::int64_t height);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    Color ForeColor() const { return m_foreColor; }
    void SetForeColor(Color color);
    std::int64_t PenWidth() const { return m_penWidth; }
    // A pen narrower or lower than one pixel draws no lines or outlines.
    void SetPenWidth(std::int64_t width);
    std::int64_t PenHeight() const { return m_penHeight; }
    void SetPenHeight(std::int64_t height);
    // Point size of the text; 0 is the system's default size.
    double TextSize() const { return m_textSize; }
    void SetTextSize(double size);
    bool Bold() const { return m_bold; }
    void SetBold(bool bold);

    std::int64_t Width() const { return m_width; }
    std::int64_t Height() const { return m_height; }

    // Fills w x h pixels from x, y; nothing for w <= 0 or h <= 0.
    void FillRect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);
    // The outline on the rectangle's own edge pixels: columns x and x + w - 1,
    // rows y and y + h - 1 with a 1x1 pen; a thicker pen grows inward.
    void DrawRect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);
    // A line with both end points drawn.
    void DrawLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
    // Text with its first baseline at y. wrapWidth 0 keeps it on one line;
    // otherwise it wraps at that width, or with condense squeezes one line
    // into it. Text is never shortened.
    void DrawString(const std::string& utf8, double x, double y, double wrapWidth = 0,
                    bool condense = false);
    double StringWidth(const std::string& utf8) const;
    // Draws the whole picture, unscaled, with its top left at x, y.
    void DrawPicture(const Picture& picture, std::int64_t x, std::int64_t y);

    // For tests: every call that draws or changes a setting appends one entry,
    // such as "FillRect 0 0 387 319" or "ForeColor FAFAFA". Null stops logging;
    // without a log no entry is even put together.
    void SetCallLog(std::vector<std::string>* log) { m_log = log; }

private:
    friend class Picture;

    QPainter& Painter();
    // Ends the painter, so that the device's pixels are complete and a copy
    // of an image no longer shares a buffer that is being drawn into.
    void EndPainting();
    QFont CurrentFont() const;
    // Fills an area already clipped to the context.
    void Fill(const QRect& area);
    // An entry of the operation's name and its integer arguments.
    void LogCall(const char* operation, std::initializer_list<std::int64_t> arguments);

    QPaintDevice* m_device;
    std::int64_t m_width;
    std::int64_t m_height;
    std::unique_ptr<QPainter> m_painter;
    Color m_foreColor;
    std::int64_t m_penWidth = 1;
    std::int64_t m_penHeight = 1;
    double m_textSize = 0;
    bool m_bold = false;
    std::vector<std::string>* m_log = nullptr;
};
