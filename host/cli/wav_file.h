// Mono sample streams in audio files through libsndfile. Sample values are the host scale
// (10 volts is 1.0); output files are 32-bit float WAV so that nothing is clipped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "atomic_output.h"

typedef struct sf_private_tag SNDFILE;

namespace qnhost {

class WavReader {
  public:
    // Throws HostError for a missing file or one that libsndfile cannot read.
    explicit WavReader(const std::string& path);
    ~WavReader();
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    const std::string& path() const noexcept { return filePath; }
    int sampleRate() const noexcept { return rate; }
    int64_t frames() const noexcept { return frameCount; }
    int channels() const noexcept { return channelCount; }
    // Reads up to `count` frames of the first channel; answers how many it read.
    int64_t read(float* samples, int64_t count);

  private:
    std::string filePath;
    SNDFILE* file = nullptr;
    int rate = 0;
    int64_t frameCount = 0;
    int channelCount = 0;
    std::unique_ptr<float[]> interleaved;
    int64_t interleavedFrames = 0;
};

class WavWriter {
  public:
    // Opens a temporary file next to `path`; throws HostError when it cannot be created.
    WavWriter(const std::string& path, int sampleRate);
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    void write(const float* samples, int64_t count);
    // Closes the file and gives it its name.
    void commit();

  private:
    std::string filePath;
    AtomicOutput output;
    SNDFILE* file = nullptr;
};

}  // namespace qnhost
