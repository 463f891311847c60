#pragma once

#include <QColor>

#include <cstdint>

// A 32-bit colour: alpha in bits 24-31 (0 is opaque, 255 fully transparent),
// red in bits 16-23, green in 8-15, blue in 0-7.
struct Color {
    std::uint32_t value = 0;

    constexpr Color() = default;
    constexpr explicit Color(std::uint32_t v) : value(v) {}

    constexpr int Red() const { return (value >> 16) & 0xFF; }
    constexpr int Green() const { return (value >> 8) & 0xFF; }
    constexpr int Blue() const { return value & 0xFF; }
    constexpr int Alpha() const { return (value >> 24) & 0xFF; }

    friend constexpr bool operator==(Color, Color) = default;
};

// Builds a colour from its channels; alpha 0 is opaque.
constexpr Color RGB(int red, int green, int blue, int alpha = 0)
{
    return Color((std::uint32_t(alpha & 0xFF) << 24) | (std::uint32_t(red & 0xFF) << 16)
                 | (std::uint32_t(green & 0xFF) << 8) | std::uint32_t(blue & 0xFF));
}

// The colour as Qt takes it: Qt counts alpha as opacity, not transparency.
inline QColor ToQColor(Color c)
{
    return QColor(c.Red(), c.Green(), c.Blue(), 255 - c.Alpha());
}
