// A transfer curve measured through a plug-in's real process entry: the control (the first
// input) swept across a range in one run, every other input held at a constant.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "plugin_session.h"

namespace qnhost {

struct CurvePoint {
    double controlVolts;
    double outputVolts;
};

// A corner input: where on the control axis it applies and the volts it holds.
struct CurveCorner {
    std::string pinName;
    double controlVolts;
    double volts;
};

struct Curve {
    std::string title;
    std::vector<CurvePoint> points;
    std::vector<CurveCorner> corners;
};

struct SweepSettings {
    int points = 221;
    double fromVolts = -0.5;
    double toVolts = 10.5;
};

// Constant volts for every input but the control, by description number: each pin's own
// default unless `overrides` names it.
std::map<int32_t, double> cornerVolts(const PluginSession& session,
                                      const std::map<int32_t, double>& overrides = {});

// Runs the sweep. Corner pins are placed evenly over 0 to 10 volts, the last input at 0 volts,
// as the shapers list them from the top corner down. Throws HostError for a plug-in without an
// input and an output.
Curve sweepCurve(const PluginSession& session, const std::map<int32_t, double>& corners,
                 const SweepSettings& settings = {});

}  // namespace qnhost
