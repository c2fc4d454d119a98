// The volts a plot of a curve shows on each axis: the whole sweep and every corner, with
// the 0 to 10 volt range always in view.
#pragma once

#include <algorithm>
#include <cmath>

#include "curve_sweep.h"

namespace qnhost {

struct PlotRange {
    double xMin, xMax, yMin, yMax;
};

inline PlotRange plotRange(const Curve& curve) {
    PlotRange range{0.0, 10.0, 0.0, 10.0};
    for (const CurvePoint& point : curve.points) {
        range.xMin = std::min(range.xMin, point.controlVolts);
        range.xMax = std::max(range.xMax, point.controlVolts);
        if (std::isfinite(point.outputVolts)) {
            range.yMin = std::min(range.yMin, point.outputVolts);
            range.yMax = std::max(range.yMax, point.outputVolts);
        }
    }
    for (const CurveCorner& corner : curve.corners) {
        range.yMin = std::min(range.yMin, corner.volts);
        range.yMax = std::max(range.yMax, corner.volts);
    }
    range.yMin = std::floor(range.yMin) - 0.5;
    range.yMax = std::ceil(range.yMax) + 0.5;
    return range;
}

}  // namespace qnhost
