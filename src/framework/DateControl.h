#pragma once

#include "Date.h"
#include "Event.h"
#include "PickerControl.h"

#include <QDate>

#include <cstdint>
#include <optional>

// A date picker: shows and edits a calendar date, with a drop-down calendar.
//
// ValueChanged is raised once for each change the user makes to the date
// shown; Return on an unchanged date is none. Setting the date from the
// program (SetDateValue, the Year, Month and Day setters, a design-time
// list) never raises it, and starts the editor's undo history afresh (see
// PickerControl). A disabled picker keeps showing its date.
class DateControl : public PickerControl {
    DECLARE_CLASS_INFO

public:
    DateControl();

    Event<void(DateControl&)> ValueChanged;

    // Shows the calendar date of the value; its time of day is not used.
    void SetDateValue(const Date& value);
    // None shows the start value, so that no other date passes for a missing
    // one: the date the picker showed when its window opened (its design-time
    // date), or for a picker added to an open window the one it was made with.
    void SetDateValue(const std::optional<Date>& value);

    // The date shown, numbered as Date numbers it (month 1 to 12), so each
    // can go to the Date setter of the same name unchanged.
    std::int64_t Year() const;
    std::int64_t Month() const;
    std::int64_t Day() const;
    // Each setter changes one field and keeps the others. A value outside
    // the field's range shows as the nearest one inside it (month 0 and
    // day 0 as 1, day 31 in April as 30); years run from 100 to 9999.
    void SetYear(std::int64_t year);
    void SetMonth(std::int64_t month);
    void SetDay(std::int64_t day);
    // Whether the calendar date of the value lies in the years the picker
    // holds; SetDateValue shows any other as the nearest one it holds.
    bool CanShow(const Date& value) const;

    // Every format code shows the locale's short date with a four-digit
    // year, its fields in the locale's order and shown left to right; the
    // code is kept for reading back.
    std::int64_t DateFormat() const;
    void SetDateFormat(std::int64_t format);
    // Whether the drop-down calendar is offered.
    bool LinuxDropDownMode() const;
    void SetLinuxDropDownMode(bool dropDown);

protected:
    void RaiseValueChanged() override;
    // A design-time list sets the year, month and day one at a time; the
    // editor shows the date once, at the list's end.
    void _BeginProperties() override;
    void _EndProperties() override;

private:
    // The date the fields are read from and set on: the one shown, or while
    // a list is applied, the one it has set so far.
    QDate ShownDate() const;
    void ShowField(const QDate& date);

    std::optional<QDate> m_listDate;
    std::int64_t m_dateFormat = 4;
};
