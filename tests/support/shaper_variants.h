// What the tests know about each shaper plug-in, independently of its sources: file, texts,
// pin table and curve geometry. Slot numbers follow the pin table: control 0, corners from the
// top corner down, output last.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "curve_reference.h"
#include "hosted_module.h"
#include "plugin_library.h"
#include "plugin_paths.h"

namespace shapertest {

struct PinRow {
    const char* name;
    const char* defaultText;  // null for the output
};

struct Variant {
    const char* id;
    const char* name;
    std::vector<PinRow> pins;
    std::vector<float> breakpoints;
    float width;

    int32_t pinCount() const { return static_cast<int32_t>(pins.size()); }
    int32_t cornerCount() const { return pinCount() - 2; }
    int32_t outputSlot() const { return pinCount() - 1; }
    // Corner k counted from the bottom (control 0) up.
    int32_t cornerSlot(int32_t k) const { return cornerCount() - k; }
    std::string path() const { return qntest::pluginPath(id); }
    // The about text up to the web address that ends it.
    std::string aboutPrefix() const {
        return "Shaper with " + std::to_string(breakpoints.size()) +
               " breakpoints\nversion 1.0\nby Brenwick\n\n";
    }
};

// The curve of `variant` from its definition; `corners` from the bottom corner up.
inline float referenceCurve(const Variant& variant, float x, const std::vector<float>& corners) {
    return referenceCurve(variant.breakpoints, variant.width, x, corners);
}

inline const std::vector<Variant>& variants() {
    static const std::vector<Variant> all{
        {"DK_1BPShaper",
         "ZE 1ZADididu",
         {{"Control 0-10v", "0"}, {"10", "10"}, {"5", "5"}, {"0", "0"}, {"Output", nullptr}},
         {0.5f},
         0.5f},
        {"DK_2BPShaper",
         "VA 2DOZarivi",
         {{"Control 0-10v", "0"},
          {"10", "10"},
          {"6.6", "6.6666"},
          {"3.3", "3.3333"},
          {"0", "0"},
          {"Output", nullptr}},
         {0.33333334f, 0.6666667f},
         0.33333334f},
        {"DK_3BPShaper",
         "RO 3ZIRirido",
         {{"Control 0-10v", "0"},
          {"10", "10"},
          {"7.5", "7.5"},
          {"5.0", "5.0"},
          {"2.5", "2.5"},
          {"0", "0"},
          {"Output", nullptr}},
         {0.25f, 0.5f, 0.75f},
         0.25f},
    };
    return all;
}

inline std::ostream& operator<<(std::ostream& out, const Variant& variant) {
    return out << variant.id;
}

// Each library is loaded once per test program and stays loaded.
inline qnhost::PluginLibrary& library(const Variant& variant) {
    static std::map<std::string, std::unique_ptr<qnhost::PluginLibrary>> loaded;
    auto& entry = loaded[variant.id];
    if (!entry) {
        entry = qnhost::PluginLibrary::load(variant.path());
    }
    return *entry;
}

inline std::unique_ptr<qnhost::HostedModule> openModule(const Variant& variant,
                                                        qnhost::HostOptions options = {}) {
    auto module = qnhost::HostedModule::create(library(variant).makeModule(), options);
    if (module) {
        module->open();
    }
    return module;
}

}  // namespace shapertest
