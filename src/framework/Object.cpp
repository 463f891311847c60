#include "Object.h"

#include "RuntimeException.h"

#include <algorithm>

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    // ASCII only, inline: a design-time list compares every entry's name
    // with a class's names, which the C library's tolower makes a call each.
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

ClassInfo::ClassInfo(std::string name, const ClassInfo* base, std::vector<PropertyInfo> properties)
    : m_name(std::move(name)), m_base(base), m_properties(std::move(properties))
{
}

const PropertyInfo* ClassInfo::FindProperty(std::string_view name) const
{
    for (const ClassInfo* info = this; info; info = info->m_base) {
        for (const PropertyInfo& property : info->m_properties) {
            if (EqualsIgnoringCase(property.name, name))
                return &property;
        }
    }
    return nullptr;
}

bool ClassInfo::InheritsFrom(const ClassInfo& other) const
{
    for (const ClassInfo* info = this; info; info = info->m_base) {
        if (info == &other)
            return true;
    }
    return false;
}

const ClassInfo& Object::StaticClassInfo()
{
    static const ClassInfo info("Object", nullptr, {});
    return info;
}

void Object::SetStoredProperty(const std::string& name, PropertyValue value)
{
    m_stored[name] = std::move(value);
}

const PropertyValue* Object::StoredProperty(const std::string& name) const
{
    auto it = m_stored.find(name);
    return it == m_stored.end() ? nullptr : &it->second;
}

PropertyInfo MakeStored(std::string name, PropertyType type)
{
    PropertyInfo info{name, type, {}, {}};
    info.set = [name](Object& target, const PropertyValue& value) { target.SetStoredProperty(name, value); };
    info.get = [name, type](const Object& target) -> PropertyValue {
        if (const PropertyValue* v = target.StoredProperty(name))
            return *v;
        switch (type) {
        case PropertyType::Boolean: return false;
        case PropertyType::String: return std::string();
        case PropertyType::Color: return Color();
        case PropertyType::Single: return 0.0f;
        default: return std::int64_t(0);
        }
    };
    return info;
}

PropertyValue GetPropertyValue(const Object& target, std::string_view name)
{
    const PropertyInfo* property = target.GetClassInfo().FindProperty(name);
    if (!property)
        throw UnsupportedFormatException("The class " + target.GetClassInfo().Name() + " declares no property "
                                         + std::string(name) + ".");
    return property->get(target);
}
