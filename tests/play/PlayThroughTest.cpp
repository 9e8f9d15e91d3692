// The real game played through with real input only, as a person plays it: a planet picked
// on the star map, the landing, a walk, a shot, the crystal picked up, the rocket boarded and
// the star map again; and a player who stays among the UFOs until they win, then respawns.
// The game's clock is fixed from outside, so the planets and the UFOs start where they did
// last time. Every step's screenshot is in build/test-output/playthrough/<test>/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "GameSession.h"
#include "Player.h"
#include "support/RunAssets.h"

namespace {

using e2e::Player;
using e2e::Point;
using e2e::Screen;

const char* const kPlanet = "levels/system_1/s1p3.json";
const double kDeathSoundLength = 3.5;

// The crystal's violet anywhere in the view.
int crystalPixels(const Screen& screen) {
    return screen.count(0, 0, screen.width, screen.height, e2e::isCrystalShard);
}

// The muzzle flash's orange over the gun's muzzle.
int flashPixels(const Screen& screen) {
    return screen.count(690, 380, 90, 80, [](const uint8_t* pixel) {
        return pixel[0] > 200 && pixel[1] > 80 && pixel[1] < 210 && pixel[2] < 100;
    });
}

// The row where the sky meets the ground, from the top, in the middle of the left and right
// thirds: the sky is blue, the snow grey.
int horizon(const Screen& screen) {
    int rows = 0;
    for (int x : {200, 1080}) {
        int y = 0;
        while (y < screen.height && screen.at(x, y)[2] > screen.at(x, y)[0] + 25) {
            ++y;
        }
        rows += y;
    }
    return rows / 2;
}

// From the start to the player standing on the planet with the HUD shown.
bool landOnThePlanet(e2e::GameSession& game, Player& player, double* exploreAt, double* onFootAt) {
    if (!game.start("", true) || !game.waitForWindow(60) || !player.waitForStarMap("star map after the fly-in") ||
        !player.pickPlanet(kPlanet)) {
        return false;
    }
    *exploreAt = player.now();
    if (!player.explore() || !player.land()) {
        return false;
    }
    *onFootAt = player.now();
    return true;
}

}  // namespace

TEST(PlayThrough, PlanetCrystalRocketAndBack) {
    REQUIRE_RUN_ASSETS();
    e2e::GameSession game("crystal_and_back", "playthrough");
    Player player(game);
    double exploreAt = 0.0;
    double onFootAt = 0.0;
    ASSERT_TRUE(landOnThePlanet(game, player, &exploreAt, &onFootAt));

    // Walking on along a heading the mouse gave: the location changes along it.
    player.walkOn(135.0);
    Point from;
    ASSERT_TRUE(player.freshLocation(&from));
    Point walked;
    ASSERT_TRUE(player.step(
        "walked",
        [&](const Screen& screen) {
            return player.location(screen, &walked) && std::hypot(walked.x - from.x, walked.y - from.y) >= 8.0;
        },
        60));
    const double heading = std::atan2(walked.y - from.y, walked.x - from.x) * 180.0 / M_PI;
    EXPECT_NEAR(heading, 135.0, 20.0) << "walked from " << from.x << " " << from.y << " to " << walked.x << " "
                                      << walked.y;

    // A shot on the move: the muzzle flash over the gun, and the blaster's sound.
    const double shotAt = player.now();
    EXPECT_LT(flashPixels(player.screen()), 10) << "orange over the muzzle before the shot";
    ASSERT_TRUE(player.step(
        "muzzle flash",
        [&](const Screen& screen) {
            game.click();
            return flashPixels(screen) > 30;
        },
        60));
    const double shotUntil = player.now();

    // The crystal: walked up to, and picked up with G.
    double pickedAt = 0.0;
    ASSERT_TRUE(player.takeCrystal(kPlanet, &pickedAt));
    ASSERT_TRUE(player.step(
        "crystal gone",
        [&](const Screen& screen) {
            return player.lives(screen) > 0 && !player.showsPrompt(screen, e2e::kPickUpPrompt) &&
                   crystalPixels(screen) == 0;
        },
        30));
    const double pickedUntil = player.now();

    // Back to the rocket and away.
    double boardedAt = 0.0;
    ASSERT_TRUE(player.leavePlanet(&boardedAt));
    Screen leaving;
    ASSERT_TRUE(player.step(
        "take-off, HUD hidden",
        [&](const Screen& screen) {
            leaving = screen;
            return e2e::showsScene(screen) && player.lives(screen) == 0;
        },
        60));
    const double boardedUntil = player.now();
    ASSERT_TRUE(player.step(
        "the rocket rises",
        [&](const Screen& screen) {
            // The camera follows the rocket up: the ground sinks out of the picture.
            return player.lives(screen) == 0 && horizon(screen) > horizon(leaving) + 100;
        },
        60));
    ASSERT_TRUE(player.waitForStarMap("star map after the take-off"));
    ASSERT_TRUE(player.step(
        "one artefact found", [&](const Screen& screen) { return player.artefactCount(screen) == "ARTEFACTS 1/9"; },
        30));

    player.press("Escape");
    ASSERT_TRUE(player.step(
        "pause menu",
        [](const Screen& screen) { return e2e::showsImage(screen, "textures/exit_button.png", 537, 144); }, 60));
    game.moveMouse(640, 720 - 179);
    ASSERT_TRUE(player.step(
        "exit hovered",
        [](const Screen& screen) { return e2e::showsImage(screen, "textures/exit_button_hover.png", 537, 144); }, 60));
    game.click();
    EXPECT_EQ(game.waitForExit(60), 0);
    EXPECT_NE(game.log().find("] Stopping application\n"), std::string::npos);

    const e2e::Samples capture = game.capture();
    EXPECT_TRUE(Player::heardBetween(game, capture, "sounds/takeoff.wav", exploreAt, onFootAt)) << "the landing";
    EXPECT_TRUE(Player::heardBetween(game, capture, "sounds/gun_2.wav", shotAt, shotUntil)) << "the shot";
    EXPECT_TRUE(Player::heardBetween(game, capture, "sounds/success.wav", pickedAt, pickedUntil)) << "the pick-up";
    EXPECT_TRUE(Player::heardBetween(game, capture, "sounds/takeoff.wav", boardedAt, boardedUntil)) << "the take-off";
    if (HasFailure()) {
        game.fail("what was heard and logged");
    }
}

TEST(PlayThrough, KilledAmongTheUfosThenRespawned) {
    REQUIRE_RUN_ASSETS();
    e2e::GameSession game("killed_and_respawned", "playthrough");
    Player player(game);
    double exploreAt = 0.0;
    double onFootAt = 0.0;
    ASSERT_TRUE(landOnThePlanet(game, player, &exploreAt, &onFootAt));

    // A run to the crystal, where the UFOs gather, and a wait there without moving.
    const Point crystal = Player::crystalOf(kPlanet);
    player.turnTo(std::atan2(crystal.y, crystal.x - 40.0) * 180.0 / M_PI);
    player.hold("Shift_L");
    player.hold("w");
    ASSERT_TRUE(player.step(
        "running to the crystal",
        [&](const Screen& screen) {
            Point where;
            return player.location(screen, &where) && std::hypot(where.x - crystal.x, where.y - crystal.y) < 15.0;
        },
        60));
    player.stop();
    ASSERT_TRUE(player.step(
        "hit", [&](const Screen& screen) { return player.lives(screen) < 5; }, 300));
    double aliveAt = player.now();
    ASSERT_TRUE(player.step(
        "killed",
        [&](const Screen& screen) {
            if (player.lives(screen) > 0) {
                aliveAt = player.now();
            }
            return player.dead(screen) && player.lives(screen) == 0;
        },
        300));
    const double killedAt = player.now();

    player.press("space");
    ASSERT_TRUE(player.step(
        "respawned with five lives",
        [&](const Screen& screen) {
            Point where;
            return player.lives(screen) == 5 && !player.dead(screen) && player.location(screen, &where) &&
                   std::hypot(where.x - 40.0, where.y) < 2.0;
        },
        60));

    // The death's sound lasts a few seconds, and the respawn may come sooner.
    const e2e::Samples capture = game.captureAfter(std::max(0.0, killedAt + kDeathSoundLength - player.now()));
    EXPECT_TRUE(Player::heardBetween(game, capture, "sounds/damage_taken_1.wav", onFootAt, killedAt)) << "a hit";
    EXPECT_TRUE(Player::heardBetween(game, capture, "sounds/player_death.wav", aliveAt, killedAt)) << "the death";
    if (HasFailure()) {
        game.fail("what was heard");
    }
}
