#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <type_traits>

// The plain text of a number, as the program shows sizes and counts:
// - a whole number as its digits ("1023", "-5"), exactly for integers and for
//   whole doubles below 10^15 in magnitude;
// - any other double as the shortest text that reads back to the same value,
//   at most 15 significant digits, '.' as the decimal separator whatever the
//   locale ("1.5", "1023.9990234375"); very large or small values take an
//   exponent ("1e+20", "1e-07");
// - "NaN", "Infinity", "-Infinity".
// Only the empty format is supported; any other raises
// UnsupportedFormatException.
std::string Str(double value, const std::string& format = "");
std::string Str(std::int64_t value);
std::string Str(std::uint64_t value);
// Text is its own text (a variant that holds a text).
std::string Str(const std::string& text);

// Other integer types (int, unsigned...) go to the 64-bit overloads rather
// than being ambiguous between them and double.
template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, std::int64_t> && !std::same_as<T, std::uint64_t>)
std::string Str(T value)
{
    if constexpr (std::is_signed_v<T>)
        return Str(static_cast<std::int64_t>(value));
    else
        return Str(static_cast<std::uint64_t>(value));
}

// The text of a variant's value: the same texts as Str with an empty format.
std::string CStr(double value);
std::string CStr(std::int64_t value);
std::string CStr(const std::string& text);

template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, std::int64_t>)
std::string CStr(T value)
{
    return Str(value);
}
