// Decimal integers in wide text: the numbers of enumeration lists are read and written here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Reads a base-10 integer from the start of `text` by the rules of the C library's wide-text
// to long conversion: leading white space (space, \t, \n, \v, \f, \r) skipped, an optional
// sign, then digits up to the first other character. No digits gives 0; values beyond the
// 32-bit range give the largest or smallest 32-bit value.
int32_t parseWideDecimal(std::u16string_view text) noexcept;

// The value as "%d" writes it: an optional minus sign and the digits, no fill.
std::u16string formatWideDecimal(int32_t value);
