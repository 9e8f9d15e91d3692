// The audio tests' sound card: openal-soft's loopback device, mixed only when a test renders
// it, so that what the game's own SoundSystem plays is heard sample by sample, offline and
// whatever the machine's load. This executable answers the sound system's opening of the
// default device with a loopback device (LoopbackDevice.cpp); the game is not told.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace audio_testing {

// The game's sounds' own format: mono 16-bit at 11025 Hz.
constexpr int kRenderRate = 11025;
using Samples = std::vector<int16_t>;

size_t toSamples(double seconds);

// What the current context has mixed so far, rendered on request.
struct Capture {
    // Appends the next count samples of output; a failure of the test without a loopback device.
    void render(size_t count);
    // Where the next render starts: where a request made now starts to sound.
    size_t now() const { return samples.size(); }
    Samples slice(size_t from, size_t to) const;
    // Writes the capture to build/test-output/audio/<name>.wav for people to listen to.
    void keep(const std::string& name) const;

    Samples samples;
};

// The largest magnitude over [from, to).
int peak(const Samples& samples, size_t from = 0, size_t to = std::numeric_limits<size_t>::max());
// The first sample at or after from that is not silent; the end when there is none.
size_t firstSound(const Samples& samples, size_t from = 0);

}  // namespace audio_testing
