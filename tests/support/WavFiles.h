// WAV files made on the fly for the sound tests: the canonical 44-byte header the game
// reads, and the reader for what openal-soft's wave output captured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A canonical PCM WAV file holding the 16-bit samples as given; the header fields can be
// bent to make files the game must refuse.
struct WavHeaderFields {
    uint32_t sampleRate = 11025;
    uint16_t channels = 1;
    uint16_t bitsPerSample = 16;
};
std::string makeWav(const std::vector<int16_t>& samples, const WavHeaderFields& fields = {});

// A sine tone at the game's 11025 Hz; amplitude in 16-bit units.
std::vector<int16_t> sineTone(double seconds, double frequency, int amplitude);

// What a captured WAV file holds, as 16-bit samples of its first channel.
struct CapturedWav {
    bool valid = false;
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    std::vector<int16_t> samples;

    double seconds() const { return sampleRate == 0 ? 0.0 : static_cast<double>(samples.size()) / sampleRate; }
    // The largest magnitude between the two times (seconds).
    int peak(double from, double to) const;
    // The first time at which the magnitude exceeds threshold; negative when never.
    double onset(int threshold) const;
};
// Walks the chunks of a 16-bit PCM file (plain or extensible format chunk).
CapturedWav readCapturedWav(const std::string& path);

}  // namespace testing_support
