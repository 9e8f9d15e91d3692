// Sound system start-up (decoding the 18 game sounds into OpenAL buffers) and the cost of
// one play request. Runs on openal-soft's null device. Uses the real package in the run
// folder when it holds the game sounds, else 18 made-up sounds of about their length.
#include <AL/al.h>
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/FileReader.h"
#include "core/PackageManager.h"
#include "sound/SoundSystem.h"

namespace {

constexpr double kSyntheticSeconds = 1.0;
constexpr uint32_t kSampleRate = 11025;

void putLittleEndian(std::string* out, uint32_t value, int bytes) {
    for (int byte = 0; byte < bytes; ++byte) {
        out->push_back(static_cast<char>(value >> (8 * byte)));
    }
}

// A canonical 16-bit mono WAV of a decaying tone.
std::string syntheticSound(double pitch) {
    const uint32_t count = static_cast<uint32_t>(kSyntheticSeconds * kSampleRate);
    std::string wav = "RIFF";
    putLittleEndian(&wav, 36 + count * 2, 4);
    wav += "WAVEfmt ";
    putLittleEndian(&wav, 16, 4);               // format chunk size
    putLittleEndian(&wav, 1, 2);                // PCM
    putLittleEndian(&wav, 1, 2);                // one channel
    putLittleEndian(&wav, kSampleRate, 4);
    putLittleEndian(&wav, kSampleRate * 2, 4);  // byte rate
    putLittleEndian(&wav, 2, 2);                // block align
    putLittleEndian(&wav, 16, 2);               // bits per sample
    wav += "data";
    putLittleEndian(&wav, count * 2, 4);
    for (uint32_t index = 0; index < count; ++index) {
        const double time = static_cast<double>(index) / kSampleRate;
        const double value = 9000.0 * std::exp(-3.0 * time) * std::sin(2.0 * M_PI * pitch * time);
        putLittleEndian(&wav, static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
    }
    return wav;
}

// Moves into a folder whose data.tul holds the game sounds; returns the temporary folder
// made for it, or "".
std::string enterPackageFolder() {
    const std::string runDir = QUENLOW_RUN_DIR;
    if (FileReader::file_exists(runDir + "/data.tul") && FileReader::file_exists(runDir + "/sounds/jump.wav") &&
        chdir(runDir.c_str()) == 0) {
        printf("Game sounds from %s/data.tul\n", runDir.c_str());
        return "";
    }
    char pattern[] = "/tmp/quenlow-sound-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    mkdir((dir + "/sounds").c_str(), 0755);
    std::vector<std::string> names;
    double pitch = 220.0;
    for (int sound = 0; sound < SoundSystem::kSoundCount; ++sound) {
        const char* name = SoundSystem::soundEntry(game_sound(sound));
        const std::string wav = syntheticSound(pitch += 25.0);
        FILE* out = fopen((dir + "/" + name).c_str(), "wb");
        fwrite(wav.data(), 1, wav.size(), out);
        fclose(out);
        names.push_back(name);
    }
    if (chdir(dir.c_str()) != 0 || !PackageManager::getInstance()->createPackage(names, "data.tul", true)) {
        fprintf(stderr, "could not build the sound package in %s\n", dir.c_str());
        exit(1);
    }
    printf("Made-up game sounds of %.1f s in %s/data.tul\n", kSyntheticSeconds, dir.c_str());
    return dir;
}

void BM_SoundSystemSetup(benchmark::State& state) {
    for (auto _ : state) {
        auto sound = std::make_unique<SoundSystem>(true);
        if (!sound->setup()) {
            state.SkipWithError("setup failed");
            break;
        }
        state.PauseTiming();
        sound.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SoundSystemSetup)->Unit(benchmark::kMillisecond);

}  // namespace

// Reads the pool's handles so that the benchmark can stop its sources between requests.
class SoundSystemInspector {
public:
    static ALuint poolSource(const SoundSystem& sound, int index) { return sound.sources[index]; }
};

namespace {

// One request on an idle pool source: bind the buffer and start it. Every pool source is
// stopped again outside the measured time.
void BM_PlayOnIdleSource(benchmark::State& state) {
    SoundSystem sound(true);
    if (!sound.setup()) {
        state.SkipWithError("setup failed");
        return;
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool played = sound.play(SOUND_GUN_1, false);
        const auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(played);
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        for (int index = 0; index < SoundSystem::kPoolSize; ++index) {
            alSourceStop(SoundSystemInspector::poolSource(sound, index));
        }
    }
}
BENCHMARK(BM_PlayOnIdleSource)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A request that falls on a source still playing and is dropped.
void BM_PlayOnBusySource(benchmark::State& state) {
    SoundSystem sound(true);
    if (!sound.setup()) {
        state.SkipWithError("setup failed");
        return;
    }
    // Looping keeps every pool source busy however long the run.
    for (int index = 0; index < SoundSystem::kPoolSize; ++index) {
        sound.play(SOUND_TAKEOFF, false);
        alSourcei(SoundSystemInspector::poolSource(sound, index), AL_LOOPING, AL_TRUE);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(sound.play(SOUND_GUN_1, false));
    }
}
BENCHMARK(BM_PlayOnBusySource)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // No sound card is needed to measure the work the game does.
    setenv("ALSOFT_DRIVERS", "null", 0);
    const std::string madeFolder = enterPackageFolder();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!madeFolder.empty()) {
        std::filesystem::remove_all(madeFolder);
    }
    return 0;
}
