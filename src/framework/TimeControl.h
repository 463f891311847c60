#pragma once

#include "Date.h"
#include "Event.h"
#include "PickerControl.h"

#include <cstdint>
#include <optional>

// A time-of-day picker: shows and edits hours, minutes and, with
// ShowSeconds, seconds.
//
// ValueChanged is raised once for each change the user makes to the time
// shown; Return on an unchanged time is none. Setting the time from the
// program (SetTimeValue, the Hours, Minutes and Seconds setters, a
// design-time list) never raises it, and starts the editor's undo history
// afresh (see PickerControl). A disabled picker keeps showing its time.
class TimeControl : public PickerControl {
    DECLARE_CLASS_INFO

public:
    TimeControl();

    Event<void(TimeControl&)> ValueChanged;

    // Shows the time of day of the value; its date is not used.
    void SetTimeValue(const Date& value);
    // None shows the start value, so that no other time passes for a missing
    // one: the time the picker showed when its window opened (its design-time
    // time), or for a picker added to an open window the one it was made with.
    void SetTimeValue(const std::optional<Date>& value);
    // The offset hint of the Date last given to SetTimeValue: which of the
    // two occurrences of a time that the clock shows twice the picker was
    // given. None before the program gave a Date and after it gave none;
    // the user's edits keep it (Date uses it only where it fits).
    std::optional<std::int64_t> UtcOffsetHint() const;

    // The time shown, numbered as Date numbers it (hours 0 to 23).
    std::int64_t Hours() const;
    std::int64_t Minutes() const;
    std::int64_t Seconds() const;
    // Each setter changes one field and keeps the others; a value outside
    // the field's range shows as the nearest one inside it.
    void SetHours(std::int64_t hours);
    void SetMinutes(std::int64_t minutes);
    void SetSeconds(std::int64_t seconds);

    bool ShowSeconds() const;
    void SetShowSeconds(bool show);
    // 0 shows a 24-hour clock, 1 a 12-hour clock with AM/PM; other codes
    // show the 24-hour clock.
    std::int64_t TimeFormat() const;
    void SetTimeFormat(std::int64_t format);

protected:
    void RaiseValueChanged() override;

private:
    void ShowFields(std::int64_t hours, std::int64_t minutes, std::int64_t seconds);
    void UpdateDisplayFormat();

    std::optional<std::int64_t> m_offsetHint;
    bool m_showSeconds = true;
    std::int64_t m_timeFormat = 0;
};
