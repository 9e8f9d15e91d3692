#include "LoopbackDevice.h"

#include <AL/alc.h>
#include <AL/alext.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "support/TestSupport.h"
#include "support/WavFiles.h"

// The sound system opens the default device and makes a context on it without attributes.
// In this executable both calls land here first: the device is openal-soft's loopback device,
// and its context gets the format that a loopback device must be told and a real one chooses
// itself. It mixes floats: this openal-soft dithers its 16-bit output and runs it through its
// limiter's look-ahead, so silence would not be silent nor a sound start where it was asked.
// Every other call of the sound system reaches the library untouched.

extern "C" ALCdevice* ALC_APIENTRY alcOpenDevice(const ALCchar* /*name*/) {
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    return open != nullptr ? open(nullptr) : nullptr;
}

extern "C" ALCcontext* ALC_APIENTRY alcCreateContext(ALCdevice* device, const ALCint* attributes) {
    using CreateContext = ALCcontext* (*)(ALCdevice*, const ALCint*);
    static const auto create = reinterpret_cast<CreateContext>(dlsym(RTLD_NEXT, "alcCreateContext"));
    auto supported =
        reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(alcGetProcAddress(device, "alcIsRenderFormatSupportedSOFT"));
    if (create == nullptr || supported == nullptr ||
        supported(device, audio_testing::kRenderRate, ALC_MONO_SOFT, ALC_FLOAT_SOFT) == ALC_FALSE) {
        fprintf(stderr, "The loopback device cannot mix mono floats at %d Hz\n", audio_testing::kRenderRate);
        return nullptr;
    }
    std::vector<ALCint> format = {ALC_FORMAT_CHANNELS_SOFT, ALC_MONO_SOFT, ALC_FORMAT_TYPE_SOFT,
                                  ALC_FLOAT_SOFT,           ALC_FREQUENCY, audio_testing::kRenderRate};
    for (; attributes != nullptr && attributes[0] != 0; attributes += 2) {
        format.insert(format.end(), {attributes[0], attributes[1]});
    }
    format.push_back(0);
    return create(device, format.data());
}

namespace audio_testing {

size_t toSamples(double seconds) {
    return static_cast<size_t>(std::lround(seconds * kRenderRate));
}

void Capture::render(size_t count) {
    ALCdevice* device = alcGetContextsDevice(alcGetCurrentContext());
    auto renderSamples = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
    if (device == nullptr || renderSamples == nullptr) {
        ADD_FAILURE() << "no loopback device to render";
        return;
    }
    std::vector<float> mixed(count);
    renderSamples(device, mixed.data(), static_cast<ALCsizei>(mixed.size()));
    for (float value : mixed) {
        samples.push_back(static_cast<int16_t>(std::clamp(std::lround(value * 32768.0f), -32768L, 32767L)));
    }
}

Samples Capture::slice(size_t from, size_t to) const {
    to = std::min(to, samples.size());
    return from < to ? Samples(samples.begin() + static_cast<long>(from), samples.begin() + static_cast<long>(to))
                     : Samples();
}

void Capture::keep(const std::string& name) const {
    const std::string folder = std::string(QUENLOW_TEST_OUTPUT) + "/audio";
    mkdir(folder.c_str(), 0755);
    testing_support::writeFile(folder + "/" + name + ".wav", testing_support::makeWav(samples));
}

int peak(const Samples& samples, size_t from, size_t to) {
    int loudest = 0;
    for (size_t at = from; at < std::min(to, samples.size()); ++at) {
        loudest = std::max(loudest, std::abs(static_cast<int>(samples[at])));
    }
    return loudest;
}

size_t firstSound(const Samples& samples, size_t from) {
    while (from < samples.size() && samples[from] == 0) {
        ++from;
    }
    return from;
}

}  // namespace audio_testing
