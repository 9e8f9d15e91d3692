// What a player hears from the sound system, rendered offline through the loopback device:
// every game sound of the real package and a music, each found in the output by its own
// recording. The capture stays in build/test-output/audio/ for people to listen to.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "LoopbackDevice.h"
#include "SoundMatch.h"
#include "sound/SoundSystem.h"
#include "support/RunAssets.h"
#include "support/TestSupport.h"

namespace {

using audio_testing::Samples;
using audio_testing::toSamples;

// The pause before each request, and how much of its second turn the music plays.
constexpr double kGap = 0.25, kMusicSecondTurn = 2.5;
// What of a long recording the recognition compares.
constexpr double kSignatureSeconds = 2.0;
constexpr const char* kMusic = "sounds/background_1.wav";

Samples recording(const std::string& entry) {
    return e2e::readWavSamples(testing_support::runPath(entry));
}

// A sound requested at a sample of the capture and rendered up to another, looping when that
// is past its length.
struct Heard {
    std::string what;
    Samples recording;
    size_t request = 0;
    size_t end = 0;
};

// The capture from the gap before the request to the gap after the end as it should sound:
// the recording from the request on, silence around it.
Samples asRecorded(const Heard& heard, size_t gap) {
    Samples ideal(gap + (heard.end - heard.request) + gap, 0);
    for (size_t at = 0; at < heard.end - heard.request; ++at) {
        ideal[gap + at] = heard.recording[at % heard.recording.size()];
    }
    return ideal;
}

std::vector<size_t> recognised(const Samples& capture, const Samples& signature) {
    std::vector<size_t> found;
    for (double at : e2e::findPlays(capture, signature)) {
        found.push_back(toSamples(at));
    }
    return found;
}

// Silent up to the request and from the end on; from the first sample after the request, the
// recording's opening and close recognised where, and only where, they should be (as often
// as they recur in the recording), at the recording's level.
void expectHeard(const audio_testing::Capture& capture, const Heard& heard) {
    SCOPED_TRACE(heard.what);
    const size_t gap = toSamples(kGap);
    const size_t lead = audio_testing::firstSound(heard.recording);
    ASSERT_LT(lead, heard.recording.size()) << "a silent recording";
    EXPECT_EQ(audio_testing::peak(capture.samples, heard.request - gap, heard.request), 0) << "before its request";
    EXPECT_EQ(audio_testing::peak(capture.samples, heard.end, heard.end + gap), 0) << "after its end";
    EXPECT_EQ(audio_testing::firstSound(capture.samples, heard.request), heard.request + lead) << "late or early";

    const Samples played = capture.slice(heard.request - gap, heard.end + gap);
    const Samples ideal = asRecorded(heard, gap);
    // Long recordings are recognised by their opening: their close tells a cut one.
    std::vector<Samples> signatures = {heard.recording};
    if (heard.recording.size() > toSamples(kSignatureSeconds)) {
        signatures.emplace_back(heard.recording.end() - static_cast<long>(toSamples(kSignatureSeconds)),
                                heard.recording.end());
    }
    for (const Samples& signature : signatures) {
        const std::vector<size_t> expected = recognised(ideal, signature);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(recognised(played, signature), expected) << "where it is recognised";
    }
    // The game plays every sound at unit gain.
    const int level = audio_testing::peak(ideal);
    EXPECT_NEAR(audio_testing::peak(played), level, level * 0.05);
}

// What each sound's callers expect to hear.
constexpr std::pair<game_sound, const char*> kRecordings[] = {
    {SOUND_GUN_1, "sounds/gun_1.wav"},
    {SOUND_GUN_2, "sounds/gun_2.wav"},
    {SOUND_TAKEOFF, "sounds/takeoff.wav"},
    {SOUND_UI_BLIPP, "sounds/ui_blipp.wav"},
    {SOUND_UI_BLIPP2, "sounds/ui_blipp2.wav"},
    {SOUND_UI_BLIPP3, "sounds/ui_blipp3.wav"},
    {SOUND_NEGATIVE, "sounds/negative.wav"},
    {SOUND_SUCCESS, "sounds/success.wav"},
    {SOUND_LASER, "sounds/laser.wav"},
    {SOUND_EXPLOSION_1, "sounds/explosion_1.wav"},
    {SOUND_DAMAGE_TAKEN_1, "sounds/damage_taken_1.wav"},
    {SOUND_PLAYER_DEATH, "sounds/player_death.wav"},
    {SOUND_FOOTSTEP1, "sounds/footstep1.wav"},
    {SOUND_FOOTSTEP2, "sounds/footstep2.wav"},
    {SOUND_FOOTSTEP3, "sounds/footstep3.wav"},
    {SOUND_FOOTSTEP4, "sounds/footstep4.wav"},
    {SOUND_FOOTSTEP5, "sounds/footstep5.wav"},
    {SOUND_JUMP, "sounds/jump.wav"},
};
static_assert(std::size(kRecordings) == SoundSystem::kSoundCount);

// Each of the 18 sounds, played to its end after a pause; then the music for its first turn
// and the start of its second, and its stop.
TEST(SoundCapture, EveryPackagedSoundAndTheMusicAreHeardWhenRequested) {
    REQUIRE_RUN_ASSETS();
    testing_support::ScopedWorkingDirectory inRunFolder(QUENLOW_RUN_DIR);
    SoundSystem sound(true);
    ASSERT_TRUE(sound.setup());
    audio_testing::Capture capture;
    const size_t gap = toSamples(kGap);
    std::vector<Heard> sounds;
    for (const auto& [id, entry] : kRecordings) {
        Heard heard{entry, recording(entry)};
        capture.render(gap);
        heard.request = capture.now();
        EXPECT_TRUE(sound.play(id, false)) << heard.what;
        capture.render(heard.recording.size());
        heard.end = capture.now();
        sounds.push_back(heard);
    }
    const Samples music = recording(kMusic);
    capture.render(gap);
    const size_t musicStart = capture.now();
    EXPECT_TRUE(sound.startContinousSound(kMusic));
    capture.render(music.size() + toSamples(kMusicSecondTurn));
    const size_t stop = capture.now();
    sound.stopContinousSound();
    capture.render(gap);
    capture.keep("packaged_sounds");

    for (const Heard& heard : sounds) {
        expectHeard(capture, heard);
    }
    expectHeard(capture, {"the music", music, musicStart, stop});
}

}  // namespace
