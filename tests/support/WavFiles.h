// Canonical 44-byte PCM WAV files made on the fly, with header fields that can be bent.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

inline std::string makeWav(const std::vector<int16_t>& samples, uint32_t rate = 11025, uint16_t channels = 1,
                           uint16_t bits = 16) {
    std::string wav;
    auto put = [&wav](uint32_t value, int bytes) {
        for (int byte = 0; byte < bytes; ++byte) {
            wav.push_back(static_cast<char>(value >> (8 * byte)));
        }
    };
    const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
    wav += "RIFF";
    put(36 + dataSize, 4);
    wav += "WAVEfmt ";
    put(16, 4), put(1, 2), put(channels, 2), put(rate, 4), put(rate * channels * bits / 8, 4);
    put(channels * bits / 8, 2), put(bits, 2);
    wav += "data";
    put(dataSize, 4);
    for (int16_t sample : samples) {
        put(static_cast<uint16_t>(sample), 2);
    }
    return wav;
}

// A sine tone at 11025 Hz.
inline std::vector<int16_t> sineTone(double seconds, double frequency, int amplitude) {
    std::vector<int16_t> samples(static_cast<size_t>(seconds * 11025));
    for (size_t index = 0; index < samples.size(); ++index) {
        samples[index] = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * frequency * index / 11025));
    }
    return samples;
}

}  // namespace testing_support
