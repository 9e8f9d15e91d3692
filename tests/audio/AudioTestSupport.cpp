#include "AudioTestSupport.h"

#include <AL/alc.h>
#include <AL/alext.h>
#include <unistd.h>

#include <cstdlib>

#include "support/WavFiles.h"

namespace audio_testing {

using testing_support::Entries;

namespace {

constexpr const char* kChildMarker = "QUENLOW_AUDIO_CHILD";

std::string thisExecutable() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

}  // namespace

Entries soundEntries(double seconds, double musicSeconds) {
    Entries entries;
    double pitch = 220.0;
    for (int sound = 0; sound < SoundSystem::kSoundCount; ++sound) {
        entries.emplace_back(SoundSystem::soundEntry(game_sound(sound)), testing_support::makeWav(testing_support::sineTone(seconds, pitch, kToneAmplitude)));
        pitch += 20.0;
    }
    entries.emplace_back("sounds/background_1.wav",
                         testing_support::makeWav(testing_support::sineTone(musicSeconds, 147.0, kToneAmplitude)));
    entries.emplace_back("sounds/background_2.wav",
                         testing_support::makeWav(testing_support::sineTone(musicSeconds, 196.0, kToneAmplitude)));
    return entries;
}

Entries without(Entries entries, const std::string& name) {
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (entry->first == name) {
            entries.erase(entry);
            break;
        }
    }
    return entries;
}

Entries replaced(Entries entries, const std::string& name, const std::string& bytes) {
    for (auto& entry : entries) {
        if (entry.first == name) {
            entry.second = bytes;
        }
    }
    return entries;
}

double deviceClockSeconds() {
    ALCdevice* device = alcGetContextsDevice(alcGetCurrentContext());
    if (device == nullptr || !alcIsExtensionPresent(device, "ALC_SOFT_device_clock")) {
        return -1.0;
    }
    auto getInteger64 = reinterpret_cast<LPALCGETINTEGER64VSOFT>(alcGetProcAddress(device, "alcGetInteger64vSOFT"));
    ALCint64SOFT nanoseconds = -1;
    getInteger64(device, ALC_DEVICE_CLOCK_SOFT, 1, &nanoseconds);
    return static_cast<double>(nanoseconds) / 1e9;
}

ALint sourceState(ALuint source) {
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

ALint sourceBuffer(ALuint source) {
    ALint buffer = 0;
    alGetSourcei(source, AL_BUFFER, &buffer);
    return buffer;
}

bool runningAsChild() {
    return getenv(kChildMarker) != nullptr;
}

std::string childSetting(const char* name) {
    const char* value = getenv(name);
    return value != nullptr ? value : "";
}

testing_support::CommandResult runChildTest(const std::string& testName, const std::vector<std::string>& settings) {
    std::string command = "env -u ALSOFT_DRIVERS " + std::string(kChildMarker) + "=1";
    for (const std::string& setting : settings) {
        command += " '" + setting + "'";
    }
    command += " '" + thisExecutable() + "' --gtest_filter='" + testName + "'";
    return testing_support::runCommand("/", command);
}

std::string writeOpenAlConfig(const std::string& dir, const std::string& capture, const std::string& extra) {
    const std::string path = dir + "/alsoft.conf";
    std::string text = "[general]\n";
    text += capture.empty() ? "drivers=null\n" : "drivers=wave\n";
    // Dither would turn silence into noise of one step.
    text += "channels=mono\nsample-type=int16\nfrequency=11025\ndither=false\n" + extra;
    if (!capture.empty()) {
        text += "[wave]\nfile=" + capture + "\n";
    }
    testing_support::writeFile(path, text);
    return path;
}

}  // namespace audio_testing

#include <gtest/gtest.h>

namespace audio_testing {

void expectChildPasses(const std::string& testName, const std::vector<std::string>& settings) {
    const testing_support::CommandResult result = runChildTest(testName, settings);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("[       OK ] " + testName), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("[  SKIPPED ]"), std::string::npos) << result.output;
}

}  // namespace audio_testing
