#include "DateControl.h"

#include "Application.h"
#include "EditCommand.h"
#include "PickerFonts.h"
#include "UiThread.h"

#include <QApplication>
#include <QDateEdit>
#include <QLocale>
#include <QScopedValueRollback>

#include <algorithm>
#include <utility>

namespace {

QDateEdit* Widget(const DateControl& picker)
{
    return static_cast<QDateEdit*>(picker.NativeWidget());
}

// The locale's short date, but always with the full year: a two-digit year
// section would make the picker read years as 19xx or 20xx.
QString DisplayFormat()
{
    // Every run of y becomes yyyy; a loop, since a regular expression is
    // compiled afresh for each picker at start-up.
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    QString full;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != QLatin1Char('y'))
            full += format[i];
        else if (i == 0 || format[i - 1] != QLatin1Char('y'))
            full += QStringLiteral("yyyy");
    }
    return full;
}

// The nearest valid date to the fields, in the picker's range.
QDate ClampedDate(const QDateEdit* edit, std::int64_t year, std::int64_t month, std::int64_t day)
{
    const int y = int(std::clamp<std::int64_t>(year, edit->minimumDate().year(), edit->maximumDate().year()));
    const int m = int(std::clamp<std::int64_t>(month, 1, 12));
    const int last = QDate(y, m, 1).daysInMonth();
    const int d = int(std::clamp<std::int64_t>(day, 1, last));
    return std::clamp(QDate(y, m, d), edit->minimumDate(), edit->maximumDate());
}

} // namespace

const ClassInfo& DateControl::StaticClassInfo()
{
    static const ClassInfo info = [] {
        std::vector<PropertyInfo> properties{
            MakeProperty("Year", PropertyType::Integer, &DateControl::Year, &DateControl::SetYear),
            MakeProperty("Month", PropertyType::Integer, &DateControl::Month, &DateControl::SetMonth),
            MakeProperty("Day", PropertyType::Integer, &DateControl::Day, &DateControl::SetDay),
            MakeProperty("DateFormat", PropertyType::Integer, &DateControl::DateFormat, &DateControl::SetDateFormat),
            MakeProperty("LinuxDropDownMode", PropertyType::Boolean, &DateControl::LinuxDropDownMode,
                         &DateControl::SetLinuxDropDownMode),
            // The picker always holds a date, so it has no empty state to
            // tick; the values are kept for reading back.
            MakeStored("EmptyDates", PropertyType::Boolean),
            MakeStored("Checked", PropertyType::Boolean),
            MakeStored("OSXDropDownMode", PropertyType::Boolean),
        };
        for (PropertyInfo& font : PickerFontProperties())
            properties.push_back(std::move(font));
        return ClassInfo("DateControl", &RectControl::StaticClassInfo(), std::move(properties));
    }();
    return info;
}

DateControl::DateControl() : RectControl(NewWidget<QDateEdit>())
{
    QDateEdit* edit = Widget(*this);
    edit->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    edit->setDisplayFormat(DisplayFormat());
    edit->setCalendarPopup(true);
    // Times and dates read in their natural order in any window, also a
    // right-to-left one.
    edit->setLayoutDirection(Qt::LeftToRight);
    ShowDate(QDate::currentDate());
    m_startDate = edit->date();
    // dateChanged is emitted synchronously, also for the program's own sets;
    // those are told apart by m_settingValue, so nothing is left to arrive
    // after a setter has returned. Return emits it for the date already
    // shown, which is no change.
    m_lastShown = edit->date();
    QObject::connect(edit, &QDateEdit::dateChanged, edit, [this](QDate date) {
        const bool changed = date != m_lastShown;
        m_lastShown = date;
        if (m_settingValue || !changed)
            return;
        _CallGuarded([this] { ValueChanged.Raise(*this); });
    });
}

void DateControl::ShowDate(const QDate& date)
{
    const QScopedValueRollback setting(m_settingValue, true);
    Widget(*this)->setDate(date);
    ForgetEditHistory(Widget(*this));
}

QDate DateControl::ShownDate() const
{
    return m_listDate ? *m_listDate : Widget(*this)->date();
}

void DateControl::ShowField(const QDate& date)
{
    if (m_listDate)
        m_listDate = date;
    else
        ShowDate(date);
}

void DateControl::_BeginProperties()
{
    RectControl::_BeginProperties();
    m_listDate = Widget(*this)->date();
}

void DateControl::_EndProperties()
{
    RectControl::_EndProperties();
    if (const std::optional<QDate> date = std::exchange(m_listDate, std::nullopt))
        ShowDate(*date);
}

void DateControl::SetDateValue(const Date& value)
{
    RequireMainThread();
    ShowDate(ClampedDate(Widget(*this), value.Year(), value.Month(), value.Day()));
}

void DateControl::SetDateValue(const std::optional<Date>& value)
{
    RequireMainThread();
    if (value)
        SetDateValue(*value);
    else
        ShowDate(m_startDate);
}

void DateControl::Event_WindowOpen()
{
    // The design-time list has been applied by now.
    m_startDate = Widget(*this)->date();
}

std::int64_t DateControl::Year() const
{
    RequireMainThread();
    return ShownDate().year();
}

std::int64_t DateControl::Month() const
{
    RequireMainThread();
    return ShownDate().month();
}

std::int64_t DateControl::Day() const
{
    RequireMainThread();
    return ShownDate().day();
}

void DateControl::SetYear(std::int64_t year)
{
    RequireMainThread();
    const QDate shown = ShownDate();
    ShowField(ClampedDate(Widget(*this), year, shown.month(), shown.day()));
}

void DateControl::SetMonth(std::int64_t month)
{
    RequireMainThread();
    const QDate shown = ShownDate();
    ShowField(ClampedDate(Widget(*this), shown.year(), month, shown.day()));
}

void DateControl::SetDay(std::int64_t day)
{
    RequireMainThread();
    const QDate shown = ShownDate();
    ShowField(ClampedDate(Widget(*this), shown.year(), shown.month(), day));
}

bool DateControl::CanShow(const Date& value) const
{
    RequireMainThread();
    const QDateEdit* edit = Widget(*this);
    const std::int64_t year = value.Year();
    if (year < edit->minimumDate().year() || year > edit->maximumDate().year())
        return false;
    const QDate date(int(year), int(value.Month()), int(value.Day()));
    return edit->minimumDate() <= date && date <= edit->maximumDate();
}

std::int64_t DateControl::DateFormat() const
{
    RequireMainThread();
    return m_dateFormat;
}

void DateControl::SetDateFormat(std::int64_t format)
{
    RequireMainThread();
    m_dateFormat = format;
}

bool DateControl::LinuxDropDownMode() const
{
    RequireMainThread();
    return Widget(*this)->calendarPopup();
}

void DateControl::SetLinuxDropDownMode(bool dropDown)
{
    RequireMainThread();
    Widget(*this)->setCalendarPopup(dropDown);
}
