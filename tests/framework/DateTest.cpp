// Date: fields set one by one, daylight-saving changes, out-of-range fields
// and the texts the details list shows. The expected instants are Berlin
// wall-clock times (the test main pins the zone).
#include "framework/Date.h"

#include "support/TestSupport.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <utility>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kLastYear = 999'999'999;

// Year, month, day, hour, minute, second.
using Fields = std::array<std::int64_t, 6>;

Fields FieldsOf(const Date& d)
{
    return {d.Year(), d.Month(), d.Day(), d.Hour(), d.Minute(), d.Second()};
}

// Sets the fields one by one onto a running value, largest or smallest first.
Date SetFields(Date d, const Fields& f, bool largestFirst = true)
{
    using Setter = void (Date::*)(std::int64_t);
    const Setter setters[] = {&Date::SetYear, &Date::SetMonth, &Date::SetDay,
                              &Date::SetHour, &Date::SetMinute, &Date::SetSecond};
    for (int i = 0; i < 6; ++i) {
        const int field = largestFirst ? i : 5 - i;
        (d.*setters[field])(f[field]);
    }
    return d;
}

Date Make(const Fields& f) { return SetFields(Date::FromSecondsSinceEpoch(0), f); }

TEST(DateTest, FieldsSetOneByOneOnThe31stGiveThePickedDay)
{
    const std::pair<Fields, std::int64_t> targets[] = {
        {{2025, 2, 15, 10, 0, 0}, 1739610000},
        {{2024, 2, 29, 10, 0, 0}, 1709197200},
    };
    // 31 January, 31 March (summer time)
    for (std::int64_t start : {1738321200LL, 1743402600LL}) {
        ASSERT_EQ(Date::FromSecondsSinceEpoch(start).Day(), 31);
        for (const auto& [fields, instant] : targets) {
            for (bool largestFirst : {true, false}) {
                SCOPED_TRACE(testing::Message() << start << " -> " << instant << " " << largestFirst);
                const Date d = SetFields(Date::FromSecondsSinceEpoch(start), fields, largestFirst);
                EXPECT_EQ(FieldsOf(d), fields);
                EXPECT_EQ(d.SecondsSinceEpoch(), instant);
            }
        }
    }
    // And on today, whatever day it is.
    EXPECT_EQ(SetFields(Date(), targets[0].first).SecondsSinceEpoch(), 1739610000);
}

TEST(DateTest, DaylightSavingGapMovesForwardAndOverlapTakesTheEarlierInstant)
{
    // 30 March 2025: 02:00-03:00 is skipped; 02:30 CET is 03:30 CEST.
    const Date gap = Make({2025, 3, 30, 2, 30, 0});
    EXPECT_EQ(gap.SecondsSinceEpoch(), 1743298200);
    EXPECT_EQ(FieldsOf(gap), (Fields{2025, 3, 30, 2, 30, 0}));
    EXPECT_EQ(FieldsOf(Date::FromSecondsSinceEpoch(1743298200)), (Fields{2025, 3, 30, 3, 30, 0}));

    // 26 October 2025: 02:00-03:00 runs twice; 02:30 is the CEST one.
    EXPECT_EQ(Make({2025, 10, 26, 2, 30, 0}).SecondsSinceEpoch(), 1761438600);
    // A Date from the second 02:30 stays that instant until a field is set.
    Date later = Date::FromSecondsSinceEpoch(1761442200);
    EXPECT_EQ(FieldsOf(later), (Fields{2025, 10, 26, 2, 30, 0}));
    EXPECT_EQ(later.SecondsSinceEpoch(), 1761442200);
    later.SetSecond(0);
    EXPECT_EQ(later.SecondsSinceEpoch(), 1761438600);
}

TEST(DateTest, RepeatedTimeIsTheOccurrenceOfTheOffsetHintWhereTheHintFits)
{
    // 26 October 2025 in Berlin and 6 April 2025 in Sydney: 02:00-03:00 runs twice.
    const struct {
        const char* zone;
        Fields fields;
        std::optional<std::int64_t> hint;
        std::int64_t instant;
    } cases[] = {
        {"Europe/Berlin", {2025, 10, 26, 2, 30, 0}, std::nullopt, 1761438600}, // no context: the earlier
        {"Europe/Berlin", {2025, 10, 26, 2, 30, 0}, 7200, 1761438600},         // CEST
        {"Europe/Berlin", {2025, 10, 26, 2, 30, 0}, 3600, 1761442200},         // CET
        {"Europe/Berlin", {2025, 10, 26, 2, 30, 1}, 3600, 1761442201},         // one second up
        {"Europe/Berlin", {2025, 10, 27, 2, 30, 0}, 7200, 1761528600},         // another day: its own
        {"Europe/Berlin", {2025, 3, 30, 2, 30, 0}, 3600, 1743298200},          // skipped: forward
        {"Australia/Sydney", {2025, 4, 6, 2, 30, 0}, std::nullopt, 1743867000}, // AEDT
        {"Australia/Sydney", {2025, 4, 6, 2, 30, 0}, 36000, 1743870600},        // AEST
        {"Australia/Sydney", {2025, 4, 6, 2, 30, 59}, 39600, 1743867059},       // AEDT
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.zone << " " << c.instant);
        const ScopedTimeZone zone(c.zone);
        Date d = Make(c.fields);
        d.SetUtcOffsetHint(c.hint);
        EXPECT_EQ(d.SecondsSinceEpoch(), c.instant);
        EXPECT_EQ(FieldsOf(d), c.fields);
    }
}

TEST(DateTest, OutOfRangeFieldsCarryIntoLargerOnesAndStopAtTheSupportedYears)
{
    const struct {
        void (Date::*set)(std::int64_t);
        std::int64_t value;
        Fields expected;
    } cases[] = {
        // from 1 March 2024 00:00:00
        {&Date::SetMonth, 13, {2025, 1, 1, 0, 0, 0}},
        {&Date::SetDay, 0, {2024, 2, 29, 0, 0, 0}},
        {&Date::SetMinute, -1, {2024, 2, 29, 23, 59, 0}},
        {&Date::SetYear, kMax, {kLastYear, 12, 31, 23, 59, 59}},
        {&Date::SetSecond, kMin, {-kLastYear, 1, 1, 0, 0, 0}},
        {&Date::SetYear, 0, {0, 3, 1, 0, 0, 0}}, // 1 BC
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Date d = Make({2024, 3, 1, 0, 0, 0});
        (d.*c.set)(c.value);
        EXPECT_EQ(FieldsOf(d), c.expected);
        EXPECT_EQ(FieldsOf(Date::FromSecondsSinceEpoch(d.SecondsSinceEpoch())), c.expected);
        EXPECT_FALSE(d.AbbreviatedDate().empty());
    }
    EXPECT_EQ(FieldsOf(Make({kMax, kMax, kMax, kMax, kMax, kMax})), (Fields{kLastYear, 12, 31, 23, 59, 59}));
    // Extremes that cancel out are added up exactly.
    EXPECT_EQ(FieldsOf(Make({700'000'000'000'000'000, -8'400'000'000'000'000'000 + 24'301, 1, 0, 0, 0})),
              (Fields{2025, 1, 1, 0, 0, 0}));
    EXPECT_EQ(FieldsOf(Make({2025, 1, -(kMax / 86400), kMax / 3600, 0, 0})), (Fields{2024, 12, 31, 15, 0, 0}));
    EXPECT_EQ(FieldsOf(Date::FromSecondsSinceEpoch(kMin)), (Fields{-kLastYear, 1, 1, 0, 0, 0}));
    EXPECT_EQ(Make({0, 3, 1, 0, 0, 0}).AbbreviatedDate(), "1 Mar -0001"); // as Qt writes 1 BC
}

TEST(DateTest, InstantsRoundTripExactlyAndThroughTheirFieldsInEveryZone)
{
    const struct {
        const char* zone;
        timespec instant;
        const char* shown;
        std::int64_t fromFields = 0; // how much later the fields alone stand for
    } cases[] = {
        {"Europe/Berlin", {-3155760000, 0}, "31 Dec 1869 00:53:28"}, // local mean time
        {"Europe/Berlin", {1761442200, 123456789}, "26 Oct 2025 02:30:00"}, // CET, the repeated hour
        {"Europe/Berlin", {-5364662401, 877000000}, "1 Jan 1800 00:53:27"}, // -5364662400.123
        {"Europe/Berlin", {-60574996800, 0}, "15 Jun 0050 12:53:28"},     // beyond what the pickers hold
        {"Europe/Berlin", {400000000000, 0}, "30 Jun 14645 17:06:40"},
        {"Pacific/Kiritimati", {253402257600, 0}, "1 Jan 10000 02:00:00"},
        // Zones that count leap seconds: each instant is 27 s later than without.
        {"right/UTC", {1483228826, 0}, "1 Jan 2017 00:00:00", 1}, // 23:59:60
        {"right/UTC", {1483228827, 500}, "1 Jan 2017 00:00:00"},
        {"right/UTC", {1483228825, 0}, "31 Dec 2016 23:59:59"},
        {"right/UTC", {1735689627, 0}, "1 Jan 2025 00:00:00"},
        {"right/UTC", {0, 0}, "1 Jan 1970 00:00:00"},
        {"right/Europe/Berlin", {1761438627, 0}, "26 Oct 2025 02:30:00"}, // CEST
        {"right/Europe/Berlin", {1761442227, 0}, "26 Oct 2025 02:30:00"}, // CET
        {"right/Europe/Berlin", {1761442200, 0}, "26 Oct 2025 02:29:33"},
        {"right/Europe/Berlin", {0, 0}, "1 Jan 1970 01:00:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.zone << " " << c.instant.tv_sec << "." << c.instant.tv_nsec);
        const ScopedTimeZone zone(c.zone);
        const Date d = Date::FromTimespec(c.instant);
        EXPECT_EQ(d.AbbreviatedDate() + " " + d.LongTime(), c.shown);
        EXPECT_EQ(d.SecondsSinceEpoch(), c.instant.tv_sec);
        EXPECT_EQ(d.Nanosecond(), c.instant.tv_nsec);
        // The fields alone, with the offset, as Change sets them: whole seconds.
        Date fields = Make(FieldsOf(d));
        fields.SetUtcOffsetHint(d.UtcOffsetHint());
        EXPECT_EQ(fields.SecondsSinceEpoch(), c.instant.tv_sec + c.fromFields);
        EXPECT_EQ(fields.Nanosecond(), 0);
    }
}

TEST(DateTest, TextsFollowTheUsersLocaleAndTheTimeShowsSeconds)
{
    const struct {
        const char* locale;
        const char* date;
        const char* time;
    } cases[] = {
        {"C", "9 Dec 2026", "14:05:09"},
        {"en_US", "Dec 9, 2026", "2:05:09 PM"},
        {"es_ES", "9 de dic de 2026", "14:05:09"},          // zone name in brackets
        {"hu_HU", "2026. dec. 9.", "14:05:09"},             // weekday at the end
        {"zh_CN", "2026\u5e7412\u67089\u65e5", "14:05:09"}, // zone name first
    };
    const QLocale saved;
    const Date d = Date::FromSecondsSinceEpoch(1796821509);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        EXPECT_EQ(d.AbbreviatedDate(), c.date);
        EXPECT_EQ(d.LongTime(), c.time);
    }
    QLocale::setDefault(saved);
}

TEST(DateTest, AbbreviatedDateIsDayShortMonthAndYearInEveryLocale)
{
    const auto isSeparator = [](QChar c) {
        return c.isSpace() || c.category() == QChar::Punctuation_Dash ||
               QStringView(u",;:/\u060C\u3001\uFF0C\u1363\u2E41").contains(c);
    };
    const auto balanced = [](const QString& text) {
        QString open;
        for (QChar c : text) {
            const qsizetype kind = QStringView(u")]\uFF09").indexOf(c);
            if (QStringView(u"([\uFF08").contains(c))
                open += c;
            else if (kind >= 0 && (open.isEmpty() || open.back() != QStringView(u"([\uFF08")[kind]))
                return false;
            else if (kind >= 0)
                open.chop(1);
        }
        return open.isEmpty();
    };
    const QDate date(2026, 12, 9); // day and month numbers differ
    const Date d = Date::FromSecondsSinceEpoch(1796821509);
    const QLocale saved;
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        const QString text = QString::fromStdString(d.AbbreviatedDate());
        const QString format = QString::fromStdString(Date::AbbreviatedDateFormat());
        EXPECT_TRUE(text.contains(locale.toString(date, u"d"))) << text.toStdString();
        EXPECT_TRUE(text.contains(locale.toString(date, u"MMM"))) << text.toStdString();
        EXPECT_TRUE(text.contains(locale.toString(date, u"yyyy"))) << text.toStdString();
        EXPECT_FALSE(text.contains(locale.toString(date, u"dddd"))) << text.toStdString();
        EXPECT_TRUE(balanced(text)) << text.toStdString();
        EXPECT_FALSE(isSeparator(text.front()) || isSeparator(text.back())) << text.toStdString();
        // Qt reads no digits outside the Basic Multilingual Plane (Chakma, Adlam).
        const auto readsBack = [&](const QString& f) { return locale.toDate(locale.toString(date, f), f) == date; };
        if (readsBack(u"d M yyyy"_qs)) {
            EXPECT_EQ(locale.toDate(text, format), date) << text.toStdString() << " as " << format.toStdString();
        }
    }
    QLocale::setDefault(saved);
}

} // namespace
