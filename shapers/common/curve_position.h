// The position t within a segment, computed in single precision where that gives the same
// float as the definition's double computation rounded to float:
//  - x minus the segment's start is exact inside a segment (the start lies within a factor of
//    two of x), so the float and double differences are the same number;
//  - for a power-of-two width, scaling by its inverse is exact, so rounding happens only once
//    in both forms;
//  - for any other width a float division rounds to the same float as the double division
//    rounded to float (53 >= 2 * 24 + 2 makes the double rounding innocuous). A multiply by the
//    reciprocal would not.
// The curve tests confirm all three over every float control in range.
#pragma once

#include <bit>
#include <cstdint>

namespace qn::shapers {

template <class Curve>
inline constexpr bool kWidthIsPowerOfTwo = Curve::width > 0.0f &&
                                           (std::bit_cast<uint32_t>(Curve::width) & 0x007FFFFFu) ==
                                               0u &&
                                           (std::bit_cast<uint32_t>(Curve::width) & 0x7F800000u) !=
                                               0u;

template <class Curve>
inline constexpr float kInverseWidth = 1.0f / Curve::width;

}  // namespace qn::shapers
