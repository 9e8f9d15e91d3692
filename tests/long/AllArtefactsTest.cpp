// The whole game, as a person finishes it: every planet of the system visited from the star
// map, its crystal picked up and the rocket boarded again, until the star map gives way to
// the final screen and its music; then EXIT. A visit after which the map's count has not
// grown is made again, as a player would. It takes many minutes, so it has a label of its
// own; the lives lost on each planet are in "lives lost.txt" beside the screenshots. Every step's screenshot is in
// build/test-output/playthrough/all_artefacts/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "GameSession.h"
#include "Player.h"
#include "support/RunAssets.h"

namespace {

using e2e::Player;
using e2e::Screen;

const int kPlanets = 9;
const int kVisitsPerPlanet = 3;
const double kListen = 3.0;  // seconds: longer than the start by which a music is recognised

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool showsFinalScreen(const Player& player, const Screen& screen) {
    return upper(player.finalText(screen)) == "WELL DONE! ALL ARTEFACTS FOUND" &&
           e2e::showsImage(screen, "textures/exit_button.png", 537, 144);
}

}  // namespace

TEST(AllArtefacts, NineCrystalsThenTheFinalScreen) {
    REQUIRE_RUN_ASSETS();
    e2e::GameSession game("all_artefacts", "playthrough");
    Player player(game);
    ASSERT_TRUE(game.start("", true) && game.waitForWindow(60) && player.waitForStarMap("star map after the fly-in"));
    int found = 0;
    double finalAt = 0.0;
    // Planets further out first: they move slowest and are the easiest to click.
    for (int planet = kPlanets; planet >= 1; --planet) {
        const std::string level = "levels/system_1/s1p" + std::to_string(planet) + ".json";
        const std::string more = "ARTEFACTS " + std::to_string(found + 1) + "/9";
        for (int visit = 0; visit < kVisitsPerPlanet && found < kPlanets + 1 - planet; ++visit) {
            ASSERT_TRUE(player.landOn(level) && player.takeCrystal(level) && player.leavePlanet()) << level;
            std::string count;
            ASSERT_TRUE(player.step(
                "back from planet " + std::to_string(planet),
                [&](const Screen& screen) {
                    count = showsFinalScreen(player, screen) ? "final" : player.artefactCount(screen);
                    return count == "final" || (player.onStarMap(screen) && count.rfind("ARTEFACTS ", 0) == 0);
                },
                180));
            if (count == "final") {
                found = kPlanets;
                finalAt = player.now();
            } else {
                found += count == more;
                ASSERT_TRUE(player.waitForStarMap("star map again"));
            }
        }
        ASSERT_EQ(found, kPlanets + 1 - planet)
            << level << " still holds its crystal after " << kVisitsPerPlanet << " visits";
    }

    ASSERT_TRUE(player.step(
        "final screen", [&](const Screen& screen) { return showsFinalScreen(player, screen); }, 60));
    // A moment on the final screen, for its music to be heard.
    game.captureAfter(kListen);
    game.moveMouse(640, 720 - 179);
    ASSERT_TRUE(player.step(
        "exit hovered",
        [](const Screen& screen) { return e2e::showsImage(screen, "textures/exit_button_hover.png", 537, 144); }, 60));
    const double exitAt = player.now();
    game.click();
    EXPECT_EQ(game.waitForExit(60), 0);
    EXPECT_NE(game.log().find("] Stopping application\n"), std::string::npos);
    EXPECT_TRUE(Player::heardBetween(game, game.capture(), "sounds/background_7.wav", finalAt - 10.0, exitAt))
        << "the final screen's music";
    if (HasFailure()) {
        game.fail("what was heard and logged");
    }
}
