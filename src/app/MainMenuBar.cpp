#include "MainMenuBar.h"

#include "Strings.h"

#include "framework/AppleMenuItem.h"
#include "framework/Application.h"
#include "framework/QuitMenuItem.h"
#include "framework/RuntimeException.h"

namespace {
std::shared_ptr<MainMenuBar> g_implicitInstance;

// Attaches to the bar itself.
constexpr const char* kTopLevel = nullptr;
// A separator gets no shortcut at all, which is not the same as the empty one.
constexpr const char* kNoShortcut = nullptr;
} // namespace

const ClassInfo& MainMenuBar::StaticClassInfo()
{
    static const ClassInfo info("MainMenuBar", &MenuBar::StaticClassInfo(), {});
    return info;
}

MainMenuBar::MainMenuBar() = default;

void MainMenuBar::Constructor()
{
    FileMenu();
    EditMenu();
    HelpMenu();
}

// Every item is made the same way, one setting at a time, and attached
// before the next one is made, so the tree ends up in the order of creation.
template <class ItemClass>
void MainMenuBar::AddItem(const char* name, ItemText text, const char* shortcut, const char* menuName)
{
    auto item = std::make_shared<ItemClass>();
    item->SetName(name);
    item->SetAutoEnable(true);
    item->SetText(text.localised ? text.localised("") : std::string(text.fixed));
    item->SetVisible(true);
    if (shortcut != kNoShortcut)
        item->SetKeyboardShortcut(shortcut);
    if (menuName == kTopLevel) {
        Append(item);
        return;
    }
    // Looked up for every item rather than kept: the bar is the one owner.
    auto menu = Child(menuName);
    if (!menu)
        throw NilObjectException(std::string("The menu bar has no menu ") + menuName + ".");
    menu->Append(item);
}

void MainMenuBar::FileMenu()
{
    AddItem<MenuItem>("FileMenu", {.localised = Strings::File}, "", kTopLevel);
    AddItem<MenuItem>("FileOpen", {.localised = Strings::Open}, "Cmd+O", "FileMenu");
    AddItem<MenuItem>("UntitledSeparator", {.fixed = "-"}, kNoShortcut, "FileMenu");
    AddItem<QuitMenuItem>("FileQuit", {.fixed = "&Quit"}, "Cmd+Q", "FileMenu");
}

void MainMenuBar::EditMenu()
{
    AddItem<MenuItem>("EditMenu", {.localised = Strings::Edit}, "", kTopLevel);
    AddItem<MenuItem>("EditUndo", {.fixed = "&Undo"}, "Cmd+Z", "EditMenu");
    AddItem<MenuItem>("EditSeparator1", {.fixed = "-"}, kNoShortcut, "EditMenu");
    AddItem<MenuItem>("EditCut", {.fixed = "Cu&t"}, "Cmd+X", "EditMenu");
    AddItem<MenuItem>("EditCopy", {.fixed = "&Copy"}, "Cmd+C", "EditMenu");
    AddItem<MenuItem>("EditPaste", {.fixed = "&Paste"}, "Cmd+V", "EditMenu");
    AddItem<MenuItem>("EditClear", {.fixed = "&Delete"}, "", "EditMenu");
    AddItem<MenuItem>("EditSeparator2", {.fixed = "-"}, kNoShortcut, "EditMenu");
    AddItem<MenuItem>("EditSelectAll", {.fixed = "Select &All"}, "Cmd+A", "EditMenu");
}

void MainMenuBar::HelpMenu()
{
    AddItem<MenuItem>("HelpMenu", {.localised = Strings::Help}, "", kTopLevel);
    AddItem<MenuItem>("HelpSupport", {.localised = Strings::Support}, "", "HelpMenu");
    AddItem<MenuItem>("UntitledSeparator0", {.fixed = "-"}, kNoShortcut, "HelpMenu");
    AddItem<AppleMenuItem>("HelpAbout", {.localised = Strings::About}, "", "HelpMenu");
}

namespace implicit {
std::shared_ptr<::MainMenuBar> MainMenuBar()
{
    if (g_implicitInstance)
        return g_implicitInstance;
    auto bar = std::make_shared<::MainMenuBar>();
    bar->Constructor();
    // Kept only once complete: a bar that failed half way is dropped here.
    g_implicitInstance = bar;
    // Its menus are widgets: released at shut-down, before Qt goes.
    _RuntimeAddFinalizer([] { g_implicitInstance.reset(); });
    return bar;
}
} // namespace implicit
