// The plain texts of numbers that the details list shows as sizes.
#include "framework/RuntimeException.h"
#include "framework/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

TEST(TextTest, sizeQuotientsReadAsPlainNumbers)
{
    struct Case {
        double value;
        const char* text;
    };
    // The quotients of the size texts: bytes / 1024^n, exact in doubles.
    const Case cases[] = {
        {1024.0 / 1024, "1"},
        {1536.0 / 1024, "1.5"},
        {1048575.0 / 1024, "1023.9990234375"},
        {1048576.0 / 1024 / 1024, "1"},
        {1073741823.0 / 1024 / 1024, "1023.99999904633"}, // 15 significant digits at most
        {5.0 * 1073741824 / 1024 / 1024 / 1024, "5"},
        {0.1, "0.1"},
        {-2.25, "-2.25"},
        {0.0, "0"},
        {-0.0, "0"},
        {1e20, "1e+20"},
        {1e-7, "1e-07"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {std::numeric_limits<double>::infinity(), "Infinity"},
        {-std::numeric_limits<double>::infinity(), "-Infinity"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CStr(c.value), c.text);
        EXPECT_EQ(Str(c.value), c.text);
        // CStr's text handed back through Str comes back unchanged.
        EXPECT_EQ(Str(CStr(c.value)), c.text);
    }
}

TEST(TextTest, wholeNumbersHaveNoDecimals)
{
    EXPECT_EQ(Str(std::int64_t(1023)), "1023");
    EXPECT_EQ(Str(0), "0");
    EXPECT_EQ(Str(-5), "-5");
    EXPECT_EQ(Str(1023.0), "1023");
    EXPECT_EQ(Str(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(Str(std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
    EXPECT_EQ(Str(999999999999999.0), "999999999999999");
    EXPECT_EQ(CStr(7), "7");
    EXPECT_EQ(CStr(std::int64_t(-7)), "-7");
}

TEST(TextTest, formatsOtherThanThePlainOneAreRefused)
{
    EXPECT_EQ(Str(1.5, ""), "1.5");
    EXPECT_THROW(Str(1.5, "#.00"), UnsupportedFormatException);
}
