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

// --- The lists of the controls that have a shape of their own -------------------

// The drop zone, one pixel beyond the window at the left, top and right.
PropertyList DropZoneList(std::string_view name)
{
    return Opening(name, {-1, -1, 387, 319}, LockL | LockT | LockR, 0)
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
        .String("InitialParent", "");
}

// The item's details: a borderless two-column list whose 16-pixel rows show
// all five rows without scrolling.
PropertyList DetailsList(std::string_view name)
{
    return Opening(name, {3, 219, 379, 90}, LockL | LockR | LockB, 10)
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
        .String("InitialParent", "cvDropFile");
}

// The status bar, one pixel beyond the window at the left, right and bottom;
// it holds the Change button and shows no caption.
PropertyList StatusBarList(std::string_view name)
{
    PropertyList list = BarOpening(name, {-1, 446, 387, 43}, LockL | LockR | LockB, 9, false);
    list.Boolean("Border", true)
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
    return BarClosing(list);
}

// Change: the window's default button, off until a row is ticked.
PropertyList ChangeButtonList(std::string_view name)
{
    return Opening(name, {240, 457, 126, 20}, LockT | LockR, 0)
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
        .String("InitialParent", "qorStatusBar1");
}

// "+" and "-" under the drop zone; "A" stays off and unbound.
PropertyList ActionBarList(std::string_view name)
{
    PropertyList list = BarOpening(name, {-1, 317, 387, 22}, LockL | LockT | LockR, 10, true);
    list.Boolean("Border", true)
        .ColorValue("BorderColor", 0xA5A5A5u)
        .ColorValue("StartColor", 0xFAFAFAu)
        .ColorValue("EndColor", 0xEFEFEFu)
        .ColorValue("DrawColor", 0x000000u)
        .Enum("Style", std::int64_t(qorActionBar::Schema::Solid))
        .Boolean("HasAddButton", true)
        .Boolean("HasRemoveButton", true)
        .Boolean("HasActionButton", false);
    return BarClosing(list);
}

// --- The control table ------------------------------------------------------------

// A window handler as the handler of a control's event.
template <class Sender, class Result, class... Args>
auto Handler(MainWindow& window, Result (MainWindow::*handler)(Sender&, Args...))
{
    return [&window, handler](Sender& sender, Args... args) { return (window.*handler)(sender, args...); };
}

// The class a pointer to member belongs to.
template <class>
struct MemberOf;
template <class Class, class Member>
struct MemberOf<Member Class::*> {
    using type = Class;
};
template <auto member>
using ClassOf = typename MemberOf<decltype(member)>::type;

// Binds the window's handler to one event of the control.
template <auto event, auto handler>
void On(MainWindow& window, RectControl& control)
{
    (ControlCast<ClassOf<event>>(&control).*event).Bind(Handler(window, handler));
}

// Sets the control's text to a localised caption.
template <auto setter, std::string (*text)(const std::string& language)>
void Caption(RectControl& control)
{
    (ControlCast<ClassOf<setter>>(&control).*setter)(text(""));
}

// How the window makes one control: its class, its localised caption (set
// before the list; none where the list or nothing gives the text), its
// design-time list, and the window's handlers for its events.
struct ControlRow {
    const char* name;
    std::unique_ptr<RectControl> (*make)();
    void (*caption)(RectControl& control);
    PropertyList (*list)(std::string_view name);
    void (*bind)(MainWindow& window, RectControl& control);
};

template <class T>
std::unique_ptr<RectControl> Make()
{
    return std::make_unique<T>();
}

// The seventeen controls in the order they are made: each container comes
// before the controls inside it (cvDropFile before the prompt, the two
// labels and the details list; the status bar before Change).
const ControlRow kControls[] = {
    {"cvDropFile", Make<Canvas>, nullptr, DropZoneList,
     On<&Canvas::Paint, &MainWindow::cvDropFile_Paint>},
    // The prompt, centred on the window.
    {"DropFileLabel", Make<Label>, Caption<&Label::SetText, Strings::DropFile>,
     [](std::string_view name) {
         return LabelList(name, {68, 96, 249, 30}, LockL | LockT | LockR, 0,
                          {nullptr, 1, 0xB3B3B3, 20, true, true, true, "cvDropFile"});
     },
     nullptr},
    // Never shown.
    {"stFilename", Make<Label>, nullptr,
     [](std::string_view name) {
         return LabelList(name, {86, 173, 213, 30}, LockL | LockT | LockR, 1,
                          {"Filename", 1, 0x4C4C4C, 16, true, true, false, "cvDropFile"});
     },
     nullptr},
    {"lbFileDetails", Make<Listbox>, nullptr, DetailsList,
     On<&Listbox::Open, &MainWindow::lbFileDetails_Open>},
    // The row captions, right-aligned against the pickers.
    {"ChangeCreatedLabel", Make<Label>, Caption<&Label::SetText, Strings::Created>,
     [](std::string_view name) {
         return LabelList(name, {36, 368, 75, 20}, LockL | LockT, 1, {nullptr, 2, 0x000000, 0, false, true, true, ""});
     },
     nullptr},
    {"ChangeModifiedLabel", Make<Label>, Caption<&Label::SetText, Strings::Modified>,
     [](std::string_view name) {
         return LabelList(name, {36, 403, 75, 20}, LockL | LockT, 2, {nullptr, 2, 0x000000, 0, false, true, true, ""});
     },
     nullptr},
    // The pickers, disabled until an item is loaded.
    {"dcModifiedDate", Make<DateControl>, nullptr,
     [](std::string_view name) { return DatePickerList(name, {121, 403, 115, 23}, LockL | LockT, 7); },
     On<&DateControl::ValueChanged, &MainWindow::dcModifiedDate_ValueChanged>},
    {"tcModifiedTime", Make<TimeControl>, nullptr,
     [](std::string_view name) { return TimePickerList(name, {243, 403, 107, 23}, LockL | LockT | LockR, 8); },
     On<&TimeControl::ValueChanged, &MainWindow::tcModifiedTime_ValueChanged>},
    {"dcCreatedDate", Make<DateControl>, nullptr,
     [](std::string_view name) { return DatePickerList(name, {121, 368, 115, 23}, LockL | LockT, 4); },
     On<&DateControl::ValueChanged, &MainWindow::dcCreatedDate_ValueChanged>},
    {"tcCreatedTime", Make<TimeControl>, nullptr,
     [](std::string_view name) { return TimePickerList(name, {243, 368, 107, 23}, LockL | LockT | LockR, 5); },
     On<&TimeControl::ValueChanged, &MainWindow::tcCreatedTime_ValueChanged>},
    {"ckCreated", Make<CheckBox>, nullptr,
     [](std::string_view name) { return CheckBoxList(name, {20, 367, 23, 23}, LockL | LockT, 3); },
     On<&CheckBox::Action, &MainWindow::ckCreated_Action>},
    {"qorStatusBar1", Make<qorStatusBar>, nullptr, StatusBarList, nullptr},
    {"pbChange", Make<PushButton>, Caption<&PushButton::SetCaption, Strings::Change>,
     ChangeButtonList,
     On<&PushButton::Action, &MainWindow::pbChange_Action>},
    {"qorActionBar1", Make<qorActionBar>, nullptr, ActionBarList,
     [](MainWindow& w, RectControl& c) {
         On<&qorActionBar::AddButtonClick, &MainWindow::qorActionBar1_AddButtonClick>(w, c);
         On<&qorActionBar::RemoveButtonClick, &MainWindow::qorActionBar1_RemoveButtonClick>(w, c);
     }},
    {"ckModified", Make<CheckBox>, nullptr,
     [](std::string_view name) { return CheckBoxList(name, {20, 404, 23, 20}, LockL | LockT, 6); },
     On<&CheckBox::Action, &MainWindow::ckModified_Action>},
    // The reload arrows, live only while their row holds an item's date.
    {"stCreatedReload", Make<Label>, nullptr,
     [](std::string_view name) {
         return LabelList(name, {355, 371, 18, 20}, LockT | LockR, 11,
                          {kReloadText.data(), 0, 0x666666, 0, false, false, true, ""});
     },
     On<&Label::MouseDown, &MainWindow::stCreatedReload_MouseDown>},
    {"stModifiedReload", Make<Label>, nullptr,
     [](std::string_view name) {
         return LabelList(name, {355, 406, 18, 20}, LockT | LockR, 12,
                          {kReloadText.data(), 0, 0x666666, 0, false, false, true, ""});
     },
     On<&Label::MouseDown, &MainWindow::stModifiedReload_MouseDown>},
};

} // namespace

void MainWindow::_CreateControls0()
{
    // Each control is finished before the next one is made. Every step after
    // registration finds the control again by its name.
    for (const ControlRow& row : kControls) {
        _AddControl(row.name, row.make());
        if (row.caption)
            row.caption(*_ControlByName(row.name));
        _SetProperties(*_ControlByName(row.name), row.list(row.name).Bytes());
        if (row.bind)
            row.bind(*this, *_ControlByName(row.name));
    }
}

void MainWindow::lbFileDetails_Open(Listbox& sender)
{
    // The bold row captions read best flush against their values.
    sender.SetColumnAlignment(0, 3);
}
