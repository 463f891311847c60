// The main window's seventeen controls: each is made, registered, given its
// caption where it has a localised one, configured from its design-time list
// and only then bound to the window's handlers, so that nothing a list sets
// reaches a handler.
#include "window/MainWindow.h"

#include "app/Strings.h"
#include "controls/qorActionBar.h"
#include "controls/qorStatusBar.h"
#include "framework/Canvas.h"
#include "framework/CheckBox.h"
#include "framework/DateControl.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/PropertyList.h"
#include "framework/PushButton.h"
#include "framework/TimeControl.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace {

struct Place {
    std::int64_t left, top, width, height;
};

// Edge locks, combined with |.
enum Lock : unsigned { LockL = 1, LockT = 2, LockR = 4, LockB = 8 };

// The entries that open every control's list. Index -2147483648 says the
// control is not one of an indexed group.
PropertyList Opening(std::string_view name, Place place, unsigned locks, std::int64_t tabIndex)
{
    return PropertyList()
        .String("Name", name)
        .Integer("Index", -2147483648LL)
        .Integer("Left", place.left)
        .Integer("Top", place.top)
        .Integer("Width", place.width)
        .Integer("Height", place.height)
        .Boolean("LockLeft", (locks & LockL) != 0)
        .Boolean("LockTop", (locks & LockT) != 0)
        .Boolean("LockRight", (locks & LockR) != 0)
        .Boolean("LockBottom", (locks & LockB) != 0)
        .Integer("TabPanelIndex", 0)
        .Integer("TabIndex", tabIndex);
}

// The arrow of the reload labels, then its name, which the 18-pixel label
// cuts off. 36 characters, 38 bytes.
constexpr std::string_view kReloadText = "\xE2\x9F\xB2"
                                         "\r"
                                         "ANTICLOCKWISE GAPPED CIRCLE ARROW"
                                         "\r";

// What sets one label apart from the others; all six lists have one shape.
struct LabelLook {
    const char* text; // nullptr: the caption is set before the list
    std::int64_t align; // 0 left, 1 centred, 2 right
    std::uint32_t color;
    float textSize;
    bool bold;
    bool enabled;
    bool visible;
    const char* parent;
};

PropertyList LabelList(std::string_view name, Place place, unsigned locks, std::int64_t tabIndex,
                       const LabelLook& look)
{
    PropertyList list = Opening(name, place, locks, tabIndex);
    if (look.text)
        list.String("Text", look.text);
    list.Integer("TextAlign", look.align)
        .ColorValue("TextColor", look.color)
        .Boolean("Multiline", false)
        .Boolean("Enabled", look.enabled)
        .Boolean("Visible", look.visible)
        .Boolean("Selectable", false)
        .Boolean("Transparent", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .String("TextFont", "System")
        .Single("TextSize", look.textSize)
        .FontUnit("TextUnit", 0)
        .Boolean("Bold", look.bold)
        .Boolean("Italic", false)
        .Boolean("Underline", false)
        .String("DataSource", "")
        .String("DataField", "")
        .String("InitialParent", look.parent);
    return list;
}

// The pickers' font settings for each desktop. The units are 64-bit integers
// here, unlike a framework control's one-byte TextUnit.
PropertyList& PickerFonts(PropertyList& list)
{
    return list.String("MacTextFont", "System")
        .Single("MacTextSize", 0)
        .Boolean("MacFontBold", false)
        .String("WinTextFont", "System")
        .Single("WinTextSize", 0)
        .Integer("WinTextUnit", 0)
        .Boolean("WinFontBold", false)
        .String("LinuxTextFont", "System")
        .Single("LinuxTextSize", 0)
        .Integer("LinuxTextUnit", 0)
        .Boolean("LinuxFontBold", false);
}

// Both date pickers start disabled, showing 2017 until an item is loaded.
PropertyList DatePickerList(std::string_view name, Place place, unsigned locks, std::int64_t tabIndex)
{
    PropertyList list = Opening(name, place, locks, tabIndex);
    list.Boolean("TabStop", true)
        .String("InitialParent", "")
        .Boolean("Visible", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .Boolean("Enabled", false)
        .Integer("Year", 2017)
        .Integer("Month", 0)
        .Integer("Day", 0);
    PickerFonts(list)
        .Integer("DateFormat", 4)
        .Boolean("EmptyDates", false)
        .Boolean("Checked", false)
        .Boolean("OSXDropDownMode", true)
        .Boolean("LinuxDropDownMode", true);
    return list;
}

PropertyList TimePickerList(std::string_view name, Place place, unsigned locks, std::int64_t tabIndex)
{
    PropertyList list = Opening(name, place, locks, tabIndex);
    list.Boolean("TabStop", true)
        .String("InitialParent", "")
        .Boolean("Visible", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .Boolean("Enabled", false)
        .Integer("Hours", 0)
        .Integer("Minutes", 0)
        .Integer("Seconds", 0)
        .Boolean("ShowSeconds", true);
    PickerFonts(list).Integer("TimeFormat", 0);
    return list;
}

// The row check boxes carry no caption: the row label stands to their right.
PropertyList CheckBoxList(std::string_view name, Place place, unsigned locks, std::int64_t tabIndex)
{
    return Opening(name, place, locks, tabIndex)
        .Boolean("TabStop", true)
        .String("Caption", "")
        .Boolean("Enabled", false)
        .Boolean("Visible", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .String("TextFont", "System")
        .Single("TextSize", 0)
        .FontUnit("TextUnit", 0)
        .Boolean("Bold", false)
        .Boolean("Italic", false)
        .Boolean("Underline", false)
        .Enum("State", CheckBox::Unchecked)
        .Boolean("Value", false)
        .String("DataSource", "")
        .String("DataField", "")
        .String("InitialParent", "");
}

// The entries both bars' lists open and close with, around their own
// settings.
PropertyList BarOpening(std::string_view name, Place place, unsigned locks, std::int64_t tabIndex,
                        bool useFocusRing)
{
    PropertyList list = Opening(name, place, locks, tabIndex);
    list.Boolean("TabStop", true)
        .String("InitialParent", "")
        .Boolean("Visible", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .Boolean("Enabled", true)
        .Boolean("UseFocusRing", useFocusRing);
    return list;
}

PropertyList& BarClosing(PropertyList& list)
{
    return list.Boolean("AcceptFocus", false)
        .Boolean("AcceptTabs", false)
        .Boolean("DoubleBuffer", false)
        .Boolean("EraseBackground", true)
        .Boolean("Transparent", true);
}

} // namespace

void MainWindow::_CreateControls0()
{
    // Each control is finished before the next one is made, so a container
    // exists before the controls inside it. Every step finds the control
    // again by name through its accessor.

    // The drop zone, one pixel beyond the window at the left, top and right.
    _AddControl("cvDropFile", std::make_unique<Canvas>());
    _SetProperties(cvDropFile(), Opening("cvDropFile", {-1, -1, 387, 319}, LockL | LockT | LockR, 0)
                                     .Boolean("TabStop", true)
                                     .Boolean("Visible", true)
                                     .String("HelpTag", "")
                                     .Boolean("AutoDeactivate", true)
                                     .Boolean("Enabled", true)
                                     .Boolean("UseFocusRing", true)
                                     .Boolean("AcceptFocus", false)
                                     .Boolean("AcceptTabs", false)
                                     .Boolean("DoubleBuffer", true)
                                     .Boolean("EraseBackground", true)
                                     .Boolean("Transparent", true)
                                     .String("InitialParent", "")
                                     .Bytes());
    cvDropFile().Paint.Bind([this](Canvas& sender, Graphics& g, const std::vector<Rect>& areas) {
        cvDropFile_Paint(sender, g, areas);
    });

    // The prompt, centred on the window.
    _AddControl("DropFileLabel", std::make_unique<Label>());
    DropFileLabel().SetText(Strings::DropFile(""));
    _SetProperties(DropFileLabel(), LabelList("DropFileLabel", {68, 96, 249, 30}, LockL | LockT | LockR, 0,
                                              {nullptr, 1, 0xB3B3B3, 20, true, true, true, "cvDropFile"})
                                        .Bytes());

    // Never shown.
    _AddControl("stFilename", std::make_unique<Label>());
    _SetProperties(stFilename(), LabelList("stFilename", {86, 173, 213, 30}, LockL | LockT | LockR, 1,
                                           {"Filename", 1, 0x4C4C4C, 16, true, true, false, "cvDropFile"})
                                     .Bytes());

    // The item's details: a borderless two-column list whose 16-pixel rows
    // show all five rows without scrolling.
    _AddControl("lbFileDetails", std::make_unique<Listbox>());
    _SetProperties(lbFileDetails(), Opening("lbFileDetails", {3, 219, 379, 90}, LockL | LockR | LockB, 10)
                                        .Boolean("TabStop", true)
                                        .Boolean("Visible", true)
                                        .String("HelpTag", "")
                                        .Boolean("AutoDeactivate", true)
                                        .Boolean("Enabled", true)
                                        .Boolean("Border", false)
                                        .Integer("ColumnCount", 2)
                                        .String("ColumnWidths", "100")
                                        .Boolean("HasHeading", false)
                                        .Boolean("UseFocusRing", false)
                                        .String("InitialValue", "")
                                        .Integer("HeadingIndex", -1)
                                        .Boolean("ScrollbarHorizontal", false)
                                        .Boolean("ScrollBarVertical", true)
                                        .Integer("GridLinesHorizontal", 1)
                                        .Integer("GridLinesVertical", 1)
                                        .Integer("DefaultRowHeight", 16)
                                        .Integer("_ScrollWidth", -1)
                                        .Integer("_ScrollOffset", 0)
                                        .String("TextFont", "System")
                                        .Single("TextSize", 11)
                                        .FontUnit("TextUnit", 0)
                                        .Boolean("Bold", false)
                                        .Boolean("Italic", false)
                                        .Boolean("Underline", false)
                                        .Boolean("Hierarchical", false)
                                        .Boolean("EnableDrag", false)
                                        .Boolean("EnableDragReorder", false)
                                        .Boolean("RequiresSelection", false)
                                        .Integer("SelectionType", 0)
                                        .Boolean("ColumnsResizable", false)
                                        .Boolean("AutoHideScrollbars", true)
                                        .String("DataSource", "")
                                        .String("DataField", "")
                                        .String("InitialParent", "cvDropFile")
                                        .Bytes());
    lbFileDetails().Open.Bind([this](Listbox& sender) { lbFileDetails_Open(sender); });

    // The row captions, right-aligned against the pickers.
    _AddControl("ChangeCreatedLabel", std::make_unique<Label>());
    ChangeCreatedLabel().SetText(Strings::Created(""));
    _SetProperties(ChangeCreatedLabel(), LabelList("ChangeCreatedLabel", {36, 368, 75, 20}, LockL | LockT, 1,
                                                   {nullptr, 2, 0x000000, 0, false, true, true, ""})
                                             .Bytes());

    _AddControl("ChangeModifiedLabel", std::make_unique<Label>());
    ChangeModifiedLabel().SetText(Strings::Modified(""));
    _SetProperties(ChangeModifiedLabel(), LabelList("ChangeModifiedLabel", {36, 403, 75, 20}, LockL | LockT, 2,
                                                    {nullptr, 2, 0x000000, 0, false, true, true, ""})
                                              .Bytes());

    // The pickers, disabled until an item is loaded.
    _AddControl("dcModifiedDate", std::make_unique<DateControl>());
    _SetProperties(dcModifiedDate(), DatePickerList("dcModifiedDate", {121, 403, 115, 23}, LockL | LockT, 7).Bytes());
    dcModifiedDate().ValueChanged.Bind([this](DateControl& sender) { dcModifiedDate_ValueChanged(sender); });

    _AddControl("tcModifiedTime", std::make_unique<TimeControl>());
    _SetProperties(tcModifiedTime(),
                   TimePickerList("tcModifiedTime", {243, 403, 107, 23}, LockL | LockT | LockR, 8).Bytes());
    tcModifiedTime().ValueChanged.Bind([this](TimeControl& sender) { tcModifiedTime_ValueChanged(sender); });

    _AddControl("dcCreatedDate", std::make_unique<DateControl>());
    _SetProperties(dcCreatedDate(), DatePickerList("dcCreatedDate", {121, 368, 115, 23}, LockL | LockT, 4).Bytes());
    dcCreatedDate().ValueChanged.Bind([this](DateControl& sender) { dcCreatedDate_ValueChanged(sender); });

    _AddControl("tcCreatedTime", std::make_unique<TimeControl>());
    _SetProperties(tcCreatedTime(),
                   TimePickerList("tcCreatedTime", {243, 368, 107, 23}, LockL | LockT | LockR, 5).Bytes());
    tcCreatedTime().ValueChanged.Bind([this](TimeControl& sender) { tcCreatedTime_ValueChanged(sender); });

    _AddControl("ckCreated", std::make_unique<CheckBox>());
    _SetProperties(ckCreated(), CheckBoxList("ckCreated", {20, 367, 23, 23}, LockL | LockT, 3).Bytes());
    ckCreated().Action.Bind([this](CheckBox& sender) { ckCreated_Action(sender); });

    // The status bar, one pixel beyond the window at the left, right and
    // bottom; it holds the Change button and shows no caption.
    _AddControl("qorStatusBar1", std::make_unique<qorStatusBar>());
    PropertyList statusBar = BarOpening("qorStatusBar1", {-1, 446, 387, 43}, LockL | LockR | LockB, 9, false);
    statusBar.Boolean("Border", true)
        .ColorValue("BorderColor", 0xA5A5A5u)
        .ColorValue("StartColor", 0xFAFAFAu)
        .ColorValue("EndColor", 0xB3B3B3u)
        .Enum("Style", std::int64_t(qorStatusBar::Schema::Gradient))
        .ColorValue("TextColor", 0x000000u)
        .String("CenterCaption", "")
        .String("LeftCaption", "")
        .String("RightCaption", "")
        .Integer("MarginLeft", 20)
        .Integer("MarginRight", 0);
    _SetProperties(qorStatusBar1(), BarClosing(statusBar).Bytes());

    // Change: the window's default button, off until a row is ticked.
    _AddControl("pbChange", std::make_unique<PushButton>());
    pbChange().SetCaption(Strings::Change(""));
    _SetProperties(pbChange(), Opening("pbChange", {240, 457, 126, 20}, LockT | LockR, 0)
                                   .Boolean("TabStop", true)
                                   .Boolean("Default", true)
                                   .Boolean("Cancel", false)
                                   .Boolean("Enabled", false)
                                   .Boolean("Visible", true)
                                   .String("HelpTag", "")
                                   .Boolean("AutoDeactivate", true)
                                   .Enum("ButtonStyle", 0)
                                   .String("TextFont", "System")
                                   .Single("TextSize", 0)
                                   .FontUnit("TextUnit", 0)
                                   .Boolean("Bold", false)
                                   .Boolean("Italic", false)
                                   .Boolean("Underline", false)
                                   .String("InitialParent", "qorStatusBar1")
                                   .Bytes());
    pbChange().Action.Bind([this](PushButton& sender) { pbChange_Action(sender); });

    // "+" and "-" under the drop zone; "A" stays off and unbound.
    _AddControl("qorActionBar1", std::make_unique<qorActionBar>());
    PropertyList actionBar = BarOpening("qorActionBar1", {-1, 317, 387, 22}, LockL | LockT | LockR, 10, true);
    actionBar.Boolean("Border", true)
        .ColorValue("BorderColor", 0xA5A5A5u)
        .ColorValue("StartColor", 0xFAFAFAu)
        .ColorValue("EndColor", 0xEFEFEFu)
        .ColorValue("DrawColor", 0x000000u)
        .Enum("Style", std::int64_t(qorActionBar::Schema::Solid))
        .Boolean("HasAddButton", true)
        .Boolean("HasRemoveButton", true)
        .Boolean("HasActionButton", false);
    _SetProperties(qorActionBar1(), BarClosing(actionBar).Bytes());
    qorActionBar1().AddButtonClick.Bind([this](qorActionBar& sender) { qorActionBar1_AddButtonClick(sender); });
    qorActionBar1().RemoveButtonClick.Bind(
        [this](qorActionBar& sender) { qorActionBar1_RemoveButtonClick(sender); });

    _AddControl("ckModified", std::make_unique<CheckBox>());
    _SetProperties(ckModified(), CheckBoxList("ckModified", {20, 404, 23, 20}, LockL | LockT, 6).Bytes());
    ckModified().Action.Bind([this](CheckBox& sender) { ckModified_Action(sender); });

    // The reload arrows, live only while their row holds an item's date.
    _AddControl("stCreatedReload", std::make_unique<Label>());
    _SetProperties(stCreatedReload(), LabelList("stCreatedReload", {355, 371, 18, 20}, LockT | LockR, 11,
                                                {kReloadText.data(), 0, 0x666666, 0, false, false, true, ""})
                                          .Bytes());
    stCreatedReload().MouseDown.Bind([this](Label& sender, std::int64_t x, std::int64_t y) {
        return stCreatedReload_MouseDown(sender, x, y);
    });

    _AddControl("stModifiedReload", std::make_unique<Label>());
    _SetProperties(stModifiedReload(), LabelList("stModifiedReload", {355, 406, 18, 20}, LockT | LockR, 12,
                                                 {kReloadText.data(), 0, 0x666666, 0, false, false, true, ""})
                                           .Bytes());
    stModifiedReload().MouseDown.Bind([this](Label& sender, std::int64_t x, std::int64_t y) {
        return stModifiedReload_MouseDown(sender, x, y);
    });
}

void MainWindow::lbFileDetails_Open(Listbox& sender)
{
    // The bold row captions read best flush against their values.
    sender.SetColumnAlignment(0, 3);
}
