#pragma once

#include "Property.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Run-time description of a class: its name, its base and its declared
// properties, which _SetProperties looks up by name.
class ClassInfo {
public:
    ClassInfo(std::string name, const ClassInfo* base, std::vector<PropertyInfo> properties);

    const std::string& Name() const { return m_name; }
    const ClassInfo* Base() const { return m_base; }
    const std::vector<PropertyInfo>& Properties() const { return m_properties; }

    // Finds a property of this class or of a base, without regard to letter case.
    const PropertyInfo* FindProperty(std::string_view name) const;
    bool InheritsFrom(const ClassInfo& other) const;

private:
    std::string m_name;
    const ClassInfo* m_base;
    std::vector<PropertyInfo> m_properties;
};

// The root of every framework and program class that a design-time property
// list can reach.
class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    static const ClassInfo& StaticClassInfo();
    virtual const ClassInfo& GetClassInfo() const { return StaticClassInfo(); }

    // Called before and after a design-time list is applied to the object, so
    // that a class can do once what several of the list's properties would
    // each do again (the font of a control). The end is also called when a
    // property fails.
    virtual void _BeginProperties() {}
    virtual void _EndProperties() {}

    // Properties that are declared but have no effect on this platform.
    void SetStoredProperty(const std::string& name, PropertyValue value);
    const PropertyValue* StoredProperty(const std::string& name) const;

private:
    std::map<std::string, PropertyValue> m_stored;
};

// Declares the class-information members of a class derived from Object.
#define DECLARE_CLASS_INFO                                                   \
public:                                                                      \
    static const ClassInfo& StaticClassInfo();                               \
    const ClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

// Names of properties and menu items match without regard to ASCII letter
// case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Reads a property through the class information, for callers that know it
// only by name.
PropertyValue GetPropertyValue(const Object& target, std::string_view name);
