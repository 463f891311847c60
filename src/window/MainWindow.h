#pragma once

#include "framework/Date.h"
#include "framework/FolderItem.h"
#include "framework/Rect.h"
#include "framework/Window.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AppleMenuItem;
class Canvas;
class CheckBox;
class DateControl;
class DragItem;
class Graphics;
class Label;
class Listbox;
class MenuItem;
class PushButton;
class QuitMenuItem;
class TimeControl;
class qorActionBar;
class qorStatusBar;

// What loading put into a date row: the item's date-time, to the
// nanosecond, and the year, month, day, hour, minute and second that the
// row's pickers then showed of it.
struct LoadedDateRow {
    std::optional<Date> date;
    std::array<std::int64_t, 6> shown{};
};

// The program's one window: a drop zone with the item's details, a creation
// row and a modification row (check box, date and time pickers, reload
// arrow), the Change button on the status bar and the "+"/"-" action bar.
class MainWindow : public Window {
    DECLARE_CLASS_INFO

public:
    MainWindow();
    ~MainWindow() override;

    // The item shown, or none.
    std::shared_ptr<FolderItem> last;

    // Construction hooks, raised while the window is built.
    void Layout() override;
    void CreateControls() override;
    void _CreateControls0();

    // Control accessors: each looks its control up by name.
    Canvas& cvDropFile() const;
    Label& DropFileLabel() const;
    Label& stFilename() const;
    Listbox& lbFileDetails() const;
    Label& ChangeCreatedLabel() const;
    Label& ChangeModifiedLabel() const;
    DateControl& dcModifiedDate() const;
    TimeControl& tcModifiedTime() const;
    DateControl& dcCreatedDate() const;
    TimeControl& tcCreatedTime() const;
    CheckBox& ckCreated() const;
    qorStatusBar& qorStatusBar1() const;
    PushButton& pbChange() const;
    qorActionBar& qorActionBar1() const;
    CheckBox& ckModified() const;
    Label& stCreatedReload() const;
    Label& stModifiedReload() const;

    // Control event handlers.
    void cvDropFile_Paint(Canvas& sender, Graphics& g, const std::vector<Rect>& areas);
    void lbFileDetails_Open(Listbox& sender);
    void dcModifiedDate_ValueChanged(DateControl& sender);
    void tcModifiedTime_ValueChanged(TimeControl& sender);
    void dcCreatedDate_ValueChanged(DateControl& sender);
    void tcCreatedTime_ValueChanged(TimeControl& sender);
    void ckCreated_Action(CheckBox& sender);
    void pbChange_Action(PushButton& sender);
    void qorActionBar1_AddButtonClick(qorActionBar& sender);
    void qorActionBar1_RemoveButtonClick(qorActionBar& sender);
    void ckModified_Action(CheckBox& sender);
    bool stCreatedReload_MouseDown(Label& sender, std::int64_t x, std::int64_t y);
    bool stModifiedReload_MouseDown(Label& sender, std::int64_t x, std::int64_t y);

    // Menu-item accessors: each finds its item by name on the menu bar.
    std::shared_ptr<MenuItem> HelpMenu() const;
    std::shared_ptr<AppleMenuItem> HelpAbout() const;
    std::shared_ptr<MenuItem> UntitledSeparator0() const;
    std::shared_ptr<MenuItem> HelpSupport() const;
    std::shared_ptr<MenuItem> EditMenu() const;
    std::shared_ptr<MenuItem> EditSelectAll() const;
    std::shared_ptr<MenuItem> EditSeparator2() const;
    std::shared_ptr<MenuItem> EditClear() const;
    std::shared_ptr<MenuItem> EditPaste() const;
    std::shared_ptr<MenuItem> EditCopy() const;
    std::shared_ptr<MenuItem> EditCut() const;
    std::shared_ptr<MenuItem> EditSeparator1() const;
    std::shared_ptr<MenuItem> EditUndo() const;
    std::shared_ptr<MenuItem> FileMenu() const;
    std::shared_ptr<QuitMenuItem> FileQuit() const;
    std::shared_ptr<MenuItem> UntitledSeparator() const;
    std::shared_ptr<MenuItem> FileOpen() const;

    // Window events.
    void Event_DropObject(DragItem& item, std::int64_t action) override;
    void Event_Open() override;

    // Loading an item.
    std::string formatDate(const std::optional<Date>& date) const;
    std::string getFileSize(const std::shared_ptr<FolderItem>& item) const;
    void run(std::shared_ptr<FolderItem> item);

private:
    template <class T>
    T& Control(const char* name) const;
    template <class T>
    std::shared_ptr<T> Item(const char* name) const;

    // Shows a date-time of the item in a row's pickers and remembers it;
    // false when the date picker cannot hold its date, so that the row is
    // not to be edited.
    bool ShowLoaded(const std::optional<Date>& date, DateControl& datePicker, TimeControl& timePicker,
                    LoadedDateRow& loaded);
    bool ReloadRow(Label& sender, std::optional<Date> (FolderItem::*read)() const, DateControl& datePicker,
                   TimeControl& timePicker, CheckBox& box, LoadedDateRow& loaded);

    LoadedDateRow m_loadedCreation;
    LoadedDateRow m_loadedModification;
};

namespace implicit {
// The one main window: the open one, or a new one when none is open.
std::shared_ptr<::MainWindow> MainWindow();
} // namespace implicit
