// Enumeration-list texts from the fuzzer's bytes. Every walk must end (range walks are cut at
// kWalkCap entries), entry indices run 0, 1, 2, ... without gaps, and what the walk, count(),
// findValue, findIndex, isValidEnumValue and validateEnumValue report agrees with the list
// syntax: entries split at "," from the start, "=" splitting a label from its value unless it
// comes first, spaces trimmed, values parsed as wcstol parses them and clamped to 32 bits, or
// in range mode every integer from the first bound to the last.
//
// Bytes below 0x80 are the characters themselves, so seeds are plain text; bytes from 0x80 on
// stand for characters outside ASCII (none of them white space or a digit anywhere).
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "EnumListIterator.h"
#include "fuzz_input.h"

namespace {

using qnfuzz::check;

constexpr int32_t kWalkCap = 4096;

std::u16string textFrom(const uint8_t* data, size_t size) {
    // Lone surrogates too: the text is 16-bit units, not necessarily valid UTF-16.
    static constexpr std::array<char16_t, 8> kOutside{0x00E9, 0x4E2D, 0xD800, 0xDFFF,
                                                      0xFFFF, 0x0130, 0x00FF, 0x2603};
    std::u16string text;
    text.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        text.push_back(data[i] < 0x80 ? static_cast<char16_t>(data[i])
                                      : kOutside[data[i] % kOutside.size()]);
    }
    return text;
}

// The C library's own wide conversion, clamped to 32 bits: the reference for every number.
int32_t referenceNumber(const std::u16string& text) {
    std::wstring wide(text.begin(), text.end());
    const long value = std::wcstol(wide.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

std::u16string trimmed(const std::u16string& label) {
    const size_t begin = label.find_first_not_of(u' ');
    if (begin == std::u16string::npos) {
        return {};
    }
    return label.substr(begin, label.find_last_not_of(u' ') - begin + 1);
}

std::u16string decimal(int64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

struct Expected {
    std::optional<int32_t> value;  // set for an entry written with "=" and a value
    std::u16string label;
};

struct Walk {
    std::vector<EnumEntry> entries;
    bool ended = false;  // false when cut at kWalkCap
};

Walk walk(EnumListIterator& iterator) {
    Walk result;
    iterator.first();
    while (!iterator.isDone()) {
        if (result.entries.size() == static_cast<size_t>(kWalkCap)) {
            return result;
        }
        result.entries.push_back(iterator.current());
        iterator.next();
    }
    result.ended = true;
    // Done stays done.
    iterator.next();
    check(iterator.isDone(), "next() after the end stays at the end");
    return result;
}

void checkFinders(const std::u16string& text, EnumListIterator& iterator, const Walk& seen,
                  const std::vector<int32_t>& probes) {
    const auto length = static_cast<int32_t>(seen.entries.size());
    for (const int32_t index : {0, length / 2, length - 1, length, -1}) {
        const bool walked = index >= 0 && index < length;
        if (!seen.ended && !walked) {
            continue;  // would walk the rest of a huge range
        }
        const bool found = iterator.findIndex(index);
        check(found == walked, "findIndex succeeds exactly for walked indices", index, found);
        if (found) {
            check(iterator.current().index == index, "findIndex stops on that index", index);
        } else {
            check(iterator.isDone(), "a failed findIndex ends at the end", index);
        }
    }
    if (!seen.ended) {
        return;  // an absent value would walk the whole (huge) range
    }
    for (const int32_t value : probes) {
        const auto first = std::find_if(seen.entries.begin(), seen.entries.end(),
                                        [&](const EnumEntry& e) { return e.value == value; });
        const bool present = first != seen.entries.end();
        check(iterator.findValue(value) == present, "findValue matches the walk", value, present);
        if (present) {
            check(iterator.current().index == first->index, "findValue stops on the first match",
                  value, iterator.current().index);
        } else {
            check(iterator.isDone(), "a failed findValue ends at the end", value);
        }
        check(isValidEnumValue(text, value) == present, "isValidEnumValue is findValue", value);
        const int32_t fallback = seen.entries.empty() ? 0 : seen.entries.front().value;
        check(validateEnumValue(text, value) == (present ? value : fallback),
              "validateEnumValue keeps a listed value, else the first one", value);
    }
}

void checkList(const std::u16string& text, EnumListIterator& iterator) {
    std::vector<Expected> expected;
    for (size_t position = 0; position < text.size();) {
        size_t end = text.find(u',', position);
        if (end == std::u16string::npos) {
            end = text.size();
        }
        const std::u16string piece = text.substr(position, end - position);
        const size_t equals = piece.find(u'=');
        if (equals != std::u16string::npos && equals > 0) {
            expected.push_back(
                {referenceNumber(piece.substr(equals + 1)), trimmed(piece.substr(0, equals))});
        } else {
            expected.push_back({std::nullopt, trimmed(piece)});
        }
        position = end + 1;
    }

    const int64_t commas = text.empty() ? 0 : std::count(text.begin() + 1, text.end(), u',');
    check(iterator.count() == commas + 1, "list count() is one more than the later commas",
          iterator.count(), commas + 1);

    const Walk seen = walk(iterator);
    check(seen.ended, "a list walk ends");
    check(seen.entries.size() == expected.size(), "one entry per comma-separated piece",
          static_cast<long long>(seen.entries.size()), static_cast<long long>(expected.size()));
    std::vector<int32_t> probes{0, -1, 1, INT32_MIN, INT32_MAX};
    for (size_t i = 0; i < expected.size(); ++i) {
        const EnumEntry& entry = seen.entries[i];
        check(entry.index == static_cast<int32_t>(i), "indices run without gaps", entry.index);
        check(entry.text == expected[i].label, "label split at '=' and trimmed",
              static_cast<long long>(i));
        if (expected[i].value) {
            check(entry.value == *expected[i].value, "written value", entry.value,
                  *expected[i].value);
        } else {
            // One more than the previous entry (the first follows -1). What follows INT32_MAX
            // is left open by the definitions.
            const int32_t previous = i == 0 ? -1 : seen.entries[i - 1].value;
            if (previous != INT32_MAX) {
                check(entry.value == previous + 1, "unwritten value counts on", entry.value,
                      previous);
            }
        }
        if (i < 4 || i + 1 == expected.size()) {
            probes.push_back(entry.value);
            probes.push_back(entry.value - (entry.value == INT32_MIN ? 0 : 1));
        }
    }
    checkFinders(text, iterator, seen, probes);
}

void checkRange(const std::u16string& text, EnumListIterator& iterator) {
    const std::u16string bounds = text.substr(6);
    const int32_t first = referenceNumber(bounds);
    const size_t comma = bounds.find(u',');
    // Without a second bound the range holds its first value only.
    const int32_t last =
        comma == std::u16string::npos ? first : referenceNumber(bounds.substr(comma + 1));
    const int64_t span = static_cast<int64_t>(last) - first;
    check(iterator.count() == std::min<int64_t>((span < 0 ? -span : span) + 1, INT32_MAX),
          "range count() is |last - first| + 1, clamped", iterator.count());

    const Walk seen = walk(iterator);
    const int64_t entries = first > last ? 0 : span + 1;
    if (entries <= kWalkCap) {
        check(seen.ended, "a short range walk ends", entries);
        check(static_cast<int64_t>(seen.entries.size()) == entries,
              "every value from first to last", static_cast<long long>(seen.entries.size()),
              entries);
    } else {
        check(seen.entries.size() == static_cast<size_t>(kWalkCap), "a long range goes on");
    }
    for (size_t i = 0; i < seen.entries.size(); ++i) {
        const EnumEntry& entry = seen.entries[i];
        check(entry.index == static_cast<int32_t>(i), "indices run without gaps", entry.index);
        check(entry.value == static_cast<int64_t>(first) + static_cast<int64_t>(i),
              "range values rise by one", entry.value);
        check(entry.text == decimal(entry.value), "range label is the value in decimal",
              entry.value);
    }
    std::vector<int32_t> probes{first, last, 0};
    if (first != INT32_MIN) {
        probes.push_back(first - 1);
    }
    if (last != INT32_MAX) {
        probes.push_back(last + 1);
    }
    checkFinders(text, iterator, seen, probes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = textFrom(data, size);
    const bool range = text.compare(0, 5, u"range") == 0;

    // The iterator keeps its own copy: the caller's string is changed and freed before use.
    auto callers = std::make_unique<std::u16string>(text);
    std::optional<EnumListIterator> iterator;
    try {
        iterator.emplace(*callers);
    } catch (const std::out_of_range&) {
        check(text == u"range", "only the bare word range throws");
        try {
            isValidEnumValue(text, 0);
            qnfuzz::fail("isValidEnumValue over the bare word range throws");
        } catch (const std::out_of_range&) {
        }
        return 0;
    }
    check(text != u"range", "the bare word range throws out_of_range");
    callers->assign(u"x=1,y,z");
    callers.reset();

    if (range) {
        checkRange(text, *iterator);
    } else {
        checkList(text, *iterator);
    }
    return 0;
}
