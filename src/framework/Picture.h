#pragma once

#include "Graphics.h"

#include <QImage>

#include <cstdint>
#include <memory>

// An off-screen image with an alpha channel and a drawing context of its own.
// It starts fully transparent.
class Picture {
public:
    // Each size from 1 to 32767, else OutOfBoundsException.
    Picture(std::int64_t width, std::int64_t height);
    ~Picture();
    // The context draws into m_image, so a picture stays where it is.
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    std::int64_t Width() const { return m_image.width(); }
    std::int64_t Height() const { return m_image.height(); }

    // Lives as long as the picture.
    Graphics& GetGraphics() { return *m_graphics; }
    // Everything drawn so far; a copy taken from it keeps its pixels when
    // the picture is drawn on afterwards.
    const QImage& Image() const;

private:
    QImage m_image;
    std::unique_ptr<Graphics> m_graphics;
};
