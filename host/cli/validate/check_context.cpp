#include <algorithm>

#include "check.h"
#include "volts.h"

namespace qnhost::validate {

void fail(const std::string& reason) {
    throw CheckFailure(reason);
}

void skip(const std::string& reason) {
    throw CheckSkipped(reason);
}

void fillDefaults(HostedModule& module, const PluginSession& session) {
    for (const PinInfo* pin : session.inputs()) {
        const auto block = module.block(pin->slot);
        std::fill(block.begin(), block.end(), voltsToSample(PluginSession::defaultVolts(*pin)));
    }
}

void setAllInputs(HostedModule& module, const PluginSession& session, PlugState state) {
    for (const PinInfo* pin : session.inputs()) {
        module.sendPinStatus(pin->slot, state);
    }
}

std::unique_ptr<HostedModule> openInstance(const CheckContext& context, int32_t capacity) {
    HostOptions options;
    options.blockCapacity = capacity;
    std::unique_ptr<HostedModule> module = context.session.makeInstance(options);
    module->open();
    fillDefaults(*module, context.session);
    return module;
}

const std::vector<Check>& allChecks() {
    static const std::vector<Check> checks = [] {
        std::vector<Check> all;
        for (auto part : {boundaryChecks, pinChecks, processChecks, stateChecks, lifecycleChecks}) {
            const std::vector<Check> some = part();
            all.insert(all.end(), some.begin(), some.end());
        }
        return all;
    }();
    return checks;
}

}  // namespace qnhost::validate
