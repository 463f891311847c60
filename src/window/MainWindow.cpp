#include "window/MainWindow.h"

#include "app/MainMenuBar.h"
#include "controls/qorActionBar.h"
#include "controls/qorStatusBar.h"
#include "framework/AppleMenuItem.h"
#include "framework/Canvas.h"
#include "framework/CheckBox.h"
#include "framework/DateControl.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/MenuBar.h"
#include "framework/MenuItem.h"
#include "framework/PropertyList.h"
#include "framework/PushButton.h"
#include "framework/QuitMenuItem.h"
#include "framework/RuntimeException.h"
#include "framework/TimeControl.h"

// `last` is not listed: no design-time list names it, and a FolderItem is no
// property value.
const ClassInfo& MainWindow::StaticClassInfo()
{
    static const ClassInfo info("MainWindow.MainWindow", &Window::StaticClassInfo(), {});
    return info;
}

MainWindow::MainWindow() = default;

MainWindow::~MainWindow()
{
    last.reset();
}

namespace implicit {
std::shared_ptr<::MainWindow> MainWindow()
{
    // The framework keeps the open window; a closed one is no longer found,
    // and the next call builds a fresh one.
    std::shared_ptr<Window> window = _GetImplicitWindow("MainWindow.MainWindow");
    if (!window) {
        auto created = std::make_shared<::MainWindow>();
        created->Constructor();
        window = created;
    }
    auto typed = std::dynamic_pointer_cast<::MainWindow>(window);
    if (!typed)
        throw NilObjectException("The implicit MainWindow is of another class.");
    return typed;
}
} // namespace implicit

// --- Construction hooks -------------------------------------------------------

void MainWindow::Layout()
{
    // Every window shows the application's one menu bar; the window's own
    // settings follow it.
    SetMenuBar(implicit::MainMenuBar());
    const PropertyList list = PropertyList()
                                  .Integer("Width", 385)
                                  .Integer("Height", 488)
                                  .Integer("MinWidth", 64)
                                  .Integer("MinHeight", 64)
                                  .Integer("MaxWidth", 32000)
                                  .Integer("MaxHeight", 32000)
                                  .Integer("Frame", 0)
                                  .String("Title", "Kestrune")
                                  .Boolean("CloseButton", true)
                                  .Boolean("Resizeable", false)
                                  .Boolean("MaximizeButton", false)
                                  .Boolean("MinimizeButton", false)
                                  .Boolean("FullScreenButton", false)
                                  .Boolean("Composite", true)
                                  .Integer("MacProcID", 0)
                                  .Integer("Placement", 0)
                                  .Boolean("Visible", true)
                                  .Boolean("LiveResize", true)
                                  .Boolean("FullScreen", false)
                                  .Boolean("HasBackColor", false)
                                  .ColorValue("BackColor", 0xFFFFFFu)
                                  .Boolean("MenuBarVisible", true);
    _SetProperties(*this, list.Bytes());
}

void MainWindow::CreateControls()
{
    _CreateControls0();
}

// --- Control accessors ----------------------------------------------------------

template <class T>
T& MainWindow::Control(const char* name) const
{
    // Looked up on every call: nothing is cached.
    return ControlCast<T>(_ControlByName(name));
}


Canvas& MainWindow::cvDropFile() const { return Control<Canvas>("cvDropFile"); }
Label& MainWindow::DropFileLabel() const { return Control<Label>("DropFileLabel"); }
Label& MainWindow::stFilename() const { return Control<Label>("stFilename"); }
Listbox& MainWindow::lbFileDetails() const { return Control<Listbox>("lbFileDetails"); }
Label& MainWindow::ChangeCreatedLabel() const { return Control<Label>("ChangeCreatedLabel"); }
Label& MainWindow::ChangeModifiedLabel() const { return Control<Label>("ChangeModifiedLabel"); }
DateControl& MainWindow::dcModifiedDate() const { return Control<DateControl>("dcModifiedDate"); }
TimeControl& MainWindow::tcModifiedTime() const { return Control<TimeControl>("tcModifiedTime"); }
DateControl& MainWindow::dcCreatedDate() const { return Control<DateControl>("dcCreatedDate"); }
TimeControl& MainWindow::tcCreatedTime() const { return Control<TimeControl>("tcCreatedTime"); }
CheckBox& MainWindow::ckCreated() const { return Control<CheckBox>("ckCreated"); }
qorStatusBar& MainWindow::qorStatusBar1() const { return Control<qorStatusBar>("qorStatusBar1"); }
PushButton& MainWindow::pbChange() const { return Control<PushButton>("pbChange"); }
qorActionBar& MainWindow::qorActionBar1() const { return Control<qorActionBar>("qorActionBar1"); }
CheckBox& MainWindow::ckModified() const { return Control<CheckBox>("ckModified"); }
Label& MainWindow::stCreatedReload() const { return Control<Label>("stCreatedReload"); }
Label& MainWindow::stModifiedReload() const { return Control<Label>("stModifiedReload"); }

// --- Menu-item accessors --------------------------------------------------------

template <class T>
std::shared_ptr<T> MainWindow::Item(const char* name) const
{
    const std::shared_ptr<::MenuBar> bar = MenuBar();
    if (!bar)
        throw NilObjectException("The window has no menu bar.");
    return std::dynamic_pointer_cast<T>(bar->_Lookup(name));
}


std::shared_ptr<MenuItem> MainWindow::HelpMenu() const { return Item<MenuItem>("HelpMenu"); }
std::shared_ptr<AppleMenuItem> MainWindow::HelpAbout() const { return Item<AppleMenuItem>("HelpAbout"); }
std::shared_ptr<MenuItem> MainWindow::UntitledSeparator0() const { return Item<MenuItem>("UntitledSeparator0"); }
std::shared_ptr<MenuItem> MainWindow::HelpSupport() const { return Item<MenuItem>("HelpSupport"); }
std::shared_ptr<MenuItem> MainWindow::EditMenu() const { return Item<MenuItem>("EditMenu"); }
std::shared_ptr<MenuItem> MainWindow::EditSelectAll() const { return Item<MenuItem>("EditSelectAll"); }
std::shared_ptr<MenuItem> MainWindow::EditSeparator2() const { return Item<MenuItem>("EditSeparator2"); }
std::shared_ptr<MenuItem> MainWindow::EditClear() const { return Item<MenuItem>("EditClear"); }
std::shared_ptr<MenuItem> MainWindow::EditPaste() const { return Item<MenuItem>("EditPaste"); }
std::shared_ptr<MenuItem> MainWindow::EditCopy() const { return Item<MenuItem>("EditCopy"); }
std::shared_ptr<MenuItem> MainWindow::EditCut() const { return Item<MenuItem>("EditCut"); }
std::shared_ptr<MenuItem> MainWindow::EditSeparator1() const { return Item<MenuItem>("EditSeparator1"); }
std::shared_ptr<MenuItem> MainWindow::EditUndo() const { return Item<MenuItem>("EditUndo"); }
std::shared_ptr<MenuItem> MainWindow::FileMenu() const { return Item<MenuItem>("FileMenu"); }
std::shared_ptr<QuitMenuItem> MainWindow::FileQuit() const { return Item<QuitMenuItem>("FileQuit"); }
std::shared_ptr<MenuItem> MainWindow::UntitledSeparator() const { return Item<MenuItem>("UntitledSeparator"); }
std::shared_ptr<MenuItem> MainWindow::FileOpen() const { return Item<MenuItem>("FileOpen"); }
