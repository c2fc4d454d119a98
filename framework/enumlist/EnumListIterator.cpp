#include "EnumListIterator.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "wide_decimal.h"

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr std::u16string_view kRangeWord = u"range";

int32_t clampToInt32(int64_t value) noexcept {
    return value > kInt32Max ? kInt32Max : static_cast<int32_t>(value);
}

// Only U+0020 counts as a space in labels; tabs and the like are label text.
void trimSpaces(std::u16string& label) {
    const size_t begin = label.find_first_not_of(u' ');
    if (begin == std::u16string::npos) {
        label.clear();
        return;
    }
    const size_t end = label.find_last_not_of(u' ');
    label = label.substr(begin, end - begin + 1);
}

}  // namespace

EnumListIterator::EnumListIterator(const std::u16string& text)
    : listText(text),
      currentEntry(),
      isRange(listText.compare(0, kRangeWord.size(), kRangeWord) == 0),
      position(0),
      rangeLast(0) {
    if (!isRange) {
        return;
    }
    // The character after the word is skipped whatever it is; substr throws when it is missing.
    const std::u16string bounds = listText.substr(kRangeWord.size() + 1);
    position = parseWideDecimal(bounds);
    const size_t comma = bounds.find(u',');
    // Without a second bound the range holds its first value only.
    rangeLast = comma == std::u16string::npos
                    ? position
                    : parseWideDecimal(std::u16string_view(bounds).substr(comma + 1));
}

void EnumListIterator::first() {
    if (isRange) {
        // Starts on the first value directly rather than one below it, so a first value of
        // the smallest 32-bit integer needs no value below it.
        currentEntry.index = 0;
        currentEntry.value = position;
        currentEntry.text = formatWideDecimal(position);
        if (currentEntry.value > rangeLast) {
            currentEntry.index = -1;
        }
        return;
    }
    position = 0;
    currentEntry.value = -1;
    currentEntry.index = -1;
    next();
}

void EnumListIterator::next() {
    if (isRange) {
        nextInRange();
    } else {
        nextInList();
    }
}

void EnumListIterator::nextInRange() {
    if (currentEntry.index == -1) {
        return;
    }
    // The walk ends on the last value instead of stepping past it, so a last value of the
    // largest 32-bit integer ends the walk too. A walk also ends once its index cannot grow:
    // a range spanning more than 2^31 values yields its first 2^31 entries.
    if (currentEntry.value >= rangeLast || currentEntry.index == kInt32Max) {
        currentEntry.index = -1;
        return;
    }
    ++currentEntry.index;
    ++currentEntry.value;
    currentEntry.text = formatWideDecimal(currentEntry.value);
}

void EnumListIterator::nextInList() {
    const size_t length = listText.size();
    const auto start = static_cast<size_t>(position);
    if (start >= length || currentEntry.index == kInt32Max) {
        currentEntry.index = -1;
        return;
    }
    ++currentEntry.index;
    // An entry without a value after one valued at the largest 32-bit integer wraps to the
    // smallest, as two's-complement addition does: computed unsigned to stay defined.
    currentEntry.value = static_cast<int32_t>(static_cast<uint32_t>(currentEntry.value) + 1u);

    size_t end = listText.find(u',', start);
    if (end == std::u16string::npos) {
        end = length;
    }
    currentEntry.text = listText.substr(start, end - start);
    // Split before trimming; an "=" in the first position is label text.
    const size_t equals = currentEntry.text.find(u'=');
    if (equals != std::u16string::npos && equals > 0) {
        currentEntry.value =
            parseWideDecimal(std::u16string_view(currentEntry.text).substr(equals + 1));
        currentEntry.text.resize(equals);
    }
    position = static_cast<int32_t>(end + 1);
    trimSpaces(currentEntry.text);
}

int32_t EnumListIterator::count() const noexcept {
    if (isRange) {
        const int64_t span = static_cast<int64_t>(rangeLast) - position;
        return clampToInt32((span < 0 ? -span : span) + 1);
    }
    // A "," in the first position is not counted.
    const auto from = listText.empty() ? listText.begin() : listText.begin() + 1;
    return clampToInt32(static_cast<int64_t>(std::count(from, listText.end(), u',')) + 1);
}

bool EnumListIterator::findValue(int32_t value) {
    for (first(); !isDone(); next()) {
        if (currentEntry.value == value) {
            return true;
        }
    }
    return false;
}

bool EnumListIterator::findIndex(int32_t index) {
    for (first(); !isDone(); next()) {
        if (currentEntry.index == index) {
            return true;
        }
    }
    return false;
}

bool isValidEnumValue(const std::u16string& listText, int32_t value) {
    EnumListIterator iterator(listText);
    return iterator.findValue(value);
}

int32_t validateEnumValue(const std::u16string& listText, int32_t value) {
    EnumListIterator iterator(listText);
    if (iterator.findValue(value)) {
        return value;
    }
    iterator.first();
    return iterator.isDone() ? 0 : iterator.current().value;
}
