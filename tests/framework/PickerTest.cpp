// The date and time pickers: their design-time lists, the values they read
// back, and when ValueChanged comes.
#include "WindowHost.h"

#include "framework/Date.h"
#include "framework/DateControl.h"
#include "framework/Localization.h"
#include "framework/TimeControl.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>

#include <optional>

namespace {

// A Date of these local fields, set one by one as the program sets them.
Date MakeDate(std::int64_t year, std::int64_t month, std::int64_t day, std::int64_t hour, std::int64_t minute,
              std::int64_t second)
{
    Date d;
    for (auto [set, value] : {std::pair{&Date::SetYear, year}, {&Date::SetMonth, month}, {&Date::SetDay, day},
                              {&Date::SetHour, hour}, {&Date::SetMinute, minute}, {&Date::SetSecond, second}})
        (d.*set)(value);
    return d;
}

// A date and a time picker counting their ValueChanged events.
class PickerTest : public WindowHost<> {
protected:
    void SetUp() override
    {
        date.ValueChanged.Bind([this](DateControl& sender) {
            EXPECT_EQ(&sender, &date);
            ++dateChanges;
        });
        time.ValueChanged.Bind([this](TimeControl&) { ++timeChanges; });
    }
    // A user's key press in one section of a picker.
    static void Press(QDateTimeEdit* edit, QDateTimeEdit::Section section, Qt::Key key)
    {
        edit->setFocus();
        edit->setCurrentSection(section);
        QTest::keyClick(edit, key);
    }

    DateControl& date = Add<DateControl>("d");
    TimeControl& time = Add<TimeControl>("t");
    QDateEdit* dateEdit = static_cast<QDateEdit*>(date.NativeWidget());
    QTimeEdit* timeEdit = static_cast<QTimeEdit*>(time.NativeWidget());
    int dateChanges = 0;
    int timeChanges = 0;
};

TEST_F(PickerTest, ValuesReadBackNumberedAsDateNumbersThemAndStayInRange)
{
    const QDate made = dateEdit->date();
    const Date value = MakeDate(2024, 12, 31, 23, 59, 58);
    date.SetDateValue(value);
    time.SetTimeValue(value);
    // Handed to the Date setters of the same names, they give the value back.
    EXPECT_EQ(MakeDate(date.Year(), date.Month(), date.Day(), time.Hours(), time.Minutes(), time.Seconds()), value);

    // No value shows the start value; added to a window already open, the
    // pickers start with what they were made with.
    date.SetDateValue(std::optional<Date>());
    time.SetTimeValue(std::optional<Date>());
    EXPECT_EQ(dateEdit->date(), made);
    EXPECT_EQ(timeEdit->time(), QTime(0, 0));
    EXPECT_EQ(dateChanges + timeChanges, 0);
    date.SetDateValue(value);
    time.SetTimeValue(value);
    // A field set alone keeps the others and stays in range.
    date.SetMonth(4);
    EXPECT_EQ(dateEdit->date(), QDate(2024, 4, 30)) << "31 April shows as the last day of April";
    date.SetMonth(13);
    EXPECT_EQ(date.Month(), 12);
    time.SetMinutes(0);
    time.SetMinutes(75);
    EXPECT_EQ(timeEdit->time(), QTime(23, 59, 58));
}

TEST_F(PickerTest, UserEditRaisesValueChangedOnce)
{
    date.SetDateValue(MakeDate(2021, 3, 15, 9, 30, 0));
    time.SetTimeValue(MakeDate(2021, 3, 15, 9, 30, 0));
    // Return takes the shown value as it is: no change.
    Press(dateEdit, QDateTimeEdit::YearSection, Qt::Key_Return);
    Press(timeEdit, QDateTimeEdit::HourSection, Qt::Key_Return);
    EXPECT_EQ(dateChanges + timeChanges, 0);
    Press(dateEdit, QDateTimeEdit::YearSection, Qt::Key_Up);
    EXPECT_EQ(dateChanges, 1);
    EXPECT_EQ(date.Year(), 2022);
    EXPECT_EQ(date.Day(), 15);

    Press(timeEdit, QDateTimeEdit::HourSection, Qt::Key_Up);
    Press(timeEdit, QDateTimeEdit::HourSection, Qt::Key_Return);
    EXPECT_EQ(timeChanges, 1);
    EXPECT_EQ(time.Hours(), 10);
    EXPECT_EQ(time.Minutes(), 30);
    EXPECT_EQ(dateChanges, 1);
}

TEST_F(PickerTest, AValueSetByTheProgramStartsTheUndoHistoryAfresh)
{
    // Typed, then shown by the program as typed: the same text, nothing to undo.
    for (QDateTimeEdit* edit : {static_cast<QDateTimeEdit*>(dateEdit), static_cast<QDateTimeEdit*>(timeEdit)}) {
        date.SetDateValue(MakeDate(2021, 3, 15, 9, 30, 0));
        time.SetTimeValue(MakeDate(2021, 3, 15, 9, 30, 0));
        edit->setFocus();
        edit->setSelectedSection(edit->sectionAt(0));
        QTest::keyClicks(edit, "11");
        auto* line = edit->findChild<QLineEdit*>();
        ASSERT_TRUE(line->isUndoAvailable());
        const QString typed = line->text();
        date.SetDateValue(MakeDate(2021, 3, 11, 11, 30, 0));
        time.SetTimeValue(MakeDate(2021, 3, 11, 11, 30, 0));
        EXPECT_EQ(line->text(), typed);
        EXPECT_FALSE(line->isUndoAvailable()) << line->text().toStdString();
    }
}

TEST_F(PickerTest, QtsRightToLeftTranslationLeavesTheLayoutAndTheTimeLeftToRight)
{
    InstallTranslations(QLocale("he_IL"));
    ASSERT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel") << "Qt's Hebrew translation";
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    time.SetTimeValue(MakeDate(2024, 5, 6, 12, 23, 2));
    EXPECT_EQ(timeEdit->text(), "12:23:02");
    EXPECT_TRUE(timeEdit->isLeftToRight() && dateEdit->isLeftToRight());
    InstallTranslations(QLocale::c());
}

TEST_F(PickerTest, ProgramSetsAndListsShowWithoutEverRaisingValueChanged)
{
    date.SetDateValue(MakeDate(2010, 10, 10, 10, 10, 10));
    time.SetTimeValue(MakeDate(2010, 10, 10, 10, 10, 10));
    date.SetYear(2011);
    time.SetHours(11);
    time.SetSeconds(11);
    EXPECT_EQ(dateEdit->date(), QDate(2011, 10, 10));
    EXPECT_EQ(timeEdit->time(), QTime(11, 10, 11));
    _SetProperties(date, PropertyList()
                             .Integer("Year", 2017)
                             .Integer("Month", 0)
                             .Integer("Day", 0)
                             .Single("LinuxTextSize", 20)
                             .Boolean("LinuxDropDownMode", true)
                             .Bytes());
    _SetProperties(time, PropertyList().Integer("Hours", 0).Integer("Minutes", 0).Integer("Seconds", 0).Bytes());
    QApplication::processEvents(); // nothing may come later from the event loop either
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(dateChanges + timeChanges, 0);
    // Month 0 and day 0 show as the first month and the first day.
    EXPECT_EQ(dateEdit->date(), QDate(2017, 1, 1));
    EXPECT_TRUE(dateEdit->calendarPopup());
    EXPECT_EQ(dateEdit->font().pixelSize(), 20);
    EXPECT_EQ(timeEdit->text(), "00:00:00");
}

TEST_F(PickerTest, DisabledPickerKeepsAndShowsItsValueAndTakesNoUserEdit)
{
    date.SetDateValue(MakeDate(2019, 6, 15, 8, 9, 10));
    date.SetEnabled(false);
    time.SetEnabled(false);
    time.SetTimeValue(MakeDate(2019, 6, 15, 8, 9, 10)); // a set while disabled still shows
    Press(dateEdit, QDateTimeEdit::YearSection, Qt::Key_Up);
    Press(timeEdit, QDateTimeEdit::HourSection, Qt::Key_Up);
    EXPECT_EQ(dateChanges + timeChanges, 0);
    EXPECT_EQ(date.Year(), 2019);
    EXPECT_TRUE(dateEdit->text().contains("2019"));
    EXPECT_EQ(timeEdit->text(), "08:09:10");
}

} // namespace
