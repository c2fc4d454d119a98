// An output file that appears only when it is complete: written under a temporary name in
// the same folder and renamed over the target by commit(). Without commit the temporary goes.
#pragma once

#include <string>

namespace qnhost {

class AtomicOutput {
  public:
    explicit AtomicOutput(std::string target);
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // Where to write meanwhile.
    const std::string& temporaryPath() const noexcept { return temporary; }
    // Renames the temporary file to the target; throws HostError when that fails.
    void commit();

  private:
    std::string target;
    std::string temporary;
    bool committed = false;
};

// Writes `text` to `path` through an AtomicOutput; throws HostError on failure.
void writeTextFile(const std::string& path, const std::string& text);

}  // namespace qnhost
