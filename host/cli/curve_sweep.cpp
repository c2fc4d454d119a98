#include "curve_sweep.h"

#include <algorithm>

#include "volts.h"

namespace qnhost {

std::map<int32_t, double> cornerVolts(const PluginSession& session,
                                      const std::map<int32_t, double>& overrides) {
    std::map<int32_t, double> volts;
    const std::vector<const PinInfo*> inputs = session.inputs();
    for (size_t i = 1; i < inputs.size(); ++i) {
        const auto found = overrides.find(inputs[i]->index);
        volts[inputs[i]->index] =
            found != overrides.end() ? found->second : PluginSession::defaultVolts(*inputs[i]);
    }
    return volts;
}

Curve sweepCurve(const PluginSession& session, const std::map<int32_t, double>& corners,
                 const SweepSettings& settings) {
    const std::vector<const PinInfo*> inputs = session.inputs();
    const std::vector<const PinInfo*> outputs = session.outputs();
    if (inputs.empty() || outputs.empty()) {
        throw HostError(session.label() + " has no input and output to draw a curve between");
    }
    const int points = std::max(settings.points, 2);

    HostOptions options;
    options.blockCapacity = std::max(points, 64);
    std::unique_ptr<HostedModule> module = session.makeInstance(options);
    module->setBlockSize(points);
    module->open();

    Curve curve;
    curve.title = session.texts().name.empty() ? session.label() : session.texts().name;
    const auto control = module->block(inputs.front()->slot);
    const double step = (settings.toVolts - settings.fromVolts) / (points - 1);
    for (int i = 0; i < points; ++i) {
        control[static_cast<size_t>(i)] = voltsToSample(settings.fromVolts + step * i);
    }
    const size_t cornerCount = inputs.size() - 1;
    for (size_t i = 1; i < inputs.size(); ++i) {
        const auto found = corners.find(inputs[i]->index);
        const double volts = found != corners.end() ? found->second : 0.0;
        const auto block = module->block(inputs[i]->slot);
        std::fill(block.begin(), block.end(), voltsToSample(volts));
        const double position =
            cornerCount > 1
                ? kVoltsPerUnit * static_cast<double>(cornerCount - i) / (cornerCount - 1)
                : 0.0;
        curve.corners.push_back({inputs[i]->name, position, volts});
    }
    // As a host would say it: the control moves, the corners hold still.
    module->sendPinStatus(inputs.front()->slot, streaming);
    for (size_t i = 1; i < inputs.size(); ++i) {
        module->sendPinStatus(inputs[i]->slot, idle);
    }
    module->process(0, points);

    const auto output = module->block(outputs.front()->slot);
    for (int i = 0; i < points; ++i) {
        curve.points.push_back({sampleToVolts(control[static_cast<size_t>(i)]),
                                sampleToVolts(output[static_cast<size_t>(i)])});
    }
    std::reverse(curve.corners.begin(), curve.corners.end());
    return curve;
}

}  // namespace qnhost
