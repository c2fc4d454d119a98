// A curve as an SVG picture: axes in volts, a grid, the corners marked, the title on top.
#pragma once

#include <string>

#include "curve_sweep.h"

namespace qnhost {

std::string renderSvg(const Curve& curve);

}  // namespace qnhost
