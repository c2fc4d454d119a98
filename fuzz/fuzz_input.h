// Reads a fuzzer's bytes front to back as small typed values, so that seed inputs can be
// written by hand. An exhausted input reads as zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qnfuzz {

class Input {
  public:
    Input(const uint8_t* bytes, size_t size) noexcept : data(bytes), left(size) {}

    bool empty() const noexcept { return left == 0; }
    size_t remaining() const noexcept { return left; }

    uint8_t u8() noexcept {
        if (left == 0) {
            return 0;
        }
        --left;
        return *data++;
    }
    uint16_t u16() noexcept { return static_cast<uint16_t>(u8() | (u8() << 8)); }
    uint32_t u32() noexcept {
        return static_cast<uint32_t>(u16()) | (static_cast<uint32_t>(u16()) << 16);
    }
    int32_t i32() noexcept { return static_cast<int32_t>(u32()); }
    float f32() noexcept {
        const uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // Mostly small values near the interesting range, sometimes any 32-bit value.
    int32_t smallOrAny(int32_t low, int32_t high) noexcept {
        const uint8_t choice = u8();
        if ((choice & 0x80) != 0) {
            return i32();
        }
        return low + static_cast<int32_t>(choice % static_cast<uint32_t>(high - low + 1));
    }

  private:
    const uint8_t* data;
    size_t left;
};

// A broken invariant: report it and stop, so libFuzzer records the input as a crash.
[[noreturn]] inline void fail(const char* what, long long a = 0, long long b = 0) {
    std::fprintf(stderr, "invariant broken: %s (%lld, %lld)\n", what, a, b);
    std::abort();
}

inline void check(bool condition, const char* what, long long a = 0, long long b = 0) {
    if (!condition) {
        fail(what, a, b);
    }
}

}  // namespace qnfuzz
