// Numbers of list texts: read by the C library's wide-to-long rules, clamped to 32 bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "wide_decimal.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(WideDecimal, ParsesLikeTheWideToLongConversion) {
    struct Case {
        std::u16string text;
        int32_t expected;
    };
    const Case cases[] = {
        {u"42", 42},
        {u"0", 0},
        {u"-000123", -123},
        {u"+5", 5},
        {u" \t\n\v\f\r-17", -17},  // every C-locale white space is skipped
        {u"12 34", 12},            // digits end at the first other character
        {u"7x", 7},
        {u"", 0},  // no digits at all
        {u"abc", 0},
        {u"-", 0},
        {u"+", 0},
        {u" - 5", 0},     // a sign must be followed by its digits
        {u"+-5", 0},      // one sign only
        {u"\u00A05", 0},  // no-break space is not white space
        {u"x=5", 0},      // parsing starts at the first character
        {u"2147483647", kMax},
        {u"2147483648", kMax},
        {u"-2147483648", kMin},
        {u"-2147483649", kMin},
        {u"99999999999999999999999999", kMax},  // beyond 64 bits as well
        {u"-99999999999999999999999999", kMin},
        {u"00000000000000000000000009", 9},  // leading zeros do not count as magnitude
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(parseWideDecimal(c.text), c.expected);
    }
}

TEST(WideDecimal, FormatsAsPercentD) {
    EXPECT_EQ(formatWideDecimal(0), u"0");
    EXPECT_EQ(formatWideDecimal(10), u"10");
    EXPECT_EQ(formatWideDecimal(-2), u"-2");
    EXPECT_EQ(formatWideDecimal(kMax), u"2147483647");
    EXPECT_EQ(formatWideDecimal(kMin), u"-2147483648");
}

}  // namespace
