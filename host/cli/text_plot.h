// A curve drawn with characters for a terminal: '*' for the curve, 'o' for the corners.
#pragma once

#include <string>

#include "curve_sweep.h"

namespace qnhost {

std::string renderTextPlot(const Curve& curve, int columns = 64, int rows = 16);

}  // namespace qnhost
