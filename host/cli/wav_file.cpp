#include "wav_file.h"

#include <sndfile.h>

#include <filesystem>

#include "plugin_library.h"

namespace qnhost {

WavReader::WavReader(const std::string& path) : filePath(path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw HostError(path + ": no such file");
    }
    SF_INFO info{};
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        throw HostError(path + ": not a readable audio file (" + sf_strerror(nullptr) + ")");
    }
    rate = info.samplerate;
    frameCount = info.frames;
    channelCount = info.channels;
}

WavReader::~WavReader() {
    if (file != nullptr) {
        sf_close(file);
    }
}

int64_t WavReader::read(float* samples, int64_t count) {
    if (channelCount == 1) {
        return sf_readf_float(file, samples, count);
    }
    if (interleavedFrames < count) {
        interleaved = std::make_unique<float[]>(static_cast<size_t>(count * channelCount));
        interleavedFrames = count;
    }
    const int64_t got = sf_readf_float(file, interleaved.get(), count);
    for (int64_t i = 0; i < got; ++i) {
        samples[i] = interleaved[static_cast<size_t>(i * channelCount)];
    }
    return got;
}

WavWriter::WavWriter(const std::string& path, int sampleRate) : filePath(path), output(path) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    file = sf_open(output.temporaryPath().c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw HostError("cannot write " + path + ": " + sf_strerror(nullptr));
    }
}

WavWriter::~WavWriter() {
    if (file != nullptr) {
        sf_close(file);
    }
}

void WavWriter::write(const float* samples, int64_t count) {
    if (sf_writef_float(file, samples, count) != count) {
        throw HostError("cannot write " + filePath + ": " + sf_strerror(file));
    }
}

void WavWriter::commit() {
    const int status = sf_close(file);
    file = nullptr;
    if (status != 0) {
        throw HostError("cannot write " + filePath + ": " + sf_error_number(status));
    }
    output.commit();
}

}  // namespace qnhost
