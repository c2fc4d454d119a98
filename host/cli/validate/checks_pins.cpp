// Pin descriptions and the open step.
#include <climits>
#include <cstring>

#include "check.h"

namespace qnhost::validate {

namespace {

constexpr unsigned char kPattern = 0x5A;
constexpr int32_t kMostPins = 4096;

void checkPinDescriptions(const CheckContext& context) {
    std::unique_ptr<HostedModule> module = context.session.makeInstance();
    PinProperties record;
    const auto untouched = [&record] {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
        for (size_t i = 0; i < sizeof record; ++i) {
            if (bytes[i] != kPattern) {
                return false;
            }
        }
        return true;
    };
    std::vector<const char*> names;
    int32_t count = 0;
    for (;; ++count) {
        require(count < kMostPins, "describes more than " + std::to_string(kMostPins) + " pins");
        std::memset(&record, kPattern, sizeof record);
        if (!module->getPinProperties(count, record)) {
            require(untouched(),
                    "a refused index (" + std::to_string(count) + ") wrote into the record");
            break;
        }
        const std::string which = "pin " + std::to_string(count);
        require(record.name != nullptr, which + " has no name");
        require(record.direction == pinInput || record.direction == pinOutput,
                which + " has direction " + std::to_string(record.direction));
        names.push_back(record.name);
    }
    require(count > 0, "describes no pins");
    for (const int32_t index : {count + 1, count + 100, -1, -2, INT_MIN, INT_MAX}) {
        std::memset(&record, kPattern, sizeof record);
        require(!module->getPinProperties(index, record),
                "index " + std::to_string(index) + " is described (numbering has a gap beyond " +
                    std::to_string(count - 1) + ")");
        require(untouched(), "refused index " + std::to_string(index) + " wrote into the record");
    }
    // Asking again gives the same descriptions.
    for (int32_t index = 0; index < count; ++index) {
        PinProperties again{};
        module->getPinProperties(index, again);
        require(again.name == names[static_cast<size_t>(index)],
                "pin " + std::to_string(index) + " is described differently the second time");
    }
}

void checkOpen(const CheckContext& context) {
    std::unique_ptr<HostedModule> module = context.session.makeInstance();
    const PlugProcessEntry before = module->record()->process;
    module->describePins();
    module->setRecording(true);
    module->clearRequests();
    module->open();
    const std::vector<Request>& requests = module->requests();
    require(!requests.empty(), "plugOpen makes no request (it should ask hostPinCount)");
    require(requests.front().code == hostPinCount, "plugOpen's first request is " +
                                                       std::to_string(requests.front().code) +
                                                       ", expected hostPinCount (14)");
    size_t changed = 0;
    for (size_t i = 1; i < requests.size(); ++i) {
        if (requests[i].code == hostProcessChanged) {
            changed = i;
        }
    }
    require(changed != 0, "plugOpen does not announce its process function (hostProcessChanged)");
    require(module->record()->process != before && module->record()->process != nullptr,
            "hostProcessChanged was sent but the record's process entry did not change");
}

}  // namespace

std::vector<Check> pinChecks() {
    return {
        {"pin-descriptions", "numbered without gaps, refused beyond, silent when refused",
         checkPinDescriptions},
        {"open", "plugOpen asks the pin count, then announces its process function", checkOpen},
    };
}

}  // namespace qnhost::validate
