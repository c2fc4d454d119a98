// Counts the allocations made anywhere in the process (qnhost and every plug-in it loaded)
// while counting is switched on. validate uses it around process calls.
#pragma once

#ifdef __cplusplus
#include <cstdint>
extern "C" {
#else
#include <stdint.h>
#endif

void qn_alloc_counting(int on);
uint64_t qn_alloc_count(void);
void qn_alloc_note(void);

#ifdef __cplusplus
}

namespace qnhost {

// Counts from construction to stop(); the count is per window, nothing is kept across them.
class AllocationWindow {
  public:
    AllocationWindow() noexcept : start(qn_alloc_count()) { qn_alloc_counting(1); }
    ~AllocationWindow() { qn_alloc_counting(0); }
    AllocationWindow(const AllocationWindow&) = delete;
    AllocationWindow& operator=(const AllocationWindow&) = delete;
    uint64_t stop() noexcept {
        qn_alloc_counting(0);
        return qn_alloc_count() - start;
    }

  private:
    uint64_t start;
};

}  // namespace qnhost
#endif
