#include "Date.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b)
{
    const std::int64_t r = a % b;
    return r != 0 && ((r < 0) != (b < 0)) ? r + b : r;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12, day 1-31).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The calendar repeats every 400 years: 4800 months, 146097 days.
constexpr std::int64_t kCycleMonths = 4800;
constexpr std::int64_t kCycleSeconds = 146097 * kSecondsPerDay;

// A span of seconds as whole 400-year cycles and a rest, so that fields
// anywhere in the 64-bit range add up exactly without a wider integer: each
// field's cycles are at most a 12th of its value, each rest under a cycle.
struct CycleSum {
    std::int64_t cycles = 0;
    std::int64_t rest = 0;

    // Adds count units of unitSeconds each, a unit that divides a cycle.
    void Add(std::int64_t count, std::int64_t unitSeconds)
    {
        const std::int64_t perCycle = kCycleSeconds / unitSeconds;
        cycles += FloorDiv(count, perCycle);
        rest += FloorMod(count, perCycle) * unitSeconds;
    }
};

struct Civil {
    std::int64_t year;
    int month;
    int day;
};

Civil CivilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = FloorDiv(days, 146097);
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// The supported span, as wall-clock seconds counted as if they were UTC.
constexpr std::int64_t kFirstYear = -999'999'999;
constexpr std::int64_t kLastYear = 999'999'999;
const std::int64_t kFirstLocal = DaysFromCivil(kFirstYear, 1, 1) * kSecondsPerDay;
const std::int64_t kLastLocal = DaysFromCivil(kLastYear, 12, 31) * kSecondsPerDay + 86399;

// The wall-clock time of a broken-down time, counted as if it were UTC. A
// leap second (60) counts as the second before it, so that no instant but
// the one after it shows the first second of the next minute.
std::int64_t CalendarSeconds(const tm& time)
{
    return DaysFromCivil(std::int64_t(time.tm_year) + 1900, time.tm_mon + 1, time.tm_mday) * kSecondsPerDay
           + time.tm_hour * 3600 + time.tm_min * 60 + std::min(time.tm_sec, 59);
}

// What the local clock shows at an instant, and its UTC offset there.
struct WallClock {
    std::int64_t local; // CalendarSeconds
    std::int64_t offset;
};

std::optional<WallClock> WallClockAt(std::int64_t instant)
{
    const time_t t = static_cast<time_t>(instant);
    tm local{};
    if (!localtime_r(&t, &local))
        return std::nullopt;
    return WallClock{CalendarSeconds(local), local.tm_gmtoff};
}

// UTC offset of the local time zone at an instant, in seconds east of UTC.
std::int64_t OffsetAt(std::int64_t instant)
{
    const auto clock = WallClockAt(instant);
    return clock ? clock->offset : 0;
}

// The instant at which the local clock, running at this UTC offset, shows
// local. That is local - offset, except in a zone that counts leap seconds
// ("right/..."): there the C library shows each instant earlier by the leap
// seconds before it (27 since 2017), and the instant is that much later.
// Each round adds the leap seconds found before the last guess; the guess
// moves by at most 27 s, across at most one more leap second.
std::int64_t InstantShowing(std::int64_t local, std::int64_t offset)
{
    const std::int64_t plain = local - offset;
    std::int64_t instant = plain;
    for (int round = 0; round < 4; ++round) {
        const auto clock = WallClockAt(instant);
        if (!clock)
            break;
        const std::int64_t next = plain + (instant + clock->offset - clock->local);
        if (next == instant)
            break;
        instant = next;
    }
    return instant;
}

// --- Locale formats -------------------------------------------------------
//
// Qt gives a long and a short form of each; the short date has a numeric
// month and the short time may lack seconds. The texts are cut out of the
// long forms: the date part of the long date, and the long time without its
// zone name, which leaves together with the punctuation that tied it to its
// neighbour.

struct FormatPiece {
    QString raw;       // as written in the format, quotes included
    QChar letter;      // the field letter; null for literal text
    bool separator;    // unquoted literal made only of spaces and punctuation
};

std::vector<FormatPiece> SplitFormat(const QString& format)
{
    std::vector<FormatPiece> pieces;
    qsizetype i = 0;
    const qsizetype n = format.size();
    while (i < n) {
        const QChar c = format[i];
        qsizetype j = i + 1;
        if (c == u'\'') {
            // Quoted literal; '' inside stands for one quote.
            while (j < n) {
                if (format[j] == u'\'') {
                    if (j + 1 < n && format[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            pieces.push_back({format.mid(i, j - i), QChar(), false});
        } else if (c.isLetter() && c.unicode() < 128) {
            while (j < n && format[j] == c)
                ++j;
            pieces.push_back({format.mid(i, j - i), c, false});
        } else {
            bool separator = !c.isLetterOrNumber();
            while (j < n && format[j] != u'\'' && !(format[j].isLetter() && format[j].unicode() < 128)) {
                separator = separator && !format[j].isLetterOrNumber();
                ++j;
            }
            pieces.push_back({format.mid(i, j - i), QChar(), separator});
        }
        i = j;
    }
    return pieces;
}

// Spaces, commas and brackets only join a field to its neighbour; other
// punctuation (the dot of "9." or "2026.") belongs to the neighbour.
bool IsJoiner(QChar c)
{
    return c.isSpace() || QStringView(u",\u060C\u3001\uFF0C()[]\uFF08\uFF09").contains(c);
}

// Drops the joiners at one end of a separator; the piece goes if nothing is left.
void TrimSeparator(std::vector<FormatPiece>& pieces, std::size_t i, bool fromFront)
{
    if (i >= pieces.size() || !pieces[i].separator)
        return;
    QString& raw = pieces[i].raw;
    if (fromFront) {
        qsizetype k = 0;
        while (k < raw.size() && IsJoiner(raw[k]))
            ++k;
        raw.remove(0, k);
    } else {
        qsizetype k = raw.size();
        while (k > 0 && IsJoiner(raw[k - 1]))
            --k;
        raw.truncate(k);
    }
    if (raw.isEmpty())
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i));
}

// Removes the fields that match, with the joiners that tied each to the rest:
// those after it, and at the end of the format also those before it.
template <class Predicate>
void RemoveFields(std::vector<FormatPiece>& pieces, Predicate matches)
{
    for (std::size_t i = 0; i < pieces.size();) {
        if (pieces[i].letter.isNull() || !matches(pieces[i])) {
            ++i;
            continue;
        }
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i));
        TrimSeparator(pieces, i, true);
        if (i == pieces.size() && i > 0) {
            TrimSeparator(pieces, i - 1, false);
            i = pieces.size();
        }
    }
}

QString JoinFormat(const std::vector<FormatPiece>& pieces)
{
    QString format;
    for (const FormatPiece& piece : pieces)
        format += piece.raw;
    return format.trimmed();
}

bool IsDateField(const FormatPiece& piece)
{
    return piece.letter == u'y' || piece.letter == u'M' || (piece.letter == u'd' && piece.raw.size() <= 2);
}

bool IsQuoted(const FormatPiece& piece)
{
    return piece.raw.startsWith(u'\'');
}

// Ties the weekday, or the words that go with it, to the date: commas, and
// the hyphen of Burmese "d- dddd".
bool IsWeekdayTie(QChar c)
{
    return QStringView(u",\u060C\u3001\uFF0C\u1363-").contains(c);
}

// The date part of the locale's long format: from its first to its last
// day, month or year field, with the text that belongs to those ends. The
// weekday stands before or after that part in every locale, and the words
// that go with it ("ที่" in Thai, "гараг" in Mongolian, "de" in Sardinian)
// stand between it and the date:
// - before the first date field, only what follows the last space or comma
//   stays ("སྤྱི་ལོ་" in "dddd, སྤྱི་ལོ་yyyy", not "ที่" in "ddddที่ d");
// - after the last date field, what precedes the first tie stays,
//   trailing spaces dropped ("." in "d., dddd", " 'd'." in
//   "d 'd'., dddd"); at the end of the format all of it stays ("yyyy 'г'.").
// The month is abbreviated (a numeric one stays numeric, as in Chinese) and
// the year has four digits.
QString DatePartOfLongFormat(const QLocale& locale)
{
    std::vector<FormatPiece> pieces = SplitFormat(locale.dateFormat(QLocale::LongFormat));
    std::size_t first = pieces.size(), last = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (IsDateField(pieces[i])) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first == pieces.size())
        return {};

    std::size_t begin = first;
    while (begin > 0 && pieces[begin - 1].letter.isNull())
        --begin;
    if (begin > 0) { // a weekday before
        for (std::size_t i = first; i-- > begin;) {
            if (IsQuoted(pieces[i]))
                continue;
            const QString& raw = pieces[i].raw;
            qsizetype k = raw.size();
            while (k > 0 && !(raw[k - 1].isSpace() || IsWeekdayTie(raw[k - 1])))
                --k;
            if (k == 0)
                continue;
            pieces[i].raw = raw.mid(k);
            begin = i;
            break;
        }
    }

    std::size_t end = last + 1;
    while (end < pieces.size() && pieces[end].letter.isNull())
        ++end;
    if (end < pieces.size()) { // a weekday after
        for (std::size_t i = last + 1; i < end; ++i) {
            if (IsQuoted(pieces[i]))
                continue;
            const qsizetype k = std::find_if(pieces[i].raw.cbegin(), pieces[i].raw.cend(), IsWeekdayTie) - pieces[i].raw.cbegin();
            if (k == pieces[i].raw.size())
                continue;
            pieces[i].raw.truncate(k);
            end = i + 1;
            break;
        }
    }

    QString format;
    for (std::size_t i = begin; i < end; ++i) {
        FormatPiece& piece = pieces[i];
        if (!piece.letter.isNull() && !IsDateField(piece))
            continue; // a weekday between date fields: none in Qt's data
        if (piece.letter == u'M' && piece.raw.size() >= 4)
            piece.raw = QStringLiteral("MMM");
        else if (piece.letter == u'y')
            piece.raw = QStringLiteral("yyyy");
        format += piece.raw;
    }
    return format.trimmed();
}

// A format is used only when it shows each of day, month and year once and
// its text reads back as the date it was made from. Qt cannot read digits
// outside the Basic Multilingual Plane (Chakma, Adlam) in any date format;
// there only the fields are checked.
bool ShowsTheDate(const QLocale& locale, const QString& format)
{
    int day = 0, month = 0, year = 0;
    for (const FormatPiece& piece : SplitFormat(format)) {
        day += piece.letter == u'd';
        month += piece.letter == u'M';
        year += piece.letter == u'y';
    }
    if (day != 1 || month != 1 || year != 1)
        return false;
    // Day and month numbers that differ, so a swap would show.
    const QDate probe(2026, 12, 9);
    const auto readsBack = [&](const QString& f) { return locale.toDate(locale.toString(probe, f), f) == probe; };
    return readsBack(format) || !readsBack(QStringLiteral("d M yyyy"));
}

QString AbbreviatedFormat(const QLocale& locale)
{
    const QString format = DatePartOfLongFormat(locale);
    return ShowsTheDate(locale, format) ? format : QStringLiteral("d MMM yyyy");
}

QString LongTimeFormat(const QLocale& locale)
{
    std::vector<FormatPiece> pieces = SplitFormat(locale.timeFormat(QLocale::LongFormat));
    RemoveFields(pieces, [](const FormatPiece& p) { return p.letter == u't'; });
    const bool hasSeconds = std::any_of(pieces.begin(), pieces.end(), [](const FormatPiece& p) { return p.letter == u's'; });
    return hasSeconds ? JoinFormat(pieces) : QStringLiteral("HH:mm:ss");
}

} // namespace

Date::Date()
    : Date(FromSecondsSinceEpoch(static_cast<std::int64_t>(::time(nullptr))))
{
}

Date Date::FromSecondsSinceEpoch(std::int64_t seconds)
{
    return FromTimespec({static_cast<time_t>(seconds), 0});
}

Date Date::FromTimespec(const timespec& time)
{
    // Beyond the supported years the fields are held to the limits anyway;
    // staying near them keeps localtime_r inside its range.
    const std::int64_t seconds =
        std::clamp<std::int64_t>(time.tv_sec, kFirstLocal - 2 * kSecondsPerDay, kLastLocal + 2 * kSecondsPerDay);
    const time_t t = static_cast<time_t>(seconds);
    tm local{};
    Date date{Unset{}};
    if (!localtime_r(&t, &local))
        return date;
    date.m_year = std::int64_t(local.tm_year) + 1900;
    date.m_month = local.tm_mon + 1;
    date.m_day = local.tm_mday;
    date.m_hour = local.tm_hour;
    date.m_minute = local.tm_min;
    // A leap second (60) becomes the first second of the next minute.
    date.m_second = local.tm_sec;
    date.m_offsetHint = local.tm_gmtoff;
    // The fields stand for this very instant, unless they were held to the
    // supported years.
    const std::int64_t shown = CalendarSeconds(local);
    if (seconds == time.tv_sec && shown >= kFirstLocal && shown <= kLastLocal)
        date.m_instant = timespec{t, 0 <= time.tv_nsec && time.tv_nsec < 1'000'000'000 ? time.tv_nsec : 0};
    return date;
}

Date::Normal Date::Normalised() const
{
    // Months from year 0, itself the start of a cycle: the cycles, then the
    // month within its cycle, found without forming year * 12.
    std::int64_t monthInCycle = FloorMod(m_year, 400) * 12 + FloorMod(m_month, kCycleMonths) - 1;
    CycleSum sum;
    sum.cycles = FloorDiv(m_year, 400) + FloorDiv(m_month, kCycleMonths) + FloorDiv(monthInCycle, kCycleMonths);
    monthInCycle = FloorMod(monthInCycle, kCycleMonths);
    sum.rest = DaysFromCivil(monthInCycle / 12, static_cast<int>(monthInCycle % 12) + 1, 1) * kSecondsPerDay;
    sum.Add(m_day, kSecondsPerDay);
    sum.rest -= kSecondsPerDay; // days count from 1
    sum.Add(m_hour, 3600);
    sum.Add(m_minute, 60);
    sum.Add(m_second, 1);
    sum.cycles += FloorDiv(sum.rest, kCycleSeconds);
    sum.rest = FloorMod(sum.rest, kCycleSeconds);

    // The supported years lie within 2.5 million cycles of 1970; further
    // out, cycles times kCycleSeconds could overflow.
    constexpr std::int64_t kFarCycles = 3'000'000;
    std::int64_t local = sum.cycles > kFarCycles ? kLastLocal
                         : sum.cycles < -kFarCycles ? kFirstLocal
                                                    : sum.cycles * kCycleSeconds + sum.rest;
    local = std::clamp(local, kFirstLocal, kLastLocal);

    Normal n{};
    n.localSeconds = local;
    const std::int64_t dayNumber = FloorDiv(local, kSecondsPerDay);
    const std::int64_t secondOfDay = n.localSeconds - dayNumber * kSecondsPerDay;
    const Civil civil = CivilFromDays(dayNumber);
    n.year = civil.year;
    n.month = civil.month;
    n.day = civil.day;
    n.hour = secondOfDay / 3600;
    n.minute = secondOfDay / 60 % 60;
    n.second = secondOfDay % 60;
    return n;
}

std::int64_t Date::Year() const { return Normalised().year; }
std::int64_t Date::Month() const { return Normalised().month; }
std::int64_t Date::Day() const { return Normalised().day; }
std::int64_t Date::Hour() const { return Normalised().hour; }
std::int64_t Date::Minute() const { return Normalised().minute; }
std::int64_t Date::Second() const { return Normalised().second; }

void Date::FieldSet()
{
    // The remembered offset and instant belonged to the old fields.
    m_offsetHint.reset();
    m_instant.reset();
}

void Date::SetUtcOffsetHint(std::optional<std::int64_t> offset)
{
    // The fields are to be read with this offset now, not as the instant.
    m_instant.reset();
    m_offsetHint = offset;
}

void Date::SetYear(std::int64_t year) { m_year = year; FieldSet(); }
void Date::SetMonth(std::int64_t month) { m_month = month; FieldSet(); }
void Date::SetDay(std::int64_t day) { m_day = day; FieldSet(); }
void Date::SetHour(std::int64_t hour) { m_hour = hour; FieldSet(); }
void Date::SetMinute(std::int64_t minute) { m_minute = minute; FieldSet(); }
void Date::SetSecond(std::int64_t second) { m_second = second; FieldSet(); }

std::int64_t Date::SecondsSinceEpoch() const
{
    if (m_instant)
        return m_instant->tv_sec;
    const std::int64_t local = Normalised().localSeconds;
    const auto fits = [local](std::int64_t offset) { return OffsetAt(InstantShowing(local, offset)) == offset; };

    if (m_offsetHint && fits(*m_offsetHint))
        return InstantShowing(local, *m_offsetHint);

    // No zone moves its offset by a day or more, so the offsets a day either
    // side are those before and after any change that touches this time.
    const std::int64_t before = OffsetAt(local - kSecondsPerDay);
    const std::int64_t after = OffsetAt(local + kSecondsPerDay);
    const bool beforeFits = fits(before);
    const bool afterFits = fits(after);
    if (beforeFits && afterFits) // repeated: the earlier instant
        return std::min(InstantShowing(local, before), InstantShowing(local, after));
    if (beforeFits)
        return InstantShowing(local, before);
    if (afterFits)
        return InstantShowing(local, after);
    return InstantShowing(local, before); // skipped: read with the offset before the change
}

std::int64_t Date::Nanosecond() const
{
    return m_instant ? m_instant->tv_nsec : 0;
}

std::string Date::AbbreviatedDate() const
{
    const Normal n = Normalised();
    const QLocale locale;
    // QDate has no year 0: 1 BC is its year -1.
    const QDate date(static_cast<int>(n.year > 0 ? n.year : n.year - 1), static_cast<int>(n.month),
                     static_cast<int>(n.day));
    return locale.toString(date, AbbreviatedFormat(locale)).toStdString();
}

std::string Date::AbbreviatedDateFormat()
{
    return AbbreviatedFormat(QLocale()).toStdString();
}

std::string Date::LongTime() const
{
    const Normal n = Normalised();
    const QLocale locale;
    const QTime time(static_cast<int>(n.hour), static_cast<int>(n.minute), static_cast<int>(n.second));
    return locale.toString(time, LongTimeFormat(locale)).toStdString();
}

bool operator==(const Date& a, const Date& b)
{
    const Date::Normal x = a.Normalised();
    const Date::Normal y = b.Normalised();
    return x.localSeconds == y.localSeconds && a.SecondsSinceEpoch() == b.SecondsSinceEpoch()
           && a.Nanosecond() == b.Nanosecond();
}
