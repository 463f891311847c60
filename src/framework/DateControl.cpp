#include "DateControl.h"

#include "UiThread.h"

#include <QDateEdit>
#include <QLocale>

#include <algorithm>
#include <utility>

namespace {

QDateEdit* Widget(const DateControl& picker)
{
    return static_cast<QDateEdit*>(picker.NativeWidget());
}

// The locale's short date, but always with the full year: a two-digit year
// section would make the picker read years as 19xx or 20xx. Made once for
// each locale the pickers are made in, not for each picker.
const QString& DisplayFormat()
{
    static QLocale madeFor;
    static QString full;
    const QLocale locale;
    if (!full.isEmpty() && locale == madeFor)
        return full;
    // Every run of y becomes yyyy.
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    full.clear();
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != QLatin1Char('y'))
            full += format[i];
        else if (i == 0 || format[i - 1] != QLatin1Char('y'))
            full += QStringLiteral("yyyy");
    }
    madeFor = locale;
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
        return ClassInfo("DateControl", &PickerControl::StaticClassInfo(), std::move(properties));
    }();
    return info;
}

// A picker added to an open window starts with today's date.
DateControl::DateControl() : PickerControl(NewWidget<QDateEdit>(QDate::currentDate()))
{
    QDateEdit* edit = Widget(*this);
    edit->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    SetDisplayFormat(DisplayFormat());
    edit->setCalendarPopup(true);
}

void DateControl::RaiseValueChanged()
{
    ValueChanged.Raise(*this);
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
        ShowStartValue();
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
