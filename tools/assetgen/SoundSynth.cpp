#include "SoundSynth.h"

#include "AssetWriter.h"

#include <algorithm>
#include <cmath>

namespace sound {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.69314718055994530942;
constexpr double kLog2E = 1.44269504088896340736;

// Correction of a naive sawtooth step around its jump (two-sample polynomial residual).
double polyBlep(double t, double dt) {
    if (t < dt) {
        const double x = t / dt;
        return x + x - x * x - 1.0;
    }
    if (t > 1.0 - dt) {
        const double x = (t - 1.0) / dt;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

void appendLe(std::vector<uint8_t>* bytes, uint32_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        bytes->push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFFu));
    }
}

void appendTag(std::vector<uint8_t>* bytes, const char* tag) {
    bytes->insert(bytes->end(), tag, tag + 4);
}

}  // namespace

long toSamples(double seconds) {
    const long count = static_cast<long>(seconds * kSampleRate + 0.5);
    return std::max(1L, count);
}

Random::Random(uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}

uint32_t Random::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

double Random::uniform() {
    return (next() >> 8) * (1.0 / 16777216.0);
}

double Random::bipolar() {
    return uniform() * 2.0 - 1.0;
}

double Random::range(double low, double high) {
    return low + (high - low) * uniform();
}

int Random::below(int count) {
    return count <= 1 ? 0 : static_cast<int>(next() % static_cast<uint32_t>(count));
}

double sinTurns(double turns) {
    double t = turns - std::floor(turns);
    if (t >= 0.5) {
        t -= 1.0;
    }
    double x = t * 2.0 * kPi;
    // Fold onto [-pi/2, pi/2], where the odd Taylor series to x^13 is accurate to 1e-9.
    if (x > kPi / 2.0) {
        x = kPi - x;
    } else if (x < -kPi / 2.0) {
        x = -kPi - x;
    }
    const double x2 = x * x;
    return x * (1.0 + x2 * (-1.0 / 6.0 +
                            x2 * (1.0 / 120.0 +
                                  x2 * (-1.0 / 5040.0 + x2 * (1.0 / 362880.0 +
                                                              x2 * (-1.0 / 39916800.0 + x2 * (1.0 / 6227020800.0)))))));
}

double cosTurns(double turns) {
    return sinTurns(turns + 0.25);
}

double expOf(double x) {
    x = std::min(700.0, std::max(-700.0, x));
    const double k = std::floor(x * kLog2E + 0.5);
    const double r = x - k * kLn2;
    double term = 1.0;
    double sum = 1.0;
    for (int i = 1; i <= 13; ++i) {
        term *= r / i;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double semitoneRatio(double semitones) {
    return expOf(semitones * kLn2 / 12.0);
}

double midiToHz(double note) {
    return 440.0 * semitoneRatio(note - 69.0);
}

double softClip(double x) {
    return x / (1.0 + std::fabs(x));
}

double Phase::advance(double hz) {
    const double current = value_;
    value_ += hz / kSampleRate;
    value_ -= std::floor(value_);
    return current;
}

double Oscillator::saw(double hz) {
    const double dt = std::min(0.5, std::fabs(hz) / kSampleRate);
    const double t = phase_.advance(hz);
    return 2.0 * t - 1.0 - polyBlep(t, dt);
}

double Oscillator::square(double hz) {
    const double dt = std::min(0.25, std::fabs(hz) / kSampleRate);
    const double t = phase_.advance(hz);
    const double naive = t < 0.5 ? 1.0 : -1.0;
    const double shifted = t + 0.5 - std::floor(t + 0.5);
    return naive + polyBlep(t, dt) - polyBlep(shifted, dt);
}

double Oscillator::triangle(double hz) {
    // Harmonics fall with 1/n^2, so the naive shape aliases little at our rate.
    const double t = phase_.advance(hz);
    return 4.0 * std::fabs(t - 0.5) - 1.0;
}

void Filter::set(double cutoffHz, double resonance) {
    const double cutoff = std::min(kNyquist * 0.98, std::max(10.0, cutoffHz));
    const double turns = cutoff / (2.0 * kSampleRate);
    g_ = sinTurns(turns) / cosTurns(turns);
    k_ = 1.0 / std::max(0.1, resonance);
    a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
}

void Filter::process(double x, double* low, double* band, double* high) {
    const double v3 = x - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    *low = v2;
    *band = v1;
    *high = x - k_ * v1 - v2;
}

double Filter::lowpass(double x) {
    double low = 0.0, band = 0.0, high = 0.0;
    process(x, &low, &band, &high);
    return low;
}

double Filter::bandpass(double x) {
    double low = 0.0, band = 0.0, high = 0.0;
    process(x, &low, &band, &high);
    return band;
}

double Filter::highpass(double x) {
    double low = 0.0, band = 0.0, high = 0.0;
    process(x, &low, &band, &high);
    return high;
}

void OnePole::set(double cutoffHz) {
    coefficient_ = 1.0 - expOf(-2.0 * kPi * std::max(1.0, cutoffHz) / kSampleRate);
}

double OnePole::lowpass(double x) {
    state_ += coefficient_ * (x - state_);
    return state_;
}

Reverb::Reverb(double roomSize, double damping) : feedback_(roomSize), damping_(damping) {
    // Mutually prime delays of 25 to 37 ms spread the echoes so that no single one rings.
    static const size_t kCombLengths[] = {279, 297, 319, 339, 355, 373, 389, 404};
    static const size_t kAllpassLengths[] = {139, 110, 85, 56};
    for (size_t length : kCombLengths) {
        Comb comb;
        comb.line.assign(length, 0.0);
        combs_.push_back(comb);
    }
    for (size_t length : kAllpassLengths) {
        Allpass allpass;
        allpass.line.assign(length, 0.0);
        allpasses_.push_back(allpass);
    }
}

double Reverb::process(double x) {
    double sum = 0.0;
    for (Comb& comb : combs_) {
        const double out = comb.line[comb.index];
        comb.store = out * (1.0 - damping_) + comb.store * damping_;
        comb.line[comb.index] = x + comb.store * feedback_;
        comb.index = (comb.index + 1) % comb.line.size();
        sum += out;
    }
    double y = sum * 0.125;
    for (Allpass& allpass : allpasses_) {
        const double delayed = allpass.line[allpass.index];
        allpass.line[allpass.index] = y + delayed * 0.5;
        allpass.index = (allpass.index + 1) % allpass.line.size();
        y = delayed - y;
    }
    return y;
}

Decay::Decay(double seconds) : factor_(expOf(-1.0 / (seconds * kSampleRate))) {}

double Decay::next() {
    const double current = level_;
    level_ *= factor_;
    return current;
}

double smoothStep(double position, double length) {
    if (length <= 0.0 || position >= length) {
        return 1.0;
    }
    if (position <= 0.0) {
        return 0.0;
    }
    return 0.5 - 0.5 * cosTurns(0.5 * position / length);
}

double attackRelease(long n, long attackSamples, long holdSamples, long releaseSamples) {
    if (n < 0) {
        return 0.0;
    }
    if (n < attackSamples) {
        return smoothStep(static_cast<double>(n), static_cast<double>(attackSamples));
    }
    if (n < holdSamples) {
        return 1.0;
    }
    return 1.0 - smoothStep(static_cast<double>(n - std::max(holdSamples, attackSamples)),
                            static_cast<double>(releaseSamples));
}

void mixInto(Samples* dst, const Samples& src, long offset, double gain) {
    if (offset < 0) {
        offset = 0;
    }
    const size_t start = static_cast<size_t>(offset);
    if (dst->size() < start + src.size()) {
        dst->resize(start + src.size(), 0.0);
    }
    for (size_t i = 0; i < src.size(); ++i) {
        (*dst)[start + i] += src[i] * gain;
    }
}

double peakOf(const Samples& samples) {
    double peak = 0.0;
    for (double value : samples) {
        peak = std::max(peak, std::fabs(value));
    }
    return peak;
}

double rmsOf(const Samples& samples) {
    if (samples.empty()) {
        return 0.0;
    }
    double sum = 0.0;
    for (double value : samples) {
        sum += value * value;
    }
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

void normalisePeak(Samples* samples, double peak) {
    const double current = peakOf(*samples);
    if (current <= 0.0) {
        return;
    }
    const double scale = peak / current;
    for (double& value : *samples) {
        value *= scale;
    }
}

void fadeEdges(Samples* samples, double fadeInSeconds, double fadeOutSeconds) {
    const double size = static_cast<double>(samples->size());
    const double fadeIn = std::min(size, fadeInSeconds * kSampleRate);
    const double fadeOut = std::min(size, fadeOutSeconds * kSampleRate);
    for (size_t i = 0; i < samples->size(); ++i) {
        const double position = static_cast<double>(i);
        (*samples)[i] *= smoothStep(position, fadeIn) * smoothStep(size - 1.0 - position, fadeOut);
    }
}

std::vector<uint8_t> encodeWav(const Samples& samples) {
    constexpr uint32_t kHeaderSize = 44;
    constexpr uint32_t kBytesPerSample = 2;
    const uint32_t dataSize = static_cast<uint32_t>(samples.size()) * kBytesPerSample;
    std::vector<uint8_t> bytes;
    bytes.reserve(kHeaderSize + dataSize);
    appendTag(&bytes, "RIFF");
    appendLe(&bytes, kHeaderSize - 8 + dataSize, 4);
    appendTag(&bytes, "WAVE");
    appendTag(&bytes, "fmt ");
    appendLe(&bytes, 16, 4);  // format chunk size
    appendLe(&bytes, 1, 2);   // PCM
    appendLe(&bytes, 1, 2);   // mono
    appendLe(&bytes, kSampleRate, 4);
    appendLe(&bytes, kSampleRate * kBytesPerSample, 4);
    appendLe(&bytes, kBytesPerSample, 2);
    appendLe(&bytes, 16, 2);
    appendTag(&bytes, "data");
    appendLe(&bytes, dataSize, 4);
    for (double value : samples) {
        const double scaled = std::min(32767.0, std::max(-32767.0, value * 32767.0));
        const long rounded = static_cast<long>(scaled + (scaled >= 0.0 ? 0.5 : -0.5));
        appendLe(&bytes, static_cast<uint32_t>(static_cast<int16_t>(rounded)) & 0xFFFFu, 2);
    }
    return bytes;
}

bool writeWav(const std::string& outDir, const std::string& entryName, const Samples& samples) {
    const std::vector<uint8_t> bytes = encodeWav(samples);
    return assetgen::writeEntry(outDir, entryName, bytes.data(), bytes.size());
}

}  // namespace sound
