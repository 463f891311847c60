// The creation and modification rows, the Change button and the action bar's
// "+" and "-".
//
// A row is armed while its check box is ticked. Change is enabled exactly
// when at least one box is ticked; only the boxes' Action handlers and run
// write its Enabled, so every other handler reaches it through a box.
#include "MainWindow.h"

#include "framework/CheckBox.h"
#include "framework/DateControl.h"
#include "framework/Label.h"
#include "framework/Listbox.h"
#include "framework/OpenDialog.h"
#include "framework/PushButton.h"
#include "framework/RuntimeException.h"
#include "framework/TimeControl.h"

#include <array>
#include <initializer_list>

namespace {

// An edit arms its row; ticking the box raises its Action, which turns
// Change on.
void ArmRow(CheckBox& box, Label& reload)
{
    box.SetValue(true);
    reload.SetEnabled(true);
}

void BoxChanged(MainWindow& window, CheckBox& sender)
{
    if (sender.Value())
        window.pbChange().SetEnabled(true);
    if (!window.ckCreated().Value() && !window.ckModified().Value())
        window.pbChange().SetEnabled(false);
}

// What a row's pickers show: year, month, day, hour, minute, second.
std::array<std::int64_t, 6> Shown(const DateControl& datePicker, const TimeControl& timePicker)
{
    return {datePicker.Year(), datePicker.Month(), datePicker.Day(),
            timePicker.Hours(), timePicker.Minutes(), timePicker.Seconds()};
}

// Sets all six fields on the running value. Date keeps each field as set, so
// a day the running month has and the picked month lacks cannot carry the
// result into the next month on the way.
//
// A time that the clock shows twice (the hour when summer time ends) is the
// occurrence the row was loaded with, as long as the picked time still has
// that offset. The running value's own offset (the current time's, or the
// other row's) must not decide it, so the row's hint replaces it, none
// included.
void TakePickedValue(Date& date, const DateControl& datePicker, const TimeControl& timePicker)
{
    date.SetYear(datePicker.Year());
    date.SetMonth(datePicker.Month());
    date.SetDay(datePicker.Day());
    date.SetHour(timePicker.Hours());
    date.SetMinute(timePicker.Minutes());
    date.SetSecond(timePicker.Seconds());
    date.SetUtcOffsetHint(timePicker.UtcOffsetHint());
}

// The date-time Change writes for a row. While the pickers still show what
// loading put there (the box ticked without an edit, or an edit taken back),
// it is the loaded date-time itself: the item keeps its time to the
// nanosecond, and a date the date picker cannot hold is not replaced by the
// one it shows in its place. Otherwise it is the picked values, to the
// second.
const Date& RowValue(Date& date, const DateControl& datePicker, const TimeControl& timePicker,
                     const LoadedDateRow& loaded)
{
    if (loaded.date && Shown(datePicker, timePicker) == loaded.shown)
        return *loaded.date;
    TakePickedValue(date, datePicker, timePicker);
    return date;
}

} // namespace

bool MainWindow::ShowLoaded(const std::optional<Date>& date, DateControl& datePicker, TimeControl& timePicker,
                            LoadedDateRow& loaded)
{
    datePicker.SetDateValue(date);
    timePicker.SetTimeValue(date);
    loaded = {date, Shown(datePicker, timePicker)};
    return !date || datePicker.CanShow(*date);
}

// Puts the item's current date-time back into a row and disarms it.
bool MainWindow::ReloadRow(Label& sender, std::optional<Date> (FolderItem::*read)() const, DateControl& datePicker,
                           TimeControl& timePicker, CheckBox& box, LoadedDateRow& loaded)
{
    if (!sender.Enabled())
        return false;
    // The label is enabled only by an edit, which needs a loaded item; a
    // missing one is a fault in the window, reported like any nil object.
    if (!last)
        throw NilObjectException("No item is shown.");
    const bool editable = ShowLoaded(((*last).*read)(), datePicker, timePicker, loaded);
    box.SetValue(false);
    // As after loading, a date the picker cannot hold is not for editing.
    if (!editable) {
        for (RectControl* control : std::initializer_list<RectControl*>{&datePicker, &timePicker, &box, &sender})
            control->SetEnabled(false);
    }
    return false;
}

void MainWindow::dcModifiedDate_ValueChanged(DateControl& sender)
{
    (void)sender;
    ArmRow(ckModified(), stModifiedReload());
}

void MainWindow::tcModifiedTime_ValueChanged(TimeControl& sender)
{
    (void)sender;
    ArmRow(ckModified(), stModifiedReload());
}

void MainWindow::dcCreatedDate_ValueChanged(DateControl& sender)
{
    (void)sender;
    ArmRow(ckCreated(), stCreatedReload());
}

void MainWindow::tcCreatedTime_ValueChanged(TimeControl& sender)
{
    (void)sender;
    ArmRow(ckCreated(), stCreatedReload());
}

void MainWindow::ckCreated_Action(CheckBox& sender)
{
    BoxChanged(*this, sender);
}

void MainWindow::ckModified_Action(CheckBox& sender)
{
    BoxChanged(*this, sender);
}

void MainWindow::pbChange_Action(PushButton& sender)
{
    (void)sender;
    // One value for both rows. The modification date is written first; the
    // creation row is then set on the same value, which the first write has
    // already taken.
    Date date;
    if (ckModified().Value()) {
        const Date& value = RowValue(date, dcModifiedDate(), tcModifiedTime(), m_loadedModification);
        if (last)
            last->SetModificationDate(value);
    }
    if (ckCreated().Value()) {
        const Date& value = RowValue(date, dcCreatedDate(), tcCreatedTime(), m_loadedCreation);
        if (last)
            last->SetCreationDate(value);
    }
    // A write the file system refused leaves the item as it was; the re-read
    // shows what it really holds now, and disarms both rows.
    if (last)
        run(last);
}

void MainWindow::qorActionBar1_AddButtonClick(qorActionBar& sender)
{
    (void)sender;
    std::shared_ptr<FolderItem> item = OpenDialog().ShowModal();
    // Cancelled: the window keeps its item, its edits and Change.
    if (item)
        run(item);
}

void MainWindow::qorActionBar1_RemoveButtonClick(qorActionBar& sender)
{
    (void)sender;
    last = nullptr;
    lbFileDetails().DeleteAllRows();
    // Unticked while still enabled; the boxes' Action turns Change off.
    ckCreated().SetValue(false);
    ckModified().SetValue(false);
    // The pickers keep the values they show.
    ckCreated().SetEnabled(false);
    ckModified().SetEnabled(false);
    dcModifiedDate().SetEnabled(false);
    tcModifiedTime().SetEnabled(false);
    dcCreatedDate().SetEnabled(false);
    tcCreatedTime().SetEnabled(false);
    stCreatedReload().SetEnabled(false);
    stModifiedReload().SetEnabled(false);
}

bool MainWindow::stCreatedReload_MouseDown(Label& sender, std::int64_t x, std::int64_t y)
{
    // A press anywhere on the arrow counts.
    (void)x;
    (void)y;
    return ReloadRow(sender, &FolderItem::CreationDate, dcCreatedDate(), tcCreatedTime(), ckCreated(),
                     m_loadedCreation);
}

bool MainWindow::stModifiedReload_MouseDown(Label& sender, std::int64_t x, std::int64_t y)
{
    (void)x;
    (void)y;
    return ReloadRow(sender, &FolderItem::ModificationDate, dcModifiedDate(), tcModifiedTime(), ckModified(),
                     m_loadedModification);
}
