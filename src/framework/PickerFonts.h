#pragma once

#include "Property.h"

#include <vector>

// The font properties of the date and time pickers, in their stored order:
// first the font settings of the other desktops, which a picker keeps unused
// (MacTextFont, MacTextSize, MacFontBold, WinTextFont, WinTextSize,
// WinTextUnit as a 64-bit integer, WinFontBold), then the picker's own font
// (LinuxTextFont, LinuxTextSize, LinuxTextUnit, LinuxFontBold), whose unit
// also takes eight bytes, unlike a control's TextUnit.
std::vector<PropertyInfo> PickerFontProperties();
