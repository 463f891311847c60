#pragma once

#include "Date.h"
#include "Event.h"
#include "RectControl.h"

#include <cstdint>
#include <optional>
#include <string>

class QTime;

// A time-of-day picker: shows and edits hours, minutes and, with
// ShowSeconds, seconds.
//
// ValueChanged is raised once for each change the user makes. Setting the
// time from the program (SetTimeValue, the Hours, Minutes and Seconds
// setters, a design-time list) never raises it. A disabled picker keeps
// showing its time.
class TimeControl : public RectControl {
    DECLARE_CLASS_INFO

public:
    TimeControl();

    Event<void(TimeControl&)> ValueChanged;

    // Shows the time of day of the value; its date is not used.
    void SetTimeValue(const Date& value);
    // None leaves the shown time as it is.
    void SetTimeValue(const std::optional<Date>& value);

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


private:
    void ShowTime(const QTime& time);
    void ShowFields(std::int64_t hours, std::int64_t minutes, std::int64_t seconds);
    void UpdateDisplayFormat();

    bool m_showSeconds = true;
    std::int64_t m_timeFormat = 0;
    bool m_settingValue = false;
};
