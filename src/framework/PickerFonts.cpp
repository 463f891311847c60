#include "PickerFonts.h"

#include "RectControl.h"

std::vector<PropertyInfo> PickerFontProperties()
{
    std::vector<PropertyInfo> properties{
        MakeStored("MacTextFont", PropertyType::String),
        MakeStored("MacTextSize", PropertyType::Single),
        MakeStored("MacFontBold", PropertyType::Boolean),
        MakeStored("WinTextFont", PropertyType::String),
        MakeStored("WinTextSize", PropertyType::Single),
        MakeStored("WinTextUnit", PropertyType::Integer),
        MakeStored("WinFontBold", PropertyType::Boolean),
    };
    for (PropertyInfo& font : RectControl::FontPropertiesNamed("LinuxTextFont", "LinuxTextSize", "LinuxTextUnit",
                                                               PropertyType::Integer, "LinuxFontBold"))
        properties.push_back(std::move(font));
    return properties;
}
