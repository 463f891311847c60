#include "TimeControl.h"

#include "UiThread.h"

#include <QTimeEdit>

#include <algorithm>

namespace {
QTimeEdit* Widget(const TimeControl& picker)
{
    return static_cast<QTimeEdit*>(picker.NativeWidget());
}
} // namespace

const ClassInfo& TimeControl::StaticClassInfo()
{
    static const ClassInfo info = [] {
        std::vector<PropertyInfo> properties{
            MakeProperty("Hours", PropertyType::Integer, &TimeControl::Hours, &TimeControl::SetHours),
            MakeProperty("Minutes", PropertyType::Integer, &TimeControl::Minutes, &TimeControl::SetMinutes),
            MakeProperty("Seconds", PropertyType::Integer, &TimeControl::Seconds, &TimeControl::SetSeconds),
            MakeProperty("ShowSeconds", PropertyType::Boolean, &TimeControl::ShowSeconds, &TimeControl::SetShowSeconds),
            MakeProperty("TimeFormat", PropertyType::Integer, &TimeControl::TimeFormat, &TimeControl::SetTimeFormat),
        };
        return ClassInfo("TimeControl", &PickerControl::StaticClassInfo(), std::move(properties));
    }();
    return info;
}

// A picker added to an open window starts at midnight.
TimeControl::TimeControl() : PickerControl(NewWidget<QTimeEdit>(QTime(0, 0, 0)))
{
    UpdateDisplayFormat();
}

void TimeControl::RaiseValueChanged()
{
    ValueChanged.Raise(*this);
}

void TimeControl::ShowFields(std::int64_t hours, std::int64_t minutes, std::int64_t seconds)
{
    ShowTime(QTime(int(std::clamp<std::int64_t>(hours, 0, 23)), int(std::clamp<std::int64_t>(minutes, 0, 59)),
                   int(std::clamp<std::int64_t>(seconds, 0, 59))));
}

void TimeControl::SetTimeValue(const Date& value)
{
    RequireMainThread();
    ShowFields(value.Hour(), value.Minute(), value.Second());
    m_offsetHint = value.UtcOffsetHint();
}

void TimeControl::SetTimeValue(const std::optional<Date>& value)
{
    RequireMainThread();
    if (value) {
        SetTimeValue(*value);
        return;
    }
    ShowStartValue();
    m_offsetHint.reset();
}

std::optional<std::int64_t> TimeControl::UtcOffsetHint() const
{
    RequireMainThread();
    return m_offsetHint;
}

std::int64_t TimeControl::Hours() const
{
    RequireMainThread();
    return Widget(*this)->time().hour();
}

std::int64_t TimeControl::Minutes() const
{
    RequireMainThread();
    return Widget(*this)->time().minute();
}

std::int64_t TimeControl::Seconds() const
{
    RequireMainThread();
    return Widget(*this)->time().second();
}

void TimeControl::SetHours(std::int64_t hours)
{
    RequireMainThread();
    ShowFields(hours, Minutes(), Seconds());
}

void TimeControl::SetMinutes(std::int64_t minutes)
{
    RequireMainThread();
    ShowFields(Hours(), minutes, Seconds());
}

void TimeControl::SetSeconds(std::int64_t seconds)
{
    RequireMainThread();
    ShowFields(Hours(), Minutes(), seconds);
}

bool TimeControl::ShowSeconds() const
{
    RequireMainThread();
    return m_showSeconds;
}

void TimeControl::SetShowSeconds(bool show)
{
    RequireMainThread();
    m_showSeconds = show;
    UpdateDisplayFormat();
}

std::int64_t TimeControl::TimeFormat() const
{
    RequireMainThread();
    return m_timeFormat;
}

void TimeControl::SetTimeFormat(std::int64_t format)
{
    RequireMainThread();
    m_timeFormat = format;
    UpdateDisplayFormat();
}

void TimeControl::UpdateDisplayFormat()
{
    QString format = m_timeFormat == 1 ? QStringLiteral("h:mm") : QStringLiteral("HH:mm");
    if (m_showSeconds)
        format += QStringLiteral(":ss");
    if (m_timeFormat == 1)
        format += QStringLiteral(" AP");
    SetDisplayFormat(format);
}

