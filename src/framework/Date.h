#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

// A local wall-clock date-time, in the time zone of the process (TZ). A
// copyable value; a missing date is a std::optional<Date> without one.
//
// The six fields are kept exactly as they were set, so a run of setters never
// passes through an intermediate date that moves the result: starting on
// 31 March, SetMonth(2) then SetDay(15) gives 15 February. Only the getters,
// the texts and the instant look at the fields as one date-time.
//
// A Date made from an instant is that instant, to the nanosecond, until a
// field or the offset hint is set; from then on it stands for its fields, to
// the second.
//
// Out-of-range fields are read by calendar arithmetic, the larger field
// carrying the overflow: month 13 is January of the next year, month 0
// December of the year before, day 0 the last day of the month before,
// hour 24 midnight of the next day, second -1 the last second of the minute
// before. Years count astronomically (0 is 1 BC) and are held to
// -999,999,999 to 999,999,999, far beyond what a file system holds but within
// what the C library's struct tm and QDate take (both count years in an int);
// any value outside, huge ones included, stops at the first or last second
// of that span.
//
// Daylight-saving changes (SecondsSinceEpoch):
// - A wall-clock time that the change skips (30 March 2025, 02:30 in Berlin)
//   is read with the UTC offset in force before the change, which moves it
//   forward by the length of the gap: 02:30 CET is 03:30 CEST.
// - A wall-clock time that the change repeats (26 October 2025, 02:30 in
//   Berlin) is the instant whose UTC offset is the Date's offset hint, when
//   the hint is one of the two offsets the zone has at that time (+2:00 for
//   02:30 CEST, +1:00 for 02:30 CET); otherwise, and without a hint, it is
//   the earlier of the two (02:30 CEST).
// The hint: a Date made from an instant carries that instant's offset.
// Setting any field forgets it, as it belonged to the old fields;
// SetUtcOffsetHint gives one for the fields as they are. A hint that does not
// fit the fields (another day, the other side of a change) is not used, so it
// never moves a time that the clock shows once, nor a skipped one.
// The getters and the texts show the fields as set (02:30 in the gap); the
// file system, given the instant, reports 03:30 back.
//
// Zones that count leap seconds ("right/Europe/Berlin"): the instant is the
// one the C library shows as the fields, so fields and instant convert both
// ways exactly there too. Its leap second (23:59:60) reads as the first
// second of the next minute, whose fields it shares.
class Date {
public:
    // The current local date-time; the fraction of the second is dropped.
    Date();

    static Date FromSecondsSinceEpoch(std::int64_t seconds);
    // The instant to the nanosecond; the fields show its whole second
    // (before 1970 too: -0.25 s shows 00:59:59 in Berlin).
    static Date FromTimespec(const timespec& time);

    std::int64_t Year() const;
    std::int64_t Month() const;  // 1 to 12
    std::int64_t Day() const;    // 1 to 31
    std::int64_t Hour() const;   // 0 to 23
    std::int64_t Minute() const; // 0 to 59
    std::int64_t Second() const; // 0 to 59

    void SetYear(std::int64_t year);
    void SetMonth(std::int64_t month);
    void SetDay(std::int64_t day);
    void SetHour(std::int64_t hour);
    void SetMinute(std::int64_t minute);
    void SetSecond(std::int64_t second);

    // Seconds east of UTC; see the daylight-saving rules above.
    std::optional<std::int64_t> UtcOffsetHint() const { return m_offsetHint; }
    void SetUtcOffsetHint(std::optional<std::int64_t> offset);

    // The instant of this local date-time, in whole seconds since
    // 1970-01-01 00:00:00 UTC (rounded down), resolved as described above.
    std::int64_t SecondsSinceEpoch() const;
    // The fraction of the second of the instant the Date was made from,
    // 0 to 999,999,999; 0 once a field is set.
    std::int64_t Nanosecond() const;

    // Day, abbreviated month and four-digit year in the user's locale
    // (QLocale()), in its order and with its words and separators, without
    // the weekday: "9 Dec 2026", "Dec 9, 2026", "9. Dez. 2026". UTF-8.
    std::string AbbreviatedDate() const;
    // The Qt date format behind AbbreviatedDate in the user's locale, so its
    // text can be read back (QLocale::toDate).
    static std::string AbbreviatedDateFormat();
    // The time of day with seconds and without a time-zone name, in the
    // user's locale: "14:05:09", "2:05:09 PM". UTF-8.
    std::string LongTime() const;

    // Equal when both show the same wall-clock date-time (after normalising)
    // and stand for the same instant, to the nanosecond.
    friend bool operator==(const Date& a, const Date& b);

private:
    struct Unset {};
    explicit Date(Unset) {}

    struct Normal {
        std::int64_t year, month, day, hour, minute, second;
        std::int64_t localSeconds; // the wall-clock time counted as if it were UTC
    };
    Normal Normalised() const;
    void FieldSet();

    std::int64_t m_year = 1970;
    std::int64_t m_month = 1;
    std::int64_t m_day = 1;
    std::int64_t m_hour = 0;
    std::int64_t m_minute = 0;
    std::int64_t m_second = 0;
    // Picks the occurrence of a repeated wall-clock time; forgotten on any set.
    std::optional<std::int64_t> m_offsetHint;
    // The instant the Date was made from; forgotten on any set.
    std::optional<timespec> m_instant;
};
