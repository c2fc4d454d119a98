// Walking list texts, counting them, and finding and correcting values against them.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "EnumListIterator.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

struct Entry {
    int32_t index;
    int32_t value;
    std::u16string text;

    bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& e, std::ostream* out) {
    *out << "(" << e.index << ", " << e.value << ", \"" << std::string(e.text.begin(), e.text.end())
         << "\")";
}

// A walk, cut off well past any expected length so a walk that never ends shows as a failure.
std::vector<Entry> walk(EnumListIterator& iterator, size_t limit = 64) {
    std::vector<Entry> entries;
    for (iterator.first(); !iterator.isDone() && entries.size() < limit; iterator.next()) {
        const EnumEntry& e = iterator.current();
        entries.push_back({e.index, e.value, e.text});
    }
    return entries;
}

// Range entries: numbered 0, 1, ... in the order given, each with its value and label.
std::vector<Entry> rangeEntries(std::initializer_list<std::pair<int32_t, const char16_t*>> list) {
    std::vector<Entry> entries;
    for (const auto& [value, label] : list) {
        entries.push_back({static_cast<int32_t>(entries.size()), value, label});
    }
    return entries;
}

struct WalkCase {
    std::u16string text;
    std::vector<Entry> entries;
    int32_t count;
};

TEST(EnumListIterator, WalksAndCountsListTexts) {
    const WalkCase cases[] = {
        {u"Off,Low,High", {{0, 0, u"Off"}, {1, 1, u"Low"}, {2, 2, u"High"}}, 3},
        {u"Sine=1,Square=4,Saw", {{0, 1, u"Sine"}, {1, 4, u"Square"}, {2, 5, u"Saw"}}, 3},
        {u"a=5,b=1,c", {{0, 5, u"a"}, {1, 1, u"b"}, {2, 2, u"c"}}, 3},
        {u"Low = 2 , High", {{0, 2, u"Low"}, {1, 3, u"High"}}, 2},
        {u"a,,b", {{0, 0, u"a"}, {1, 1, u""}, {2, 2, u"b"}}, 3},
        {u"a,b,", {{0, 0, u"a"}, {1, 1, u"b"}}, 3},
        {u",a", {{0, 0, u""}, {1, 1, u"a"}}, 1},
        {u"", {}, 1},
        {u"=3", {{0, 0, u"=3"}}, 1},
        {u"a=x", {{0, 0, u"a"}}, 1},
        {u"range 0,10",
         rangeEntries({{0, u"0"},
                       {1, u"1"},
                       {2, u"2"},
                       {3, u"3"},
                       {4, u"4"},
                       {5, u"5"},
                       {6, u"6"},
                       {7, u"7"},
                       {8, u"8"},
                       {9, u"9"},
                       {10, u"10"}}),
         11},
        {u"range -2, 2", rangeEntries({{-2, u"-2"}, {-1, u"-1"}, {0, u"0"}, {1, u"1"}, {2, u"2"}}),
         5},
        {u"range 5,3", {}, 3},
        {u"range:1,4", rangeEntries({{1, u"1"}, {2, u"2"}, {3, u"3"}, {4, u"4"}}), 4},
        {u"Range 1,4", {{0, 0, u"Range 1"}, {1, 1, u"4"}}, 2},
        // Labels: only U+0020 is trimmed; a label of spaces becomes empty.
        {u" Low ", {{0, 0, u"Low"}}, 1},
        {u"\tLow ,  ", {{0, 0, u"\tLow"}, {1, 1, u""}}, 2},
        {u"a = -3,b", {{0, -3, u"a"}, {1, -2, u"b"}}, 2},
        // Values beyond 32 bits clamp; an entry after the largest value wraps to the smallest.
        {u"a=99999999999,b", {{0, kMax, u"a"}, {1, kMin, u"b"}}, 2},
        {u"a=2147483647,b,c", {{0, kMax, u"a"}, {1, kMin, u"b"}, {2, kMin + 1, u"c"}}, 3},
        {u"a=-99999999999", {{0, kMin, u"a"}}, 1},
        // Ranges: without "," the range is its first value alone; "range " has an empty rest.
        {u"range 7", rangeEntries({{7, u"7"}}), 1},
        {u"range -4x", rangeEntries({{-4, u"-4"}}), 1},
        {u"range ", rangeEntries({{0, u"0"}}), 1},
        {u"range 2147483646,2147483647",
         rangeEntries({{kMax - 1, u"2147483646"}, {kMax, u"2147483647"}}), 2},
        {u"range 2147483647,99999999999", rangeEntries({{kMax, u"2147483647"}}), 1},
        {u"range -2147483648,-2147483647",
         rangeEntries({{kMin, u"-2147483648"}, {kMin + 1, u"-2147483647"}}), 2},
        {u"range -99999999999,-2147483648", rangeEntries({{kMin, u"-2147483648"}}), 1},
        // The widest ranges count 2^32 entries, which clamps.
        {u"range 2147483647,-2147483648", {}, kMax},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EnumListIterator iterator(c.text);
        EXPECT_EQ(walk(iterator), c.entries);
        EXPECT_TRUE(iterator.isDone());
        EXPECT_EQ(iterator.count(), c.count);
    }
}

TEST(EnumListIterator, WidestRangeCountsClampedAndStartsAtTheSmallestValue) {
    EnumListIterator iterator(u"range -2147483648,2147483647");
    EXPECT_EQ(iterator.count(), kMax);
    EXPECT_EQ(walk(iterator, 3), rangeEntries({{kMin, u"-2147483648"},
                                               {kMin + 1, u"-2147483647"},
                                               {kMin + 2, u"-2147483646"}}));
}

TEST(EnumListIterator, NextWhenDoneStaysDone) {
    for (const std::u16string text :
         {u"a,b", u"a,b,", u"range 1,2", u"range 2147483647,2147483647"}) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        EnumListIterator iterator(text);
        walk(iterator);
        ASSERT_TRUE(iterator.isDone());
        iterator.next();
        iterator.next();
        EXPECT_TRUE(iterator.isDone());
    }
}

TEST(EnumListIterator, FirstRestartsTheWalk) {
    EnumListIterator iterator(u"x=3,y");
    const std::vector<Entry> once = walk(iterator);
    EXPECT_EQ(walk(iterator), once);
    iterator.first();
    EXPECT_EQ(iterator.current().text, u"x");
    EXPECT_EQ(iterator.current().value, 3);
}

TEST(EnumListIterator, TheRangeWordAloneThrowsOutOfRange) {
    EXPECT_THROW(EnumListIterator(u"range"), std::out_of_range);
    EXPECT_NO_THROW(EnumListIterator(u"rang"));
}

TEST(EnumListIterator, KeepsItsOwnCopyOfTheText) {
    auto text = std::make_unique<std::u16string>(u"a=5,b");
    EnumListIterator iterator(*text);
    *text = u"z,y,x,w";
    text.reset();
    EXPECT_EQ(walk(iterator), (std::vector<Entry>{{0, 5, u"a"}, {1, 6, u"b"}}));
    EXPECT_EQ(iterator.count(), 2);
}

TEST(EnumListIterator, FindValueAndFindIndex) {
    EnumListIterator iterator(u"a=5,b=1,c");

    EXPECT_TRUE(iterator.findValue(1));
    EXPECT_EQ(iterator.current().index, 1);
    EXPECT_EQ(iterator.current().text, u"b");

    EXPECT_FALSE(iterator.findValue(7));
    EXPECT_TRUE(iterator.isDone());

    EXPECT_TRUE(iterator.findIndex(2));
    EXPECT_EQ(iterator.current().value, 2);
    EXPECT_EQ(iterator.current().text, u"c");

    EXPECT_TRUE(iterator.findValue(5));  // finding restarts from the first entry
    EXPECT_EQ(iterator.current().index, 0);

    EXPECT_FALSE(iterator.findIndex(3));
    EXPECT_FALSE(iterator.findIndex(-1));
    EXPECT_TRUE(iterator.isDone());

    EnumListIterator range(u"range -3,3");
    EXPECT_TRUE(range.findValue(-1));
    EXPECT_EQ(range.current().index, 2);
    EXPECT_EQ(range.current().text, u"-1");
    EXPECT_FALSE(range.findValue(4));

    EnumListIterator top(u"range 2147483640,2147483647");
    EXPECT_FALSE(top.findValue(kMin));  // ends at the largest value instead of walking on
    EXPECT_TRUE(top.findValue(kMax));
    EXPECT_EQ(top.current().index, 7);
}

TEST(EnumValues, ValidateAndIsValid) {
    struct Case {
        std::u16string text;
        int32_t value;
        bool valid;
        int32_t validated;
    };
    const Case cases[] = {
        {u"range 1,5", 9, false, 1},
        {u"range 1,5", 3, true, 3},
        {u"a,b", 1, true, 1},
        {u"a,b", 2, false, 0},
        {u"", 7, false, 0},
        {u"Sine=1,Square=4", 4, true, 4},
        {u"Sine=1,Square=4", 2, false, 1},
        {u"range 5,3", 5, false, 0},  // a range that names no entry
        {u"b=-8,c", -7, true, -7},
        {u",", 0, true, 0},  // one entry with an empty label
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()) + " / " + std::to_string(c.value));
        EXPECT_EQ(isValidEnumValue(c.text, c.value), c.valid);
        EXPECT_EQ(validateEnumValue(c.text, c.value), c.validated);
    }
}

}  // namespace
