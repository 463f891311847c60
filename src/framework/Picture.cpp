#include "Picture.h"

#include "RuntimeException.h"

namespace {

QImage MakeImage(std::int64_t width, std::int64_t height)
{
    constexpr std::int64_t largest = 32767;
    if (width < 1 || width > largest || height < 1 || height > largest)
        throw OutOfBoundsException("Width/Height needs to be in the range 1-32767");
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    // QImage reports a failed allocation only by being null.
    if (image.isNull())
        throw RuntimeException("Not enough memory for a picture of " + std::to_string(width) + " by "
                               + std::to_string(height) + " pixels");
    image.fill(Qt::transparent);
    return image;
}

} // namespace

Picture::Picture(std::int64_t width, std::int64_t height)
    : m_image(MakeImage(width, height)),
      m_graphics(std::make_unique<Graphics>(&m_image, width, height))
{
}

Picture::~Picture()
{
    // The context's painter must let go of the image before the image goes.
    m_graphics.reset();
}

const QImage& Picture::Image() const
{
    m_graphics->EndPainting();
    return m_image;
}
