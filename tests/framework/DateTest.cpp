#include "framework/Date.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <utility>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// The expected instants are Berlin wall-clock times; pinned here as well as
// in ctest so that a run by hand gives the same answers.
class DateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    void TearDown() override { QLocale::setDefault(m_locale); }

private:
    QLocale m_locale;
};

struct Fields {
    std::int64_t year, month, day, hour, minute, second;
};

void ExpectFields(const Date& d, const Fields& f)
{
    EXPECT_EQ(d.Year(), f.year);
    EXPECT_EQ(d.Month(), f.month);
    EXPECT_EQ(d.Day(), f.day);
    EXPECT_EQ(d.Hour(), f.hour);
    EXPECT_EQ(d.Minute(), f.minute);
    EXPECT_EQ(d.Second(), f.second);
}

// Sets the fields one by one onto a running value, largest or smallest first.
Date SetFields(Date d, const Fields& f, bool largestFirst = true)
{
    using Setter = void (Date::*)(std::int64_t);
    const std::pair<Setter, std::int64_t> steps[] = {{&Date::SetYear, f.year},     {&Date::SetMonth, f.month},
                                                     {&Date::SetDay, f.day},       {&Date::SetHour, f.hour},
                                                     {&Date::SetMinute, f.minute}, {&Date::SetSecond, f.second}};
    for (int i = 0; i < 6; ++i) {
        const auto& [set, value] = steps[largestFirst ? i : 5 - i];
        (d.*set)(value);
    }
    return d;
}

Date Make(const Fields& f) { return SetFields(Date::FromSecondsSinceEpoch(0), f); }

TEST_F(DateTest, FieldsSetOneByOneOnThe31stGiveThePickedDay)
{
    const struct {
        Fields fields;
        std::int64_t instant;
    } targets[] = {
        {{2025, 2, 15, 10, 0, 0}, 1739610000},
        {{2025, 4, 30, 10, 0, 0}, 1746000000},
        {{2024, 2, 29, 10, 0, 0}, 1709197200},
    };
    // 31 January, 31 March (summer time), 31 December
    for (std::int64_t start : {1738321200LL, 1743402600LL, 1735642800LL}) {
        ASSERT_EQ(Date::FromSecondsSinceEpoch(start).Day(), 31);
        for (const auto& target : targets) {
            for (bool largestFirst : {true, false}) {
                SCOPED_TRACE(testing::Message() << start << " -> " << target.instant << " " << largestFirst);
                const Date d = SetFields(Date::FromSecondsSinceEpoch(start), target.fields, largestFirst);
                ExpectFields(d, target.fields);
                EXPECT_EQ(d.SecondsSinceEpoch(), target.instant);
            }
        }
    }
    // And on today, whatever day it is.
    EXPECT_EQ(SetFields(Date(), targets[0].fields).SecondsSinceEpoch(), 1739610000);
}

TEST_F(DateTest, DaylightSavingGapMovesForwardAndOverlapTakesTheEarlierInstant)
{
    // 30 March 2025: 02:00-03:00 is skipped; 02:30 CET is 03:30 CEST.
    const Date gap = Make({2025, 3, 30, 2, 30, 0});
    EXPECT_EQ(gap.SecondsSinceEpoch(), 1743298200);
    ExpectFields(gap, {2025, 3, 30, 2, 30, 0});
    ExpectFields(Date::FromSecondsSinceEpoch(1743298200), {2025, 3, 30, 3, 30, 0});
    EXPECT_EQ(Make({2025, 3, 30, 1, 59, 59}).SecondsSinceEpoch(), 1743296399);
    EXPECT_EQ(Make({2025, 3, 30, 3, 0, 0}).SecondsSinceEpoch(), 1743296400);

    // 26 October 2025: 02:00-03:00 runs twice; 02:30 is the CEST one.
    EXPECT_EQ(Make({2025, 10, 26, 2, 30, 0}).SecondsSinceEpoch(), 1761438600);
    EXPECT_EQ(Make({2025, 10, 26, 3, 0, 0}).SecondsSinceEpoch(), 1761444000);

    // A Date from the second 02:30 stays that instant until a field is set.
    Date later = Date::FromSecondsSinceEpoch(1761442200);
    ExpectFields(later, {2025, 10, 26, 2, 30, 0});
    EXPECT_EQ(later.SecondsSinceEpoch(), 1761442200);
    EXPECT_FALSE(later == Date::FromSecondsSinceEpoch(1761438600));
    later.SetSecond(0);
    EXPECT_EQ(later.SecondsSinceEpoch(), 1761438600);
    EXPECT_TRUE(later == Date::FromSecondsSinceEpoch(1761438600));
}

TEST_F(DateTest, OutOfRangeFieldsCarryIntoLargerOnesAndStopAtTheSupportedYears)
{
    const struct {
        void (Date::*set)(std::int64_t);
        std::int64_t value;
        Fields expected;
    } cases[] = {
        // from 1 March 2024 00:00:00
        {&Date::SetMonth, 13, {2025, 1, 1, 0, 0, 0}},
        {&Date::SetMonth, 0, {2023, 12, 1, 0, 0, 0}},
        {&Date::SetDay, 0, {2024, 2, 29, 0, 0, 0}},
        {&Date::SetDay, 32, {2024, 4, 1, 0, 0, 0}},
        {&Date::SetHour, 25, {2024, 3, 2, 1, 0, 0}},
        {&Date::SetMinute, -1, {2024, 2, 29, 23, 59, 0}},
        {&Date::SetSecond, 60, {2024, 3, 1, 0, 1, 0}},
        {&Date::SetYear, 0, {1, 1, 1, 0, 0, 0}},
        {&Date::SetYear, kMax, {9999, 12, 31, 23, 59, 59}},
        {&Date::SetMonth, kMax, {9999, 12, 31, 23, 59, 59}},
        {&Date::SetSecond, kMin, {1, 1, 1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Date d = Make({2024, 3, 1, 0, 0, 0});
        (d.*c.set)(c.value);
        ExpectFields(d, c.expected);
        ExpectFields(Date::FromSecondsSinceEpoch(d.SecondsSinceEpoch()), c.expected);
        EXPECT_FALSE(d.AbbreviatedDate().empty());
    }
    ExpectFields(Make({kMax, kMax, kMax, kMax, kMax, kMax}), {9999, 12, 31, 23, 59, 59});
    ExpectFields(Make({kMin, kMin, kMin, kMin, kMin, kMin}), {1, 1, 1, 0, 0, 0});
    ExpectFields(Date::FromSecondsSinceEpoch(kMin), {1, 1, 1, 0, 0, 0});
}

TEST_F(DateTest, InstantsRoundTrip)
{
    // 1870 (local mean time), 1969, the spring change, the second October
    // 02:30, beyond the zone's table, the last second of 9999.
    for (std::int64_t instant : {-3155760000LL, -1LL, 1743296399LL, 1743296400LL, 1761442200LL, 4102444800LL,
                                 253402297199LL}) {
        SCOPED_TRACE(instant);
        EXPECT_EQ(Date::FromSecondsSinceEpoch(instant).SecondsSinceEpoch(), instant);
    }
    EXPECT_EQ(Date::FromTimespec({1796821509, 999999999}).SecondsSinceEpoch(), 1796821509);
    EXPECT_EQ(Date::FromTimespec({-1, 500000000}).SecondsSinceEpoch(), -1);

    const std::int64_t before = std::time(nullptr);
    const std::int64_t now = Date().SecondsSinceEpoch();
    EXPECT_TRUE(now >= before && now <= std::time(nullptr));
}

TEST_F(DateTest, TextsFollowTheUsersLocaleAndTheTimeShowsSeconds)
{
    const struct {
        const char* locale;
        const char* date;
        const char* time;
    } cases[] = {
        {"C", "9 Dec 2026", "14:05:09"},
        {"en_US", "Dec 9, 2026", "2:05:09 PM"},
        {"de_DE", "9. Dez. 2026", "14:05:09"},
        {"es_ES", "9 de dic de 2026", "14:05:09"}, // zone name in brackets
        {"hu_HU", "2026. dec. 9.", "14:05:09"},    // weekday at the end
        {"zh_CN", "2026\u5e7412\u67089\u65e5", "14:05:09"}, // zone name first
    };
    const Date d = Date::FromSecondsSinceEpoch(1796821509);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        EXPECT_EQ(d.AbbreviatedDate(), c.date);
        EXPECT_EQ(d.LongTime(), c.time);
    }
}

} // namespace
