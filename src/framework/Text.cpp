#include "Text.h"

#include "RuntimeException.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {
// Largest magnitude below which every whole double is written as digits;
// beyond it the 15 significant digits of a double no longer hold every digit.
constexpr double kWholeLimit = 1e15;

std::string DoubleText(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0)
        return "0"; // also for -0: a size or count is never "negative zero"
    if (value == std::trunc(value) && std::fabs(value) < kWholeLimit)
        return std::to_string(static_cast<std::int64_t>(value));

    // std::to_chars ignores the C locale, so a German desktop still gets '.'.
    char buffer[64];
    for (int digits = 1; digits <= 15; ++digits) {
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
        if (ec != std::errc())
            break;
        double back = 0;
        std::from_chars(buffer, end, back);
        if (back == value || digits == 15)
            return std::string(buffer, end);
    }
    return std::to_string(value);
}
} // namespace

std::string Str(double value, const std::string& format)
{
    if (!format.empty())
        throw UnsupportedFormatException("Number formats are not supported: \"" + format + "\".");
    return DoubleText(value);
}

std::string Str(std::int64_t value)
{
    return std::to_string(value);
}

std::string Str(std::uint64_t value)
{
    return std::to_string(value);
}

std::string Str(const std::string& text)
{
    return text;
}

std::string CStr(double value)
{
    return DoubleText(value);
}

std::string CStr(std::int64_t value)
{
    return std::to_string(value);
}

std::string CStr(const std::string& text)
{
    return text;
}
