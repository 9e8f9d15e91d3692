// The real game played with real input on its own X server: the star map after the fly-in,
// the pause menu, and EXIT clicked with the mouse; and a package the game cannot play with.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "GameSession.h"
#include "Player.h"
#include "support/RunAssets.h"
#include "support/TestSupport.h"

namespace {

using e2e::Screen;

const int kRingColour[3] = {89, 115, 153};

int ringPixels(const Screen& screen) {
    return screen.count(0, 0, screen.width, screen.height, [](const uint8_t* pixel) {
        return e2e::isColour(pixel, kRingColour[0], kRingColour[1], kRingColour[2]);
    });
}

// The two star-map texts: the system's name at the top left, the artefact count at the top right.
bool showsStarMapTexts(const Screen& screen) {
    return screen.count(10, 10, 760, 50, e2e::isWhite) > 1000 && screen.count(1010, 10, 260, 25, e2e::isWhite) > 300;
}

// The space picture under everything: dark, never the frame's clear colour, and far from flat.
bool showsBackground(const Screen& screen) {
    const int cleared = screen.count(0, 0, screen.width, screen.height,
                                     [](const uint8_t* pixel) { return e2e::isColour(pixel, 255, 51, 51, 8); });
    const int dark =
        screen.count(0, 100, 300, 600, [](const uint8_t* pixel) { return pixel[0] + pixel[1] + pixel[2] < 240; });
    const int lit =
        screen.count(0, 100, 300, 600, [](const uint8_t* pixel) { return pixel[0] + pixel[1] + pixel[2] > 300; });
    return cleared == 0 && dark > 150000 && lit > 500;
}

// Small lit things that moved between two shots of the system, away from the star's glow.
int movedBodies(const Screen& before, const Screen& now) {
    std::vector<uint8_t> changed(static_cast<size_t>(now.width) * now.height, 0);
    for (int y = 80; y < now.height; ++y) {
        for (int x = 0; x < now.width; ++x) {
            const uint8_t* a = before.at(x, y);
            const uint8_t* b = now.at(x, y);
            const bool nearStar = std::abs(x - 640) < 60 && std::abs(y - 360) < 60;
            changed[static_cast<size_t>(y) * now.width + x] =
                !nearStar && (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 90);
        }
    }
    // Connected changed areas of planet size; the starfield's points are smaller.
    int bodies = 0;
    std::vector<size_t> stack;
    for (size_t start = 0; start < changed.size(); ++start) {
        if (changed[start] != 1) {
            continue;
        }
        int area = 0;
        stack.push_back(start);
        changed[start] = 2;
        while (!stack.empty()) {
            const size_t at = stack.back();
            stack.pop_back();
            ++area;
            const int x = static_cast<int>(at % now.width);
            const int y = static_cast<int>(at / now.width);
            for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int nx = x + dx;
                const int ny = y + dy;
                if (nx >= 0 && ny >= 0 && nx < now.width && ny < now.height) {
                    const size_t next = static_cast<size_t>(ny) * now.width + nx;
                    if (changed[next] == 1) {
                        changed[next] = 2;
                        stack.push_back(next);
                    }
                }
            }
        }
        bodies += area >= 12;
    }
    return bodies;
}

}  // namespace

TEST(StarMapPlay, FlyInPauseAndExitWithTheMouse) {
    REQUIRE_RUN_ASSETS();
    e2e::GameSession game("star_map");
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitForWindow(60));

    // The fly-in is over when the rings stop moving between two shots.
    int previousRings = -1;
    ASSERT_TRUE(game.waitFor(
        "star map after the fly-in",
        [&](const Screen& screen) {
            const int rings = ringPixels(screen);
            const bool settled = rings > 3000 && std::abs(rings - previousRings) < 30;
            previousRings = rings;
            return settled && showsStarMapTexts(screen) && showsBackground(screen);
        },
        120));
    game.keep("star map");
    const Screen settled = game.grab();
    ASSERT_TRUE(game.waitFor(
        "planets moving on their rings", [&](const Screen& screen) { return movedBodies(settled, screen) >= 5; }, 60));

    game.key("Escape");
    ASSERT_TRUE(game.waitFor(
        "pause menu",
        [](const Screen& screen) {
            return e2e::showsImage(screen, "textures/play_button.png", 537, 288) &&
                   e2e::showsImage(screen, "textures/exit_button.png", 537, 144) &&
                   e2e::showsImage(screen, "textures/logo.png", 240, 432);
        },
        60));
    game.keep("pause menu");

    game.moveMouse(640, 720 - 179);
    ASSERT_TRUE(game.waitFor(
        "exit button hovered",
        [](const Screen& screen) { return e2e::showsImage(screen, "textures/exit_button_hover.png", 537, 144); }, 60));
    game.click();
    EXPECT_EQ(game.waitForExit(60), 0);
    EXPECT_NE(game.log().find("] Stopping application\n"), std::string::npos) << game.log();

    const e2e::Samples capture = game.capture();
    const e2e::Samples music = e2e::readWavSamples(testing_support::runPath("sounds/background_2.wav"));
    const e2e::Samples blip = e2e::readWavSamples(testing_support::runPath("sounds/ui_blipp3.wav"));
    EXPECT_FALSE(e2e::findPlays(capture, music).empty()) << "the star map's music";
    EXPECT_EQ(e2e::findPlays(capture, blip).size(), 1u) << "one blip as the cursor entered EXIT";
    if (HasFailure()) {
        game.fail("what was heard and logged");
    }
}

// The innermost planets pass behind PLAY's place for half of each orbit. A person's click on
// PLAY there resumes the map, with the planet neither picked nor followed: PLAY took the press,
// and the release a tenth of a second later is PLAY's too.
TEST(StarMapPlay, PlayClickedOverAPlanetResumesWithoutPickingIt) {
    REQUIRE_RUN_ASSETS();
    e2e::GameSession game("play_over_planet");
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitForWindow(60));
    e2e::Player player(game);
    ASSERT_TRUE(player.waitForStarMap("star map"));
    const std::string system = player.title(game.grab());
    e2e::Point behind;
    ASSERT_TRUE(player.pauseWithPlanetBehindPlay("levels/system_1/s1p1.json", &behind));
    game.moveMouse(static_cast<int>(behind.x), static_cast<int>(behind.y));
    ASSERT_TRUE(player.step(
        "PLAY hovered over the planet",
        [](const Screen& screen) { return e2e::showsImage(screen, "textures/play_button_hover.png", 537, 288); }, 60));
    game.click();
    ASSERT_TRUE(player.step(
        "resumed",
        [&](const Screen& screen) {
            return player.onStarMap(screen) && !e2e::showsImage(screen, "textures/play_button.png", 537, 288) &&
                   !e2e::showsImage(screen, "textures/play_button_hover.png", 537, 288);
        },
        60));
    // A pick would name the planet at once and show EXPLORE; the map stays on the system.
    for (int look = 0; look < 4; ++look) {
        const Screen screen = game.grab();
        EXPECT_EQ(player.title(screen), system) << "look " << look;
        EXPECT_FALSE(e2e::showsImage(screen, "textures/explore_button.png", 20, 20)) << "look " << look;
    }
    if (HasFailure()) {
        game.fail("the planet behind PLAY left alone");
    }
}

TEST(StarMapPlay, APackageWithoutAGameSoundEndsBeforeAnyView) {
    REQUIRE_RUN_ASSETS();
    testing_support::TempDir dir;
    ASSERT_TRUE(testing_support::buildRunPackageWithout(dir.path(), "sounds/jump.wav"));
    e2e::GameSession game("no_game_sound");
    ASSERT_TRUE(game.start(dir.file("data.tul")));
    EXPECT_EQ(game.waitForExit(60), 1);
    const std::string log = game.log();
    const size_t failed = log.find("  [ERROR] [");
    EXPECT_NE(log.find("] Failed to load package data for sounds/jump.wav\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] Failed to initialize sound system\n", failed), std::string::npos) << log;
    EXPECT_NE(log.find("] Stopping application\n"), std::string::npos) << log;
}
