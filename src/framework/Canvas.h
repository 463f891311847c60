#pragma once

#include "Event.h"
#include "Rect.h"
#include "RectControl.h"

#include <cstdint>
#include <vector>

#include <QImage>

class Graphics;

// A control that draws itself in its Paint event. A MouseDown handler that
// returns true captures the mouse: the matching MouseUp comes wherever the
// button is released.
class Canvas : public RectControl {
    DECLARE_CLASS_INFO

public:
    Canvas();

    Event<void(Canvas&, Graphics&, const std::vector<Rect>&)> Paint;
    Event<bool(Canvas&, std::int64_t, std::int64_t)> MouseDown;
    Event<void(Canvas&, std::int64_t, std::int64_t)> MouseUp;

    // Raised by the framework. A subclass that handles an event itself
    // overrides its Event_ method; the window can then no longer handle it.
    virtual void Event_Paint(Graphics& g, const std::vector<Rect>& areas);
    virtual bool Event_MouseDown(std::int64_t x, std::int64_t y);
    virtual void Event_MouseUp(std::int64_t x, std::int64_t y);

    // Draws the canvas and its child controls into an image of its size, as
    // the screen shows them. Tests and screenshots.
    QImage Render() const;
};
