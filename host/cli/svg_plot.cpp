#include "svg_plot.h"

#include <cmath>
#include <cstdio>

#include "plot_range.h"

namespace qnhost {

namespace {

constexpr double kWidth = 720;
constexpr double kHeight = 480;
constexpr double kLeft = 70;
constexpr double kRight = 30;
constexpr double kTop = 50;
constexpr double kBottom = 60;

std::string escapeXml(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            default:
                // Control characters are not allowed in XML 1.0 text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
                    escaped += c;
                }
        }
    }
    return escaped;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string label(double volts) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", volts);
    return text;
}

// A grid step that gives about ten lines over `span` volts.
double gridStep(double span) {
    for (const double step : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0}) {
        if (span / step <= 14.0) {
            return step;
        }
    }
    return std::pow(10.0, std::ceil(std::log10(span / 10.0)));
}

}  // namespace

std::string renderSvg(const Curve& curve) {
    const PlotRange range = plotRange(curve);
    const double plotWidth = kWidth - kLeft - kRight;
    const double plotHeight = kHeight - kTop - kBottom;
    const auto x = [&](double volts) {
        return kLeft + (volts - range.xMin) / (range.xMax - range.xMin) * plotWidth;
    };
    const auto y = [&](double volts) {
        return kTop + (range.yMax - volts) / (range.yMax - range.yMin) * plotHeight;
    };

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(kWidth) + "\" height=\"" +
           number(kHeight) + "\" viewBox=\"0 0 " + number(kWidth) + " " + number(kHeight) +
           "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    svg += "<title>" + escapeXml(curve.title) + "</title>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text x=\"" + number(kWidth / 2) + "\" y=\"28\" text-anchor=\"middle\" " +
           "font-size=\"18\">" + escapeXml(curve.title) + "</text>\n";

    svg += "<g class=\"grid\" stroke=\"#dddddd\" stroke-width=\"1\">\n";
    const double xStep = gridStep(range.xMax - range.xMin);
    for (double v = std::ceil(range.xMin / xStep) * xStep; v <= range.xMax + 1e-9; v += xStep) {
        svg += "<line x1=\"" + number(x(v)) + "\" y1=\"" + number(kTop) + "\" x2=\"" +
               number(x(v)) + "\" y2=\"" + number(kTop + plotHeight) + "\"/>\n";
    }
    const double yStep = gridStep(range.yMax - range.yMin);
    for (double v = std::ceil(range.yMin / yStep) * yStep; v <= range.yMax + 1e-9; v += yStep) {
        svg += "<line x1=\"" + number(kLeft) + "\" y1=\"" + number(y(v)) + "\" x2=\"" +
               number(kLeft + plotWidth) + "\" y2=\"" + number(y(v)) + "\"/>\n";
    }
    svg += "</g>\n";

    svg += "<g class=\"axes\" stroke=\"black\" stroke-width=\"1.5\">\n";
    svg += "<line x1=\"" + number(kLeft) + "\" y1=\"" + number(kTop + plotHeight) + "\" x2=\"" +
           number(kLeft + plotWidth) + "\" y2=\"" + number(kTop + plotHeight) + "\"/>\n";
    svg += "<line x1=\"" + number(kLeft) + "\" y1=\"" + number(kTop) + "\" x2=\"" + number(kLeft) +
           "\" y2=\"" + number(kTop + plotHeight) + "\"/>\n";
    svg += "</g>\n<g class=\"ticks\" fill=\"black\">\n";
    for (double v = std::ceil(range.xMin / xStep) * xStep; v <= range.xMax + 1e-9; v += xStep) {
        svg += "<text x=\"" + number(x(v)) + "\" y=\"" + number(kTop + plotHeight + 18) +
               "\" text-anchor=\"middle\">" + label(v) + "</text>\n";
    }
    for (double v = std::ceil(range.yMin / yStep) * yStep; v <= range.yMax + 1e-9; v += yStep) {
        svg += "<text x=\"" + number(kLeft - 8) + "\" y=\"" + number(y(v) + 4) +
               "\" text-anchor=\"end\">" + label(v) + "</text>\n";
    }
    svg += "<text x=\"" + number(kLeft + plotWidth / 2) + "\" y=\"" + number(kHeight - 15) +
           "\" text-anchor=\"middle\">control (V)</text>\n";
    svg += "<text x=\"18\" y=\"" + number(kTop + plotHeight / 2) +
           "\" text-anchor=\"middle\" transform=\"rotate(-90 18 " + number(kTop + plotHeight / 2) +
           ")\">output (V)</text>\n";
    svg += "</g>\n";

    svg +=
        "<polyline class=\"curve\" fill=\"none\" stroke=\"#1f5fbf\" stroke-width=\"2\" "
        "points=\"";
    for (const CurvePoint& point : curve.points) {
        if (std::isfinite(point.outputVolts)) {
            svg += number(x(point.controlVolts)) + "," + number(y(point.outputVolts)) + " ";
        }
    }
    svg += "\"/>\n";

    svg += "<g class=\"corners\">\n";
    for (const CurveCorner& corner : curve.corners) {
        svg += "<circle cx=\"" + number(x(corner.controlVolts)) + "\" cy=\"" +
               number(y(corner.volts)) + "\" r=\"5\" fill=\"#d9480f\"><title>pin " +
               escapeXml(corner.pinName) + ": " + label(corner.volts) + " V</title></circle>\n";
        svg += "<text x=\"" + number(x(corner.controlVolts) + 7) + "\" y=\"" +
               number(y(corner.volts) - 7) + "\" fill=\"#d9480f\">" + escapeXml(corner.pinName) +
               "</text>\n";
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

}  // namespace qnhost
