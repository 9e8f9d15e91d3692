// The WAV files the tests listen to: the package's recordings, and the capture the game's
// sound device writes as it mixes, which can be read while it still grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// 16-bit mono samples at 11025 Hz, as the game's sounds and the capture are stored.
using Samples = std::vector<int16_t>;
constexpr double kSampleRate = 11025.0;

// Every sample of the file; empty when it is no WAV file.
Samples readWavSamples(const std::string& path);
// How many samples the file holds so far, from its size.
size_t wavSampleCount(const std::string& path);
// The last seconds of the file's samples, or all of them when it holds fewer.
Samples readWavTail(const std::string& path, double seconds);

}  // namespace e2e
