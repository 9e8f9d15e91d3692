#include "support/WavFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "support/TestSupport.h"

namespace testing_support {

namespace {

void putU16(std::string* out, uint16_t value) {
    out->push_back(static_cast<char>(value & 0xFF));
    out->push_back(static_cast<char>(value >> 8));
}

void putU32(std::string* out, uint32_t value) {
    putU16(out, static_cast<uint16_t>(value & 0xFFFF));
    putU16(out, static_cast<uint16_t>(value >> 16));
}

uint32_t getU32(const std::string& bytes, size_t at) {
    const auto* in = reinterpret_cast<const uint8_t*>(bytes.data() + at);
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
           static_cast<uint32_t>(in[3]) << 24;
}

uint16_t getU16(const std::string& bytes, size_t at) {
    const auto* in = reinterpret_cast<const uint8_t*>(bytes.data() + at);
    return static_cast<uint16_t>(in[0] | in[1] << 8);
}

constexpr uint16_t kPcmFormat = 1;

}  // namespace

std::string makeWav(const std::vector<int16_t>& samples, const WavHeaderFields& fields) {
    const uint32_t dataSize = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
    const uint16_t blockAlign = static_cast<uint16_t>(fields.channels * fields.bitsPerSample / 8);
    std::string wav = "RIFF";
    putU32(&wav, 36 + dataSize);
    wav += "WAVEfmt ";
    putU32(&wav, 16);
    putU16(&wav, kPcmFormat);
    putU16(&wav, fields.channels);
    putU32(&wav, fields.sampleRate);
    putU32(&wav, fields.sampleRate * blockAlign);
    putU16(&wav, blockAlign);
    putU16(&wav, fields.bitsPerSample);
    wav += "data";
    putU32(&wav, dataSize);
    for (int16_t sample : samples) {
        putU16(&wav, static_cast<uint16_t>(sample));
    }
    return wav;
}

std::vector<int16_t> sineTone(double seconds, double frequency, int amplitude) {
    constexpr double kRate = 11025.0;
    std::vector<int16_t> samples(static_cast<size_t>(seconds * kRate));
    for (size_t index = 0; index < samples.size(); ++index) {
        samples[index] = static_cast<int16_t>(amplitude * std::sin(2.0 * M_PI * frequency * index / kRate));
    }
    return samples;
}

int CapturedWav::peak(double from, double to) const {
    int best = 0;
    const size_t first = static_cast<size_t>(std::max(0.0, from) * sampleRate);
    const size_t last = std::min(samples.size(), static_cast<size_t>(std::max(0.0, to) * sampleRate));
    for (size_t index = first; index < last; ++index) {
        best = std::max(best, std::abs(static_cast<int>(samples[index])));
    }
    return best;
}

double CapturedWav::onset(int threshold) const {
    for (size_t index = 0; index < samples.size(); ++index) {
        if (std::abs(static_cast<int>(samples[index])) > threshold) {
            return static_cast<double>(index) / sampleRate;
        }
    }
    return -1.0;
}

CapturedWav readCapturedWav(const std::string& path) {
    CapturedWav result;
    const std::string bytes = readFile(path);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        return result;
    }
    uint16_t bits = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string tag = bytes.substr(at, 4);
        const size_t chunkSize = getU32(bytes, at + 4);
        const size_t body = at + 8;
        if (tag == "fmt " && body + 16 <= bytes.size()) {
            result.channels = getU16(bytes, body + 2);
            result.sampleRate = getU32(bytes, body + 4);
            bits = getU16(bytes, body + 14);
        } else if (tag == "data") {
            // The writer may not have patched the size in: take what the file holds.
            const size_t available = bytes.size() - body;
            const size_t length = std::min(available, chunkSize == 0 ? available : chunkSize);
            if (bits != 16 || result.channels == 0) {
                return result;
            }
            const size_t frames = length / (2 * result.channels);
            result.samples.resize(frames);
            for (size_t frame = 0; frame < frames; ++frame) {
                result.samples[frame] = static_cast<int16_t>(getU16(bytes, body + frame * 2 * result.channels));
            }
            result.valid = true;
            return result;
        }
        at = body + chunkSize + (chunkSize & 1);
    }
    return result;
}

}  // namespace testing_support
