#include "PropertyList.h"

#include "Object.h"
#include "RuntimeException.h"

#include <bit>
#include <cstring>

namespace {

void AppendLittleEndian(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t ReadLittleEndian(std::string_view in, std::size_t offset, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= std::uint64_t(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    return value;
}

int FixedWidth(PropertyType type)
{
    switch (type) {
    case PropertyType::Integer:
    case PropertyType::Enum64: return 8;
    case PropertyType::FontUnits:
    case PropertyType::Boolean: return 1;
    case PropertyType::Color:
    case PropertyType::Single:
    case PropertyType::String: return 4; // the byte count; the text follows
    }
    return 0;
}

bool IsNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

[[noreturn]] void Fail(const std::string& what, std::string_view name, std::size_t offset)
{
    throw UnsupportedFormatException("Property list: " + what + " (property \"" + std::string(name)
                                     + "\" at byte offset " + std::to_string(offset) + ").");
}

} // namespace

PropertyList& PropertyList::Name(std::string_view name)
{
    m_bytes.append(name);
    m_bytes.push_back(' ');
    return *this;
}

PropertyList& PropertyList::Integer(std::string_view name, std::int64_t value)
{
    Name(name);
    AppendLittleEndian(m_bytes, static_cast<std::uint64_t>(value), 8);
    return *this;
}

PropertyList& PropertyList::FontUnit(std::string_view name, std::uint8_t value)
{
    Name(name);
    m_bytes.push_back(static_cast<char>(value));
    return *this;
}

PropertyList& PropertyList::Boolean(std::string_view name, bool value)
{
    Name(name);
    m_bytes.push_back(value ? 1 : 0);
    return *this;
}

PropertyList& PropertyList::String(std::string_view name, std::string_view utf8)
{
    Name(name);
    AppendLittleEndian(m_bytes, utf8.size(), 4);
    m_bytes.append(utf8);
    return *this;
}

PropertyList& PropertyList::ColorValue(std::string_view name, Color value)
{
    Name(name);
    AppendLittleEndian(m_bytes, value.value, 4);
    return *this;
}

PropertyList& PropertyList::Single(std::string_view name, float value)
{
    Name(name);
    AppendLittleEndian(m_bytes, std::bit_cast<std::uint32_t>(value), 4);
    return *this;
}

// Each entry of the list, in turn.
static void SetEachProperty(Object& target, std::string_view list)
{
    const ClassInfo& classInfo = target.GetClassInfo();
    std::size_t pos = 0;
    while (pos < list.size()) {
        const std::size_t entryStart = pos;
        std::size_t nameEnd = pos;
        while (nameEnd < list.size() && IsNameCharacter(list[nameEnd]))
            ++nameEnd;
        const std::string_view name = list.substr(pos, nameEnd - pos);
        if (name.empty())
            Fail("expected a property name", name, entryStart);
        if (nameEnd >= list.size() || list[nameEnd] != ' ')
            Fail("the list ends or breaks inside the entry's name", name, entryStart);

        const PropertyInfo* property = classInfo.FindProperty(name);
        if (!property)
            Fail("no property of that name on class " + classInfo.Name() + " or its bases", name, entryStart);

        std::size_t valueAt = nameEnd + 1;
        const int width = FixedWidth(property->type);
        if (list.size() - valueAt < std::size_t(width))
            Fail("the list ends inside the value", property->name, entryStart);

        PropertyValue value;
        std::size_t next = valueAt + width;
        switch (property->type) {
        case PropertyType::Integer:
        case PropertyType::Enum64:
            value = static_cast<std::int64_t>(ReadLittleEndian(list, valueAt, 8));
            break;
        case PropertyType::FontUnits:
            value = static_cast<std::int64_t>(static_cast<unsigned char>(list[valueAt]));
            break;
        case PropertyType::Boolean:
            value = list[valueAt] != 0;
            break;
        case PropertyType::Color:
            value = Color(static_cast<std::uint32_t>(ReadLittleEndian(list, valueAt, 4)));
            break;
        case PropertyType::Single:
            value = std::bit_cast<float>(static_cast<std::uint32_t>(ReadLittleEndian(list, valueAt, 4)));
            break;
        case PropertyType::String: {
            const std::uint64_t count = ReadLittleEndian(list, valueAt, 4);
            if (list.size() - next < count)
                Fail("the list ends inside the text value", property->name, entryStart);
            value = std::string(list.substr(next, count));
            next += count;
            break;
        }
        }
        property->set(target, value);
        pos = next;
    }
}

void _SetProperties(Object& target, std::string_view list)
{
    target._BeginProperties();
    try {
        SetEachProperty(target, list);
    } catch (...) {
        target._EndProperties();
        throw;
    }
    target._EndProperties();
}
