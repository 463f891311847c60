#pragma once

#include "Color.h"

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <variant>

class Object;

// The declared type of a property decides how many bytes its value takes in a
// design-time property list (see PropertyList.h).
enum class PropertyType {
    Integer,   // 64-bit signed integer, 8 bytes little-endian
    Enum64,    // enumeration stored as a 64-bit integer, 8 bytes
    FontUnits, // one-byte enumeration
    Boolean,   // 1 byte
    String,    // 4-byte byte count, then UTF-8
    Color,     // 4 bytes: blue, green, red, alpha
    Single,    // IEEE 754 single, 4 bytes little-endian
};

using PropertyValue = std::variant<std::int64_t, bool, std::string, Color, float>;

// Converts a property value to the type a setter takes.
template <class T>
T PropertyValueAs(const PropertyValue& value)
{
    if constexpr (std::is_same_v<T, bool>) {
        if (auto* b = std::get_if<bool>(&value))
            return *b;
        if (auto* i = std::get_if<std::int64_t>(&value))
            return *i != 0;
        return false;
    } else if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>) {
        if (auto* i = std::get_if<std::int64_t>(&value))
            return static_cast<T>(*i);
        if (auto* f = std::get_if<float>(&value))
            return static_cast<T>(*f);
        if (auto* b = std::get_if<bool>(&value))
            return static_cast<T>(*b);
        return T{};
    } else if constexpr (std::is_same_v<T, std::string>) {
        if (auto* s = std::get_if<std::string>(&value))
            return *s;
        return {};
    } else {
        static_assert(std::is_same_v<T, Color>, "unsupported property value type");
        if (auto* c = std::get_if<Color>(&value))
            return *c;
        return Color{};
    }
}

template <class T>
PropertyValue ToPropertyValue(const T& v)
{
    if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::string> || std::is_same_v<T, Color>
                  || std::is_same_v<T, float>)
        return v;
    else if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>)
        return static_cast<std::int64_t>(v);
    else
        return std::string(v);
}

// One declared property: its name, its type and how to set (and read) it.
struct PropertyInfo {
    std::string name;
    PropertyType type;
    std::function<void(Object&, const PropertyValue&)> set;
    std::function<PropertyValue(const Object&)> get;
};

// A property set through a member function, read through another; the value
// type is deduced from the setter's parameter.
template <class T, class Arg, class R>
PropertyInfo MakeProperty(std::string name, PropertyType type, R (T::*getter)() const, void (T::*setter)(Arg))
{
    using V = std::remove_cvref_t<Arg>;
    PropertyInfo info{std::move(name), type, {}, {}};
    info.set = [setter](Object& target, const PropertyValue& value) {
        (static_cast<T&>(target).*setter)(PropertyValueAs<V>(value));
    };
    info.get = [getter](const Object& target) {
        return ToPropertyValue<V>(static_cast<V>((static_cast<const T&>(target).*getter)()));
    };
    return info;
}

// A plain public field of the class.
template <class T, class V>
PropertyInfo MakeField(std::string name, PropertyType type, V T::*field)
{
    PropertyInfo info{std::move(name), type, {}, {}};
    info.set = [field](Object& target, const PropertyValue& value) {
        static_cast<T&>(target).*field = PropertyValueAs<V>(value);
    };
    info.get = [field](const Object& target) { return ToPropertyValue<V>(static_cast<const T&>(target).*field); };
    return info;
}

// A declared property that has no effect on this platform: the value is kept
// in the object's property store, where it can be read back.
PropertyInfo MakeStored(std::string name, PropertyType type);
