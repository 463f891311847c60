// The date and time pickers: their design-time lists, the values they read
// back, and when ValueChanged comes.
#include "framework/Date.h"
#include "framework/DateControl.h"
#include "framework/PropertyList.h"
#include "framework/TimeControl.h"
#include "framework/Window.h"

#include <QApplication>
#include <QDateEdit>
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace {

constexpr std::int64_t kNotIndexed = -2147483648LL;

Date MakeDate(std::int64_t year, std::int64_t month, std::int64_t day, std::int64_t hour, std::int64_t minute,
              std::int64_t second)
{
    Date d;
    d.SetYear(year);
    d.SetMonth(month);
    d.SetDay(day);
    d.SetHour(hour);
    d.SetMinute(minute);
    d.SetSecond(second);
    return d;
}

QDateEdit* DateEdit(const DateControl& picker)
{
    return static_cast<QDateEdit*>(picker.NativeWidget());
}

QTimeEdit* TimeEdit(const TimeControl& picker)
{
    return static_cast<QTimeEdit*>(picker.NativeWidget());
}

// The twelve font entries both picker lists hold, in their order. The sizes
// are singles, the text units 64-bit integers.
PropertyList& PickerFonts(PropertyList& list)
{
    return list.String("MacTextFont", "System")
        .Single("MacTextSize", 0)
        .Boolean("MacFontBold", false)
        .String("WinTextFont", "System")
        .Single("WinTextSize", 0)
        .Integer("WinTextUnit", 0)
        .Boolean("WinFontBold", false)
        .String("LinuxTextFont", "System")
        .Single("LinuxTextSize", 0)
        .Integer("LinuxTextUnit", 0)
        .Boolean("LinuxFontBold", false);
}

PropertyList Common(const std::string& name, std::int64_t left, std::int64_t top, std::int64_t width,
                    std::int64_t height, bool lockRight, std::int64_t tabIndex)
{
    PropertyList list;
    list.String("Name", name)
        .Integer("Index", kNotIndexed)
        .Integer("Left", left)
        .Integer("Top", top)
        .Integer("Width", width)
        .Integer("Height", height)
        .Boolean("LockLeft", true)
        .Boolean("LockTop", true)
        .Boolean("LockRight", lockRight)
        .Boolean("LockBottom", false)
        .Integer("TabPanelIndex", 0)
        .Integer("TabIndex", tabIndex);
    return list;
}

// Pickers placed in a bare, shown window; the window is released at the end.
class PickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<Window>();
        window->Constructor();
    }

    void TearDown() override
    {
        window->Close();
        window.reset();
        // The closed window is released from the event loop; let that happen
        // now rather than during the application's teardown.
        QCoreApplication::sendPostedEvents();
    }

    template <class T>
    T& Add(const std::string& name)
    {
        return static_cast<T&>(window->_AddControl(name, std::make_unique<T>()));
    }

    std::shared_ptr<Window> window;
};

// --- Design-time lists ----------------------------------------------------------

TEST_F(PickerTest, DatePickerListShowsTheFirstOfJanuary2017Disabled)
{
    DateControl& picker = Add<DateControl>("dcCreatedDate");
    int changes = 0;
    picker.ValueChanged.Bind([&](DateControl&) { ++changes; });
    PropertyList list = Common("dcCreatedDate", 121, 368, 115, 23, false, 4);
    list.Boolean("TabStop", true)
        .String("InitialParent", "")
        .Boolean("Visible", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .Boolean("Enabled", false)
        .Integer("Year", 2017)
        .Integer("Month", 0)
        .Integer("Day", 0);
    PickerFonts(list)
        .Integer("DateFormat", 4)
        .Boolean("EmptyDates", false)
        .Boolean("Checked", false)
        .Boolean("OSXDropDownMode", true)
        .Boolean("LinuxDropDownMode", true);
    _SetProperties(picker, list.Bytes());

    // Month 0 and day 0 show as the first month and the first day.
    EXPECT_EQ(picker.Year(), 2017);
    EXPECT_EQ(picker.Month(), 1);
    EXPECT_EQ(picker.Day(), 1);
    EXPECT_FALSE(picker.Enabled());
    EXPECT_EQ(picker.DateFormat(), 4);
    EXPECT_TRUE(picker.LinuxDropDownMode());
    EXPECT_TRUE(DateEdit(picker)->calendarPopup());
    EXPECT_EQ(std::get<bool>(GetPropertyValue(picker, "OSXDropDownMode")), true);
    EXPECT_EQ(std::get<std::int64_t>(GetPropertyValue(picker, "WinTextUnit")), 0);
    EXPECT_EQ(picker.NativeWidget()->geometry(), QRect(121, 368, 115, 23));
    EXPECT_TRUE(DateEdit(picker)->text().contains("2017"));
    EXPECT_EQ(changes, 0);
}

TEST_F(PickerTest, TimePickerListShowsMidnightWithSeconds)
{
    TimeControl& picker = Add<TimeControl>("tcCreatedTime");
    picker.SetTimeValue(MakeDate(2020, 5, 6, 7, 8, 9));
    int changes = 0;
    picker.ValueChanged.Bind([&](TimeControl&) { ++changes; });
    PropertyList list = Common("tcCreatedTime", 243, 368, 107, 23, true, 5);
    list.Boolean("TabStop", true)
        .String("InitialParent", "")
        .Boolean("Visible", true)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .Boolean("Enabled", false)
        .Integer("Hours", 0)
        .Integer("Minutes", 0)
        .Integer("Seconds", 0)
        .Boolean("ShowSeconds", true);
    PickerFonts(list).Integer("TimeFormat", 0);
    _SetProperties(picker, list.Bytes());

    EXPECT_EQ(picker.Hours(), 0);
    EXPECT_EQ(picker.Minutes(), 0);
    EXPECT_EQ(picker.Seconds(), 0);
    EXPECT_TRUE(picker.ShowSeconds());
    EXPECT_EQ(picker.TimeFormat(), 0);
    EXPECT_FALSE(picker.Enabled());
    EXPECT_TRUE(picker.LockRight());
    EXPECT_EQ(TimeEdit(picker)->text(), "00:00:00");
    EXPECT_EQ(changes, 0);
}

TEST_F(PickerTest, PickerTextUnitsAreEightBytesWide)
{
    DateControl& date = Add<DateControl>("d");
    TimeControl& time = Add<TimeControl>("t");
    // A one-byte unit leaves the list short for the 8-byte declared width.
    EXPECT_THROW(_SetProperties(date, PropertyList().FontUnit("LinuxTextUnit", 0).Bytes()),
                 UnsupportedFormatException);
    EXPECT_THROW(_SetProperties(time, PropertyList().FontUnit("WinTextUnit", 0).Bytes()),
                 UnsupportedFormatException);

    _SetProperties(date, PropertyList().Integer("LinuxTextUnit", 1).Single("LinuxTextSize", 20).Bytes());
    EXPECT_EQ(date.LinuxTextUnit(), 1);
    EXPECT_EQ(date.NativeWidget()->font().pixelSize(), 20);
    _SetProperties(time, PropertyList().Single("LinuxTextSize", 15).Integer("LinuxTextUnit", 2).Boolean("LinuxFontBold", true).Bytes());
    EXPECT_FLOAT_EQ(time.NativeWidget()->font().pointSizeF(), 15) << "unit 2 is points";
    EXPECT_TRUE(time.NativeWidget()->font().bold());
}

// --- Values ---------------------------------------------------------------------

TEST_F(PickerTest, ValuesReadBackNumberedAsDateNumbersThem)
{
    DateControl& date = Add<DateControl>("d");
    TimeControl& time = Add<TimeControl>("t");
    const Date value = MakeDate(2024, 12, 31, 23, 59, 58);
    date.SetDateValue(value);
    time.SetTimeValue(value);

    EXPECT_EQ(date.Year(), 2024);
    EXPECT_EQ(date.Month(), 12);
    EXPECT_EQ(date.Day(), 31);
    EXPECT_EQ(time.Hours(), 23);
    EXPECT_EQ(time.Minutes(), 59);
    EXPECT_EQ(time.Seconds(), 58);

    // Handed to the Date setters of the same names, they give the value back.
    Date back;
    back.SetYear(date.Year());
    back.SetMonth(date.Month());
    back.SetDay(date.Day());
    back.SetHour(time.Hours());
    back.SetMinute(time.Minutes());
    back.SetSecond(time.Seconds());
    EXPECT_EQ(back, value);
}

TEST_F(PickerTest, NoneLeavesTheShownValue)
{
    DateControl& date = Add<DateControl>("d");
    TimeControl& time = Add<TimeControl>("t");
    date.SetDateValue(MakeDate(2001, 2, 3, 4, 5, 6));
    time.SetTimeValue(MakeDate(2001, 2, 3, 4, 5, 6));
    date.SetDateValue(std::optional<Date>());
    time.SetTimeValue(std::optional<Date>());
    EXPECT_EQ(date.Day(), 3);
    EXPECT_EQ(time.Seconds(), 6);
    date.SetDateValue(std::optional<Date>(MakeDate(2009, 8, 7, 0, 0, 0)));
    EXPECT_EQ(date.Year(), 2009);
}

TEST_F(PickerTest, FieldSettersKeepTheOtherFieldsAndStayInRange)
{
    DateControl& date = Add<DateControl>("d");
    date.SetDateValue(MakeDate(2023, 1, 31, 0, 0, 0));
    date.SetMonth(4);
    EXPECT_EQ(date.Day(), 30) << "31 April shows as the last day of April";
    date.SetYear(2024);
    date.SetMonth(13);
    EXPECT_EQ(date.Month(), 12);
    EXPECT_EQ(date.Year(), 2024);

    TimeControl& time = Add<TimeControl>("t");
    time.SetTimeValue(MakeDate(2023, 1, 1, 10, 20, 30));
    time.SetMinutes(75);
    EXPECT_EQ(time.Hours(), 10);
    EXPECT_EQ(time.Minutes(), 59);
    EXPECT_EQ(time.Seconds(), 30);
}

TEST_F(PickerTest, DisabledPickersKeepAndShowTheirValues)
{
    DateControl& date = Add<DateControl>("d");
    TimeControl& time = Add<TimeControl>("t");
    date.SetDateValue(MakeDate(2019, 6, 15, 8, 9, 10));
    time.SetTimeValue(MakeDate(2019, 6, 15, 8, 9, 10));
    date.SetEnabled(false);
    time.SetEnabled(false);
    EXPECT_EQ(date.Year(), 2019);
    EXPECT_TRUE(DateEdit(date)->text().contains("2019"));
    EXPECT_EQ(TimeEdit(time)->text(), "08:09:10");

    // A set while disabled still shows.
    date.SetDateValue(MakeDate(2020, 7, 16, 11, 12, 13));
    time.SetTimeValue(MakeDate(2020, 7, 16, 11, 12, 13));
    EXPECT_TRUE(DateEdit(date)->text().contains("2020"));
    EXPECT_EQ(TimeEdit(time)->text(), "11:12:13");
}

TEST_F(PickerTest, ShowSecondsAndTwelveHourClock)
{
    TimeControl& time = Add<TimeControl>("t");
    time.SetTimeValue(MakeDate(2020, 1, 1, 14, 5, 9));
    time.SetShowSeconds(false);
    EXPECT_EQ(TimeEdit(time)->text(), "14:05");
    time.SetShowSeconds(true);
    time.SetTimeFormat(1);
    // The AM/PM text is the locale's; the clock part is fixed.
    EXPECT_TRUE(TimeEdit(time)->text().startsWith("2:05:09 ")) << TimeEdit(time)->text().toStdString();
}

// --- ValueChanged ---------------------------------------------------------------

TEST_F(PickerTest, UserEditOfTheDateRaisesValueChangedOnce)
{
    DateControl& picker = Add<DateControl>("d");
    picker.SetDateValue(MakeDate(2021, 3, 15, 0, 0, 0));
    int changes = 0;
    picker.ValueChanged.Bind([&](DateControl& sender) {
        EXPECT_EQ(&sender, &picker);
        ++changes;
    });
    QDateEdit* edit = DateEdit(picker);
    edit->setFocus();
    edit->setCurrentSection(QDateTimeEdit::YearSection);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(picker.Year(), 2022);
    EXPECT_EQ(picker.Month(), 3);
    EXPECT_EQ(picker.Day(), 15);

    edit->setCurrentSection(QDateTimeEdit::MonthSection);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(picker.Month(), 2);
}

TEST_F(PickerTest, UserEditOfTheTimeRaisesValueChangedOnce)
{
    TimeControl& picker = Add<TimeControl>("t");
    picker.SetTimeValue(MakeDate(2021, 3, 15, 9, 30, 0));
    int changes = 0;
    picker.ValueChanged.Bind([&](TimeControl&) { ++changes; });
    QTimeEdit* edit = TimeEdit(picker);
    edit->setFocus();
    edit->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(picker.Hours(), 10);
    EXPECT_EQ(picker.Minutes(), 30);
}

TEST_F(PickerTest, ProgramSetsNeverRaiseValueChanged)
{
    DateControl& date = Add<DateControl>("d");
    TimeControl& time = Add<TimeControl>("t");
    int changes = 0;
    date.ValueChanged.Bind([&](DateControl&) { ++changes; });
    time.ValueChanged.Bind([&](TimeControl&) { ++changes; });

    date.SetDateValue(MakeDate(2010, 10, 10, 10, 10, 10));
    time.SetTimeValue(MakeDate(2010, 10, 10, 10, 10, 10));
    date.SetYear(2011);
    date.SetMonth(11);
    date.SetDay(11);
    time.SetHours(11);
    time.SetMinutes(11);
    time.SetSeconds(11);
    time.SetShowSeconds(false);
    _SetProperties(date, PropertyList().Integer("Year", 2012).Bytes());
    _SetProperties(time, PropertyList().Integer("Hours", 12).Bytes());
    // Nothing may arrive later from the event loop either.
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(date.Year(), 2012);
    EXPECT_EQ(time.Hours(), 12);
}

TEST_F(PickerTest, DisabledPickerTakesNoUserEdit)
{
    DateControl& picker = Add<DateControl>("d");
    picker.SetDateValue(MakeDate(2021, 3, 15, 0, 0, 0));
    picker.SetEnabled(false);
    int changes = 0;
    picker.ValueChanged.Bind([&](DateControl&) { ++changes; });
    DateEdit(picker)->setCurrentSection(QDateTimeEdit::YearSection);
    QTest::keyClick(DateEdit(picker), Qt::Key_Up);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(picker.Year(), 2021);
}

} // namespace
