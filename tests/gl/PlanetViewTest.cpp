// The planet view driven frame by frame with scripted input on a real level, with the game's
// own HUD, UFOs and sound system, and a hundred trips to the planet and back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "RenderTestKit.h"
#include "audio/AudioTestSupport.h"
#include "game/ArtefactManager.h"
#include "game/EnemyManager.h"
#include "game/FpsGame.h"
#include "game/Hud.h"
#include "game/Level.h"
#include "game/PlanetView.h"
#include "game/StarMapView.h"
#include "render/Camera.h"
#include "render/ProgramManager.h"
#include "render/TextureManager.h"
#include "support/GlWindow.h"
#include "support/RunAssets.h"

namespace {

using Sounds = std::multiset<int>;
const char* const kLevel = "levels/system_1/s1p1.json";  // the crystal at (70, 45), the rocket at the origin
const int kPlayButtonY = 720 - 323, kExitButtonY = 720 - 179;

// A key release, a press, or a mouse motion of (detail, yrel).
SDL_Event event(Uint32 type, int detail = 0, int yrel = 0) {
    SDL_Event made{};
    made.type = type;
    type == SDL_KEYUP ? void(made.key.keysym.sym = detail) : void(made.motion.xrel = detail);
    made.motion.yrel = yrel;
    return made;
}

struct PlanetViewTest : ::testing::Test {
    void SetUp() override {
        REQUIRE_RUN_ASSETS();
        ASSERT_TRUE(game.setup());
    }
    void open() {
        view = std::make_unique<PlanetView>(&game, kLevel);
        ASSERT_TRUE(view->setup());
        view->begin(ticks);
    }
    // Tenth-second frames until the rocket stands, the first UFO waiting beside the camera.
    void land() {
        *game.getEnemyManager()->getEnemies()[0] = Enemy{{40, 32, 22}, {}, 0, 0, ENEMY_ATTACKING, 0, 3, 50};
        for (int i = 0; i < 200 && view->getLevelCode() != ROCKET_CODE_LANDED; ++i) {
            frames(1, {}, 100);
            if (i == 30) {
                screenshot("landing");
            }
        }
    }
    // n frames of ms milliseconds (60 a second by default) with keys held and the events in
    // the first; the game sounds they started. A pool source holding a buffer started it: each
    // is stopped and emptied after the look, so none is busy in the next frame.
    Sounds frames(int n = 1, std::vector<SDL_Event> events = {}, int ms = -1, std::vector<SDL_Scancode> held = {}) {
        Sounds played;
        SoundSystem& sound = *game.getSoundSystem();
        for (int i = 0; i < n; ++i, events.clear()) {
            FrameInput input;
            input.ticks = ticks += uint32_t(ms >= 0 ? ms : ++frameCount % 3 == 0 ? 16 : 17);
            input.mouseX = cursor.x;
            input.mouseY = cursor.y;
            input.events = events;
            input.keys.assign(SDL_NUM_SCANCODES, 0);
            for (SDL_Scancode key : held) {
                input.keys[key] = 1;
            }
            view->frame(input);
            for (int pooled = 0; pooled < SoundSystem::kPoolSize; ++pooled) {
                const ALuint source = SoundSystemInspector::poolSource(sound, pooled);
                for (int s = 0; s < SoundSystem::kSoundCount; ++s) {
                    if (ALint(SoundSystemInspector::buffer(sound, game_sound(s))) ==
                        audio_testing::sourceInt(source, AL_BUFFER)) {
                        played.insert(s);
                    }
                }
                alSourceStop(source);
                alSourcei(source, AL_BUFFER, 0);
            }
        }
        return played;
    }
    Sounds released(SDL_Keycode key) { return frames(1, {event(SDL_KEYUP, key)}); }
    void pressButton(int y) {  // SDL's y of the middle of a pause menu button
        cursor.y = y;
        frames(1, {event(SDL_MOUSEBUTTONDOWN)});
        cursor.y = 100;
    }
    void screenshot(const char* name) { render_test::saveScreenshot(std::string("planet_") + name + ".png"); }
    bool hudShown() { return render_test::imageVisible("textures/hud_gun_2.png", 593, 0); }

    testing_support::ScopedWorkingDirectory inside{QUENLOW_RUN_DIR};
    FpsGame game;
    std::unique_ptr<PlanetView> view;
    uint32_t ticks = 90000;
    int frameCount = 0;
    glm::ivec2 cursor = glm::ivec2(640, 100);
};

}  // namespace

TEST_F(PlanetViewTest, LandWalkFightDieRespawnAndPause) {
    open();
    land();
    // Reset to the player's start; no UFO fired at the camera watching the landing.
    EXPECT_FALSE(hudShown()) << "nor in the frame the landing ends";
    EXPECT_TRUE(*view->getCamera()->getPosition() == glm::vec3(40.0f, 0.0f, 0.0f) && game.getLives() == 5);
    const auto& ufos = game.getEnemyManager()->getEnemies();
    for (const auto& ufo : ufos) {
        *ufo = Enemy{{}, {}, 0, 0, ENEMY_DEAD, 0, 1e9f, 0};  // gone for good
    }
    frames();
    EXPECT_TRUE(hudShown());
    screenshot("on_foot");

    // Keys held, seconds between footsteps (0: none); after a rest the first step sounds at once.
    for (const auto& [keys, interval] : {std::pair(std::vector<SDL_Scancode>{}, 0.0f),
                                         {{SDL_SCANCODE_W}, 0.433f},
                                         {{SDL_SCANCODE_W, SDL_SCANCODE_LSHIFT}, 0.35f}}) {
        EXPECT_EQ(frames(30), Sounds{}) << "standing still";
        std::vector<uint32_t> steps{ticks};
        for (int i = 0; i < 180; ++i) {
            const Sounds sounds = frames(1, {}, -1, keys);
            sounds.count(SOUND_FOOTSTEP1) + sounds.count(SOUND_FOOTSTEP5) > 0 ? steps.push_back(ticks) : void();
        }
        EXPECT_TRUE(steps.size() == 1 ? interval == 0.0f : interval > 0.0f && steps[1] - steps[0] <= 17u) << interval;
        for (size_t i = 2; i < steps.size(); ++i) {
            EXPECT_NEAR((steps[i] - steps[i - 1]) / 1000.0f, interval, 0.02f) << interval;
        }
    }
    // Space held: the arches follow each other every 0.63 s or so, but their sound comes once
    // a second at most, a frame or two later when it falls between two arches.
    std::vector<uint32_t> jumps;
    for (int i = 0; i < 300; ++i) {
        if (frames(1, {}, -1, {SDL_SCANCODE_SPACE}).count(SOUND_JUMP) > 0) {
            jumps.push_back(ticks);
        }
    }
    EXPECT_EQ(jumps.size(), 5u);
    for (size_t i = 1; i < jumps.size(); ++i) {
        EXPECT_TRUE(jumps[i] - jumps[i - 1] >= 1000u && jumps[i] - jumps[i - 1] <= 1050u) << jumps[i] - jumps[i - 1];
    }
    frames(60);  // the last arch ends
    for (int i = 0; i < 80; ++i) {
        frames(1, {}, i % 2 == 0 ? 20 : 0);  // a frame of no length has no finite rate
    }
    EXPECT_EQ(view->getHud()->getFpsText(), "50");

    view->getCamera()->position = glm::vec3(40.0f, -30.0f, 0.0f);  // away from the rocket
    frames();
    for (size_t i = 0; i < 2; ++i) {  // two attack from ahead
        *ufos[i] = Enemy{
            *view->getCamera()->getPosition() + glm::vec3(-15, i * -8.0f, 0), {}, 0, 0, ENEMY_ATTACKING, 0, 3, 50};
    }
    EXPECT_EQ(frames(144).count(SOUND_LASER), 4u);
    screenshot("ufos_attacking");  // the first two shots a few units away
    // Up at the first saucer's body, 1.6 above its position: a shot flies where the last frame looked.
    const float rise = ufos[0]->pos.z + 1.6f - view->getCamera()->getPosition()->z;
    frames(1, {event(SDL_MOUSEMOTION, 0, static_cast<int>(rise / 15.0f * 200.0f + 0.5f))});
    for (int shot = 0; shot < 5; ++shot) {
        EXPECT_EQ(frames(1, {event(SDL_MOUSEBUTTONDOWN)}).count(SOUND_GUN_2), 1u);
        shot == 0 ? screenshot("muzzle_flash") : void();
        frames(15);
    }
    screenshot("explosion");
    EXPECT_EQ(ufos[0]->state, ENEMY_DEAD);

    Sounds sounds;
    for (int i = 0; i < 600 && game.getLives() >= 0; ++i) {
        sounds = frames();  // the other one's shots
    }
    EXPECT_TRUE(view->getHud()->getState() == HUD_STATE_DEAD && sounds.count(SOUND_PLAYER_DEATH) == 1u);
    sounds = frames(5, {event(SDL_MOUSEBUTTONDOWN)}, 100);
    screenshot("death");
    sounds.merge(frames(45, {}, 100));  // long enough for the shots in flight to end
    EXPECT_EQ(sounds.count(SOUND_GUN_2) + sounds.count(SOUND_PLAYER_DEATH), 0u) << "no shot; one death";
    released(SDLK_SPACE);
    EXPECT_TRUE(game.getLives() == 5 && view->getHud()->getState() == HUD_STATE_PLAYING);

    const float heading = view->getCamera()->getViewXYAngle();
    released(SDLK_ESCAPE);
    EXPECT_EQ(frames(1, {event(SDL_MOUSEMOTION, 300), event(SDL_MOUSEBUTTONDOWN)}).count(SOUND_GUN_2), 0u);
    pressButton(kPlayButtonY);
    frames();
    EXPECT_EQ(view->getCamera()->getViewXYAngle(), heading) << "the motion while paused did not turn the view";
    frames(1, {event(SDL_MOUSEMOTION, 100)});
    EXPECT_NEAR(view->getCamera()->getViewXYAngle(), heading - 0.17453292f, 1e-5f) << "ten degrees to the right";
}

// G and M act on the level's facing flags; once a take-off has begun the visit ends with the
// star map next, whether the rocket is left to go or the exit button ends it first.
TEST_F(PlanetViewTest, TheCrystalIsTakenWithGAndTheRocketBoardedWithM) {
    for (const auto& [board, exit, result] : {std::tuple(false, true, VIEW_STATE_END),
                                              {true, false, VIEW_STATE_STAR_MAP},
                                              {true, true, VIEW_STATE_STAR_MAP}}) {
        open();
        land();
        Level& level = *view->getLevel();
        // Each target ahead along -x, then G and M released.
        view->getCamera()->position = board ? glm::vec3(6, 0, 0) : level.artefactPosition + glm::vec3(3, 0, 0);
        const Sounds far = frames(1, {event(SDL_KEYUP, SDLK_g), event(SDL_KEYUP, SDLK_m)});
        frames(20);
        EXPECT_EQ(far, (Sounds{SOUND_NEGATIVE, SOUND_NEGATIVE})) << "the facing test had not run";
        EXPECT_EQ(released(board ? SDLK_m : SDLK_g), Sounds{board ? SOUND_TAKEOFF : SOUND_SUCCESS});
        EXPECT_TRUE(level.artefactPresent == board && game.getArtefactManager()->isArtefactFound(kLevel))
            << "taken in the first visit";
        frames(20, {}, 100);
        EXPECT_TRUE(board || released(SDLK_g) == Sounds{SOUND_NEGATIVE}) << "a crystal is taken once";
        EXPECT_NE(hudShown(), board) << "hidden while the rocket leaves";
        if (exit) {
            released(SDLK_ESCAPE);
            pressButton(kExitButtonY);
        } else if (board) {
            screenshot("take_off");
        }
        for (int i = 0; i < 100 && !game.isExitRequested(); ++i) {
            frames(1, {}, 100);
        }
        EXPECT_EQ(view->getLevelCode() == ROCKET_CODE_GONE, board && !exit);
        EXPECT_TRUE(game.isExitRequested() && view->end() == result) << board << exit;
    }
}

// Each trip sets up the star map and the planet and ends both after a frame, as the game's
// loop does: the caches end at the counts they started with, and the process does not grow.
TEST_F(PlanetViewTest, AHundredTripsToThePlanetAndBackGiveBackWhatTheyTook) {
    const auto shares = [] {
        return std::make_pair(TextureManager::getInstance()->getReferenceCounts(),
                              ProgramManager::getInstance()->getReferenceCounts());
    };
    const auto residentBytes = [] {
        long pages = 0, resident = 0;
        std::ifstream("/proc/self/statm") >> pages >> resident;
        return resident * sysconf(_SC_PAGESIZE);
    };
    const auto trip = [this] {
        StarMapView starMap(&game, "levels/system_1/s1.json", false);
        ASSERT_TRUE(starMap.setup());
        starMap.begin(ticks);
        FrameInput input;
        input.ticks = ticks + 16;
        starMap.frame(input);
        starMap.end();
        open();
        frames();
        view->end();
    };
    const auto before = shares();
    trip();  // the allocators' and the driver's first growth
    const long grownBefore = residentBytes();
    for (int i = 0; i < 100; ++i) {
        trip();
    }
    EXPECT_EQ(shares(), before);
    EXPECT_LT(residentBytes() - grownBefore, 64L << 20) << "bytes grown; a level left behind is some 50 MB";
}
