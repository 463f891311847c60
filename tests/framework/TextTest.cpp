// The plain texts of numbers that the details list shows as sizes.
#include "framework/RuntimeException.h"
#include "framework/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

TEST(TextTest, SizeQuotientsReadAsPlainNumbers)
{
    // The quotients of the size texts: bytes / 1024^n, exact in doubles.
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {1023.0, "1023"},
        {1536.0 / 1024, "1.5"},
        {1048575.0 / 1024, "1023.9990234375"},
        {1073741823.0 / 1024 / 1024, "1023.99999904633"}, // 15 significant digits at most
        {-0.0, "0"},
        {-std::numeric_limits<double>::infinity(), "-Infinity"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CStr(c.value), c.text);
        EXPECT_EQ(Str(c.value), c.text);
    }
    EXPECT_EQ(Str(std::int64_t(1023)), "1023");
    EXPECT_EQ(Str(std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
}

TEST(TextTest, FormatsOtherThanThePlainOneAreRefused)
{
    EXPECT_EQ(Str(1.5, ""), "1.5");
    EXPECT_THROW(Str(1.5, "#.00"), UnsupportedFormatException);
}
