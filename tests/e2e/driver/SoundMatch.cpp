#include "SoundMatch.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace e2e {

namespace {

// The sounds' peaks must stand out this clearly from what is mixed with them, at about the
// gain the game plays every sound with.
const double kLeastCorrelation = 0.3;
const double kLeastGain = 0.6;
const double kMostGain = 1.5;
// Long sounds are recognised by their start: the music's loop, or a take-off cut short by the end.
const size_t kLongestSignature = 2 * 11025;

using Spectrum = std::vector<std::complex<double>>;

// In-place radix-2 transform; the size is a power of two.
void transform(Spectrum* values, bool inverse) {
    Spectrum& a = *values;
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = 2.0 * M_PI / static_cast<double>(length) * (inverse ? 1.0 : -1.0);
        const std::complex<double> unit(std::cos(angle), std::sin(angle));
        for (size_t block = 0; block < n; block += length) {
            std::complex<double> turn(1.0);
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> even = a[block + k];
                const std::complex<double> odd = a[block + k + length / 2] * turn;
                a[block + k] = even + odd;
                a[block + k + length / 2] = even - odd;
                turn *= unit;
            }
        }
    }
}

// The sound without the silence it starts and ends with.
Samples trimmed(const Samples& sound) {
    size_t first = 0;
    size_t end = sound.size();
    while (first < end && sound[first] == 0) {
        ++first;
    }
    while (end > first && sound[end - 1] == 0) {
        --end;
    }
    end = std::min(end, first + kLongestSignature);
    return Samples(sound.begin() + static_cast<long>(first), sound.begin() + static_cast<long>(end));
}

}  // namespace

std::vector<double> findPlays(const Samples& capture, const Samples& recorded) {
    const Samples sound = trimmed(recorded);
    std::vector<double> plays;
    if (sound.empty() || capture.size() < sound.size()) {
        return plays;
    }
    size_t size = 1;
    while (size < capture.size() + sound.size()) {
        size <<= 1;
    }
    Spectrum mixed(size);
    Spectrum reversed(size);
    std::copy(capture.begin(), capture.end(), mixed.begin());
    double soundEnergy = 0.0;
    for (size_t i = 0; i < sound.size(); ++i) {
        reversed[(size - i) % size] = sound[i];
        soundEnergy += static_cast<double>(sound[i]) * sound[i];
    }
    transform(&mixed, false);
    transform(&reversed, false);
    for (size_t i = 0; i < size; ++i) {
        mixed[i] *= reversed[i];
    }
    transform(&mixed, true);
    // The capture's energy under the sound at every offset, from running sums.
    std::vector<double> energy(capture.size() + 1, 0.0);
    for (size_t i = 0; i < capture.size(); ++i) {
        energy[i + 1] = energy[i] + static_cast<double>(capture[i]) * capture[i];
    }
    const size_t last = capture.size() - sound.size();
    for (size_t at = 0; at <= last; ++at) {
        const double product = mixed[at].real() / static_cast<double>(size);
        const double heard = energy[at + sound.size()] - energy[at];
        const double correlation = heard > 0.0 ? product / std::sqrt(heard * soundEnergy) : 0.0;
        const double gain = product / soundEnergy;
        if (correlation < kLeastCorrelation || gain < kLeastGain || gain > kMostGain) {
            continue;
        }
        // The best offset within the sound's length is where it starts.
        size_t best = at;
        double bestCorrelation = correlation;
        for (size_t next = at + 1; next <= std::min(last, at + sound.size()); ++next) {
            const double nextHeard = energy[next + sound.size()] - energy[next];
            const double nextCorrelation =
                nextHeard > 0.0 ? mixed[next].real() / static_cast<double>(size) / std::sqrt(nextHeard * soundEnergy)
                                : 0.0;
            if (nextCorrelation > bestCorrelation) {
                best = next;
                bestCorrelation = nextCorrelation;
            }
        }
        plays.push_back(static_cast<double>(best) / kSampleRate);
        at = best + sound.size() / 2;
    }
    return plays;
}

}  // namespace e2e
