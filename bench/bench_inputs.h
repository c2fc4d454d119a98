// Input blocks for timing a curve kernel. The control is drawn from a pool of at least 2^18
// distinct random values (or a slow ramp) and each call reads the next window of it, so that
// no branch predictor can learn the pattern; the corner and output blocks hold one run and
// stay in cache, as a host's blocks do, except for runs larger than the pool.
#pragma once

#include <algorithm>
#include <cstddef>
#include <random>
#include <unordered_set>
#include <vector>

namespace qnbench {

enum class ControlKind { random, ramp };

inline constexpr std::size_t kControlPool = std::size_t{1} << 18;

class BenchInputs {
  public:
    BenchInputs(std::size_t corners, std::size_t run, ControlKind kind)
        : run_(run), span_(std::max(run, kControlPool)), control_(span_), out_(run) {
        std::mt19937 random(12345u);
        if (kind == ControlKind::random) {
            // Over the control range and a little beyond, so that every region is taken.
            std::uniform_real_distribution<float> range(-0.1f, 1.1f);
            std::unordered_set<float> seen;
            for (float& x : control_) {
                do {
                    x = range(random);
                } while (!seen.insert(x).second);
            }
        } else {
            for (std::size_t i = 0; i < span_; ++i) {
                control_[i] = -0.1f + 1.2f * static_cast<float>(i) / static_cast<float>(span_);
            }
        }
        std::uniform_real_distribution<float> value(-1.0f, 1.0f);
        for (std::size_t k = 0; k < corners; ++k) {
            corners_.emplace_back(run);
            for (float& y : corners_.back()) {
                y = value(random);
            }
            blocks_.push_back(corners_.back().data());
        }
    }

    std::size_t run() const { return run_; }
    float* out() { return out_.data(); }
    const float* const* corners() const { return blocks_.data(); }

    // The control window of the next call.
    const float* nextControl() {
        const float* window = control_.data() + next_;
        next_ += run_;
        if (next_ + run_ > span_) {
            next_ = 0;
        }
        return window;
    }

  private:
    std::size_t run_;
    std::size_t span_;
    std::size_t next_ = 0;
    std::vector<float> control_;
    std::vector<float> out_;
    std::vector<std::vector<float>> corners_;
    std::vector<const float*> blocks_;
};

}  // namespace qnbench
