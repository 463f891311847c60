// The date and time pickers: their design-time lists, the values they read
// back, and when ValueChanged comes.
#include "WindowHost.h"

#include "framework/Date.h"
#include "framework/DateControl.h"
#include "framework/Localization.h"
#include "framework/TimeControl.h"

#include <QApplication>
#include <QDateEdit>
#include <QGlyphRun>
#include <QLineEdit>
#include <QTest>
#include <QTextLayout>
#include <QTimeEdit>

#include <array>
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

// While it lives, pickers are made in this locale, as in a program started
// with it.
class ScopedDefaultLocale {
public:
    explicit ScopedDefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~ScopedDefaultLocale() { QLocale::setDefault(m_saved); }
    ScopedDefaultLocale(const ScopedDefaultLocale&) = delete;
    ScopedDefaultLocale& operator=(const ScopedDefaultLocale&) = delete;

private:
    QLocale m_saved;
};

// Where the user sees a stretch of a line edit's text: the middle of its
// glyphs as the line edit lays the text out (its font; the direction of the
// text, which Qt takes from its first strong character), in the line edit's
// coordinates, whose text starts 2 pixels in.
QPoint DrawnAt(const QLineEdit& line, qsizetype from, qsizetype length)
{
    QTextLayout layout(line.text(), line.font());
    QTextOption option;
    option.setTextDirection(Qt::LayoutDirectionAuto);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QRectF glyphs;
    for (const QGlyphRun& run : layout.glyphRuns(int(from), int(length)))
        glyphs |= run.boundingRect();
    return {line.contentsRect().left() + 2 + qRound(glyphs.center().x()), line.height() / 2};
}

// A double-click as the desktop delivers it: a click, then a second press,
// reported also as a double-click, and its release.
void DoubleClick(QWidget* widget, QPoint point)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, point);
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

TEST_F(PickerTest, TheFieldSelectedWhereItIsDrawnIsTheOneKeysAndTypingChange)
{
    // Each field of both pickers in turn, double-clicked where it is drawn:
    // it is highlighted, Up steps it, a number typed in the locale's digits
    // goes into it, and Tab goes on to the field drawn right of it; the
    // other fields keep their values.
    const struct {
        const char* locale;
        const char* shows;
    } rows[] = {
        {"ar_EG", "right-to-left marks after the day and the month, Arabic-Indic digits"},
        {"fa_IR", "the year first, Persian digits"},
        {"ur_PK", "a two-digit year widened"},
        {"he_IL", "Latin digits in a right-to-left language"},
        {"de_DE", "left to right throughout"},
        {"ccp_BD", "digits of two UTF-16 units each"},
        {"ff_Adlm_SN", "right-to-left digits of two UTF-16 units each"},
    };
    // 2025-03-09 09:30:15, numbered as Date numbers it.
    using Fields = std::array<std::int64_t, 6>;
    constexpr Fields start{2025, 3, 9, 9, 30, 15};
    constexpr Fields typed{2031, 11, 27, 21, 45, 58};
    int made = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.locale) + ": " + row.shows);
        std::optional<ScopedDefaultLocale> locale(std::in_place, QLocale(row.locale));
        DateControl& d = Add<DateControl>("d" + std::to_string(++made));
        TimeControl& t = Add<TimeControl>("t" + std::to_string(made));
        locale.reset();
        const auto shown = [&] { return Fields{d.Year(), d.Month(), d.Day(), t.Hours(), t.Minutes(), t.Seconds()}; };
        const auto reset = [&] {
            d.SetDateValue(MakeDate(start[0], start[1], start[2], 0, 0, 0));
            t.SetTimeValue(MakeDate(2000, 1, 1, start[3], start[4], start[5]));
        };
        reset();
        for (const std::size_t first : {0, 3}) { // the date's fields, then the time's
            auto* edit = static_cast<QDateTimeEdit*>((first == 0 ? static_cast<RectControl&>(d) : t).NativeWidget());
            auto* line = edit->findChild<QLineEdit*>();
            QLocale digits = edit->locale();
            digits.setNumberOptions(QLocale::OmitGroupSeparator);
            std::array<QPoint, 3> drawn;
            for (std::size_t i = 0; i < drawn.size(); ++i) {
                const QString number = digits.toString(start[first + i]);
                const qsizetype at = line->text().indexOf(number);
                ASSERT_GE(at, 0) << line->text().toStdString();
                drawn[i] = DrawnAt(*line, at, number.size());
                const int cursor = line->cursorPositionAt(drawn[i]);
                ASSERT_TRUE(cursor >= at && cursor <= at + number.size()) << "drawn where the line edit has it";
            }
            for (std::size_t i = 0; i < drawn.size(); ++i) {
                const std::size_t field = first + i;
                const auto select = [&] {
                    reset();
                    edit->setFocus();
                    DoubleClick(line, drawn[i]);
                    EXPECT_EQ(digits.toInt(line->selectedText()), start[field]) << "highlighted: '"
                        << line->selectedText().toStdString() << "' in " << line->text().toStdString();
                };
                Fields want = start;
                ++want[field];
                select();
                QTest::keyClick(edit, Qt::Key_Up);
                EXPECT_EQ(shown(), want) << "Up in field " << field;
                want = start;
                want[field] = typed[field];
                select();
                for (const QChar digit : digits.toString(typed[field]))
                    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(digit), Qt::NoModifier);
                EXPECT_EQ(shown(), want) << "typed into field " << field;
                std::optional<std::size_t> right;
                for (std::size_t j = 0; j < drawn.size(); ++j) {
                    if (drawn[j].x() > drawn[i].x() && (!right || drawn[j].x() < drawn[*right].x()))
                        right = j;
                }
                if (!right)
                    continue;
                want = start;
                ++want[first + *right];
                select();
                QTest::keyClick(edit, Qt::Key_Tab);
                QTest::keyClick(edit, Qt::Key_Up);
                EXPECT_EQ(shown(), want) << "Tab and Up from field " << field;
            }
        }
    }
}

TEST_F(PickerTest, InEveryLocaleTheDateHoldsNoInvisibleCharacters)
{
    // Nothing that a copied date would carry along unseen, and only digits
    // the editor reads one by one. (The time picker's format is its own; of
    // the locale it takes only the digits, which the table above covers.)
    int made = 0;
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        std::optional<ScopedDefaultLocale> scoped(std::in_place, locale);
        DateControl& d = Add<DateControl>("d" + std::to_string(++made));
        scoped.reset();
        d.SetDateValue(MakeDate(2025, 3, 9, 0, 0, 0));
        const QString text = static_cast<QDateEdit*>(d.NativeWidget())->text();
        EXPECT_FALSE(std::any_of(text.begin(), text.end(), [](QChar c) {
            return c.category() == QChar::Other_Format || c.isSurrogate();
        })) << locale.name().toStdString() << ": " << text.toStdString();
    }
}

} // namespace
