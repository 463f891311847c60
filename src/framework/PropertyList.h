#pragma once

#include "Color.h"

#include <cstdint>
#include <string>
#include <string_view>

class Object;

// Writes a design-time property list: entries of a name, one space and the
// value, with nothing before, between or after them. The list states no
// types: each value takes the width of the declared type of the property it
// names, so the writer must pick the method that matches that type.
//
//   PropertyList()
//       .Integer("Left", -1)          // 8 bytes, little-endian
//       .Boolean("Visible", true)     // 1 byte
//       .String("Title", "Untitled")  // 4-byte byte count, then UTF-8
//       .ColorValue("BackColor", 0xFFFFFF)  // blue, green, red, alpha
//       .Single("TextSize", 11)       // IEEE 754, 4 bytes
//       .FontUnit("TextUnit", 0)      // 1 byte
//       .Bytes();
class PropertyList {
public:
    PropertyList& Integer(std::string_view name, std::int64_t value);
    PropertyList& Enum(std::string_view name, std::int64_t value) { return Integer(name, value); }
    PropertyList& FontUnit(std::string_view name, std::uint8_t value);
    PropertyList& Boolean(std::string_view name, bool value);
    PropertyList& String(std::string_view name, std::string_view utf8);
    PropertyList& ColorValue(std::string_view name, Color value);
    // A colour written as RRGGBB, opaque.
    PropertyList& ColorValue(std::string_view name, std::uint32_t rrggbb) { return ColorValue(name, Color(rrggbb)); }
    PropertyList& Single(std::string_view name, float value);

    const std::string& Bytes() const { return m_bytes; }

private:
    PropertyList& Name(std::string_view name);
    std::string m_bytes;
};

// Applies a design-time property list to target, entry by entry in the list's
// order. Each name is looked up without regard to letter case among the
// properties of the target's class and its bases; the value is read in the
// width of the declared type and set through the property's setter.
//
// Raises UnsupportedFormatException, naming the property and the byte offset,
// for a name that no class declares and for a list that ends inside an
// entry. It never reads past the end of the list. Entries before the faulty
// one stay applied; the faulty entry sets nothing.
void _SetProperties(Object& target, std::string_view list);
