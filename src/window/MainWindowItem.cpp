// Loading an item into the main window: the window's Open and DropObject
// events, run, and the texts of the details list.
#include "MainWindow.h"

#include "app/App.h"
#include "app/FileTypes1.h"
#include "app/Strings.h"

#include "framework/CheckBox.h"
#include "framework/DateControl.h"
#include "framework/DragItem.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/PushButton.h"
#include "framework/RuntimeException.h"
#include "framework/Text.h"
#include "framework/TimeControl.h"

namespace {

// A file type slot is empty only when start-up has not created the types.
std::string FileTypeName(const std::shared_ptr<FileType>& type)
{
    if (!type)
        throw NilObjectException("The file type has not been created.");
    return type->ToText();
}

} // namespace

void MainWindow::Event_Open()
{
    // The frame is remembered under the executable's file name, so every
    // copy of the program installed under the same name opens where the user
    // left it.
    App* app = implicit::App();
    if (!app)
        throw NilObjectException("The application object is not registered.");
    const std::shared_ptr<FolderItem> executable = app->ExecutableFile();
    if (!executable)
        throw NilObjectException("The program's executable is unknown.");
    SetFrameAutosaveName(executable->Name());

    AcceptFileDrop(FileTypeName(FileTypes1::Any()));
    AcceptFileDrop(FileTypeName(FileTypes1::SpecialFolder()));
    AcceptFileDrop(FileTypeName(FileTypes1::SpecialDisk()));
}

void MainWindow::Event_DropObject(DragItem& item, std::int64_t action)
{
    // Every drop is handled alike, whatever its action.
    (void)action;
    do {
        if (item.FolderItemAvailable())
            run(item.FolderItem());
    } while (item.NextItem());
}

void MainWindow::run(std::shared_ptr<FolderItem> item)
{
    if (!item)
        throw NilObjectException("There is no item to load.");

    // Each date is read afresh, once for its row's pickers, what Change
    // writes back for an unedited row and the list, so that all three show
    // one instant even while another program changes the item.
    const std::optional<Date> created = item->CreationDate();
    const std::optional<Date> modified = item->ModificationDate();

    // The pickers come first: should setting one arm its row, the steps
    // below disarm it again, so the end state does not depend on it.
    const bool creationEditable = ShowLoaded(created, dcCreatedDate(), tcCreatedTime(), m_loadedCreation);
    const bool modificationEditable =
        ShowLoaded(modified, dcModifiedDate(), tcModifiedTime(), m_loadedModification);

    // A row whose date the picker cannot hold (before the year 100, after
    // 9999) stays off: the list shows the date, and nothing can replace it
    // with the nearest one the picker shows.
    dcCreatedDate().SetEnabled(creationEditable);
    dcModifiedDate().SetEnabled(modificationEditable);
    tcCreatedTime().SetEnabled(creationEditable);
    tcModifiedTime().SetEnabled(modificationEditable);

    ckCreated().SetValue(false);
    ckModified().SetValue(false);

    stCreatedReload().SetEnabled(false);
    stModifiedReload().SetEnabled(false);

    ckCreated().SetEnabled(creationEditable);
    ckModified().SetEnabled(modificationEditable);

    last = item;

    Listbox& list = lbFileDetails();
    list.DeleteAllRows();

    list.AddRow(Strings::Filename());
    list.SetCellBold(list.LastIndex(), 0, true);
    // The list was just emptied, so the name row is row 0.
    list.SetCell(0, 1, item->Name());

    list.AddRow(Strings::Path());
    list.SetCellBold(list.LastIndex(), 0, true);
    list.SetCell(list.LastIndex(), 1, item->NativePath());
    list.SetCellHelpTag(list.LastIndex(), 1, item->NativePath());

    if (static_cast<std::int64_t>(item->Length()) > 0) {
        list.AddRow(Strings::Filesize());
        list.SetCellBold(list.LastIndex(), 0, true);
        list.SetCell(list.LastIndex(), 1, getFileSize(item));
    }

    list.AddRow(Strings::Created());
    list.SetCellBold(list.LastIndex(), 0, true);
    list.SetCell(list.LastIndex(), 1, formatDate(created));

    list.AddRow(Strings::Modified());
    list.SetCellBold(list.LastIndex(), 0, true);
    list.SetCell(list.LastIndex(), 1, formatDate(modified));

    pbChange().SetEnabled(false);
}

std::string MainWindow::getFileSize(const std::shared_ptr<FolderItem>& item) const
{
    if (!item || !item->Exists())
        return "";

    // Doubles are exact up to 2^53 bytes, and dividing by 1024 is exact.
    const double size = static_cast<double>(item->Length());
    constexpr double kKB = 1024.0;
    constexpr double kMB = 1024.0 * 1024.0;
    constexpr double kGB = 1024.0 * 1024.0 * 1024.0;

    if (size < kKB)
        return Str(size, "") + " Byte";
    if (size < kMB)
        return Str(CStr(size / 1024)) + " KB";
    if (size < kGB)
        return Str(CStr(size / 1024 / 1024)) + " MB";
    return Str(CStr(size / 1024 / 1024 / 1024)) + " GB";
}

std::string MainWindow::formatDate(const std::optional<Date>& date) const
{
    // "Nil" in every language: it names the missing value, not a word.
    if (!date)
        return "Nil";
    return date->AbbreviatedDate() + " " + date->LongTime();
}
