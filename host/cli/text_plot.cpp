#include "text_plot.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "plot_range.h"

namespace qnhost {

std::string renderTextPlot(const Curve& curve, int columns, int rows) {
    const PlotRange range = plotRange(curve);
    std::vector<std::string> grid(static_cast<size_t>(rows), std::string(columns, ' '));
    const auto column = [&](double volts) {
        const double at = (volts - range.xMin) / (range.xMax - range.xMin) * (columns - 1);
        return static_cast<int>(std::lround(at));
    };
    const auto row = [&](double volts) {
        const double at = (range.yMax - volts) / (range.yMax - range.yMin) * (rows - 1);
        return static_cast<int>(std::lround(at));
    };
    const auto put = [&](int c, int r, char mark) {
        if (c >= 0 && c < columns && r >= 0 && r < rows) {
            grid[static_cast<size_t>(r)][static_cast<size_t>(c)] = mark;
        }
    };
    for (const CurvePoint& point : curve.points) {
        if (std::isfinite(point.outputVolts)) {
            put(column(point.controlVolts), row(point.outputVolts), '*');
        }
    }
    for (const CurveCorner& corner : curve.corners) {
        put(column(corner.controlVolts), row(corner.volts), 'o');
    }

    std::string text = curve.title + "  (output V against control V; o = corner)\n";
    char label[32];
    for (int r = 0; r < rows; ++r) {
        double volts = range.yMax - (range.yMax - range.yMin) * r / (rows - 1);
        // The rows that 0 and 10 volts round to are labelled with those values.
        volts = r == row(0.0) ? 0.0 : r == row(10.0) ? 10.0 : volts;
        if (r == 0 || r == rows - 1 || r == row(0.0) || r == row(10.0)) {
            std::snprintf(label, sizeof label, "%6.1f |", volts);
        } else {
            std::snprintf(label, sizeof label, "       |");
        }
        text += label + grid[static_cast<size_t>(r)] + "\n";
    }
    text += "       +" + std::string(columns, '-') + "\n";
    std::string axis(static_cast<size_t>(columns) + 8, ' ');
    for (const double volts : {0.0, 5.0, 10.0}) {
        std::snprintf(label, sizeof label, "%g", volts);
        const size_t at = static_cast<size_t>(8 + column(volts));
        axis.replace(at, std::string(label).size(), label);
    }
    text += axis + "\n";
    return text;
}

}  // namespace qnhost
