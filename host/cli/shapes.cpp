#include "shapes.h"

#include <cmath>

#include "curve_sweep.h"
#include "volts.h"

namespace qnhost {

const std::vector<std::string>& shapeNames() {
    static const std::vector<std::string> names{"default", "identity", "V", "fold"};
    return names;
}

std::map<int32_t, double> shapeCorners(const PluginSession& session, const std::string& shape) {
    if (shape == "default") {
        return cornerVolts(session);
    }
    const std::vector<const PinInfo*> inputs = session.inputs();
    const size_t count = inputs.size() > 1 ? inputs.size() - 1 : 0;
    std::map<int32_t, double> volts;
    for (size_t i = 1; i < inputs.size(); ++i) {
        // Corner pins run from the top corner down; j counts from the bottom.
        const size_t j = count - i;
        const double position = count > 1 ? static_cast<double>(j) / (count - 1) : 0.0;
        double value = 0.0;
        if (shape == "identity") {
            value = kVoltsPerUnit * position;
        } else if (shape == "V") {
            value = kVoltsPerUnit * std::fabs(2.0 * position - 1.0);
        } else if (shape == "fold") {
            value = j % 2 == 0 ? 0.0 : kVoltsPerUnit;
        } else {
            throw HostError("unknown shape \"" + shape + "\" (known: default, identity, V, fold)");
        }
        volts[inputs[i]->index] = value;
    }
    return volts;
}

}  // namespace qnhost
