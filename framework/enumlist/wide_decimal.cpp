#include "wide_decimal.h"

#include <limits>

namespace {

bool isWhiteSpace(char16_t c) noexcept {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool isDigit(char16_t c) noexcept {
    return c >= u'0' && c <= u'9';
}

}  // namespace

int32_t parseWideDecimal(std::u16string_view text) noexcept {
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();

    size_t at = 0;
    while (at < text.size() && isWhiteSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    // The magnitude stops growing once it is past the 32-bit range, so it never overflows;
    // the remaining digits are still consumed, as the conversion does.
    int64_t magnitude = 0;
    for (; at < text.size() && isDigit(text[at]); ++at) {
        if (magnitude <= kMax + 1) {
            magnitude = magnitude * 10 + (text[at] - u'0');
        }
    }
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > kMax) {
        return static_cast<int32_t>(kMax);
    }
    if (result < kMin) {
        return static_cast<int32_t>(kMin);
    }
    return static_cast<int32_t>(result);
}

std::u16string formatWideDecimal(int32_t value) {
    // Digits of the magnitude, computed unsigned so the smallest value needs no special case.
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    char16_t digits[10];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);

    std::u16string text;
    text.reserve(count + 1);
    if (value < 0) {
        text.push_back(u'-');
    }
    while (count > 0) {
        text.push_back(digits[--count]);
    }
    return text;
}
