// Streams sample sources through one instance in host-sized blocks, as a host would: constant
// inputs are announced idle, changing ones streaming, and a module that asked to sleep is not
// called again (its output holds still) until it is told something new.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "plugin_session.h"
#include "wav_file.h"

namespace qnhost {

struct InputSource {
    const PinInfo* pin = nullptr;
    double constantVolts = 0.0;       // used when neither of the two below is set
    std::unique_ptr<WavReader> file;  // streaming from a file
    std::vector<float> generated;     // streaming from memory, host scale
    bool streams() const noexcept { return file != nullptr || !generated.empty(); }
};

struct RunSettings {
    int32_t blockSize = 512;
    int sampleRate = 44100;
    int64_t frames = 0;
    bool showProgress = false;  // a percentage on stderr
};

struct RunReport {
    int64_t samples = 0;
    int64_t blocks = 0;
    int64_t processCalls = 0;
    int32_t sleepRequests = 0;
    double seconds = 0.0;
};

// Every input of the plug-in must have a source. Writes the first output to `output`.
RunReport streamThrough(const PluginSession& session, std::vector<InputSource>& inputs,
                        const RunSettings& settings, WavWriter& output);

// One line: samples, blocks, process calls, sleep requests and time.
std::string describeRun(const RunReport& report, int sampleRate);

}  // namespace qnhost
