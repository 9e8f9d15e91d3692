// How the game ends besides EXIT: a package whose descriptions are damaged ends it as a
// failure once the view that needs them is set up, and Ctrl+C or SIGTERM end a running game
// at once through its ordinary shutdown, keeping every line it logged.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <string>
#include <vector>

#include "GameSession.h"
#include "Player.h"
#include "support/RunAssets.h"
#include "support/TestSupport.h"

namespace {

using testing_support::logMessages;
using testing_support::runCommand;

// The log from the parser's complaint on: its message on a line of its own ("line:column:
// description"), then the lines that the game writes from there, other bare lines left out.
std::vector<std::string> endingAfterParserMessage(const std::string& log) {
    static const std::regex parserMessage(R"(<bare> \d+:\d+: .+)");
    const std::vector<std::string> all = logMessages(log);
    std::vector<std::string> ending;
    for (const std::string& text : all) {
        if (ending.empty() ? std::regex_match(text, parserMessage) : text.rfind("<bare> ", 0) != 0) {
            ending.push_back(ending.empty() ? "<parser>" : text);
        }
    }
    return ending;
}

// The run folder copied with one entry overwritten, and its package built by the game's -d.
bool buildPackageWith(const testing_support::TempDir& dir, const std::string& entry, const std::string& bytes) {
    return runCommand("/", "cp -R '" + std::string(QUENLOW_RUN_DIR) + "/.' '" + dir.path() + "'").status == 0 &&
           testing_support::writeFile(dir.file(entry), bytes) &&
           runCommand(dir.path(), std::string(QUENLOW_BINARY) + " -d").status == 0;
}

}  // namespace

// The checksum holds, so the game starts; the view that reads the damaged description cannot
// be set up and the game ends as a failure after its lines.
TEST(GameEnd, AViewThatCannotBeSetUpEndsTheGameAsAFailure) {
    REQUIRE_RUN_ASSETS();
    struct Case {
        const char* session;
        const char* entry;
        bool pickIt;  // the level of a planet: reached by picking the planet and exploring it
        std::vector<std::string> ending;
    };
    const Case cases[] = {
        {"garbage_solar_system",
         "levels/system_1/s1.json",
         false,
         {"<parser>", "Failed to parse solar system JSON", "Failed to initialize solar system",
          "Stopping application"}},
        {"garbage_level",
         "levels/system_1/s1p3.json",
         true,
         {"<parser>", "Failed to parse level JSON", "Failed to load level", "Stopping application"}},
    };
    for (const Case& c : cases) {
        testing_support::TempDir dir;
        ASSERT_TRUE(buildPackageWith(dir, c.entry, "this is no description")) << c.entry;
        e2e::GameSession game(c.session);
        ASSERT_TRUE(game.start(dir.file("data.tul")));
        if (c.pickIt) {
            e2e::Player player(game);
            ASSERT_TRUE(game.waitForWindow(60));
            ASSERT_TRUE(player.waitForStarMap("star map"));
            ASSERT_TRUE(player.pickPlanet(c.entry));
            game.moveMouse(123, 720 - 55);
            ASSERT_TRUE(game.waitFor(
                "explore hovered",
                [](const e2e::Screen& screen) {
                    return e2e::showsImage(screen, "textures/explore_button_hover.png", 20, 20);
                },
                60));
            // EXPLORE acts on the press; the game has ended before the button goes up.
            game.mouseDown();
        }
        EXPECT_EQ(game.waitForExit(60), 1) << c.entry;
        if (c.pickIt) {
            game.mouseUp();
        }
        const std::string log = game.log();
        EXPECT_EQ(endingAfterParserMessage(log), c.ending) << log;
    }
}

// The system's name has a character that the HUD's font lacks: the star map logs a warning
// once the game runs, long after start-up. Once shut down, the game dies of the signal, as
// its parent sees it: a script that started it stops there too.
TEST(GameEnd, CtrlCAndSigtermEndARunningGameAtOnceKeepingItsLog) {
    REQUIRE_RUN_ASSETS();
    std::string system = testing_support::readFile(testing_support::runPath("levels/system_1/s1.json"));
    const size_t name = system.find("\"Tauvel\"");
    ASSERT_NE(name, std::string::npos);
    system.insert(name + 7, "~");
    testing_support::TempDir dir;
    ASSERT_TRUE(buildPackageWith(dir, "levels/system_1/s1.json", system));
    for (const auto& [number, session] : {std::pair(SIGTERM, "sigterm"), {SIGINT, "sigint"}}) {
        e2e::GameSession game(session);
        ASSERT_TRUE(game.start(dir.file("data.tul")));
        ASSERT_TRUE(game.waitForWindow(60));
        ASSERT_TRUE(game.waitFor("star map shown", e2e::showsScene, 60));
        // In the file while the game runs, not only once it ends.
        const std::string before = game.log();
        EXPECT_NE(before.find("] Character ~ not found in atlas\n"), std::string::npos) << session << ":\n" << before;
        ASSERT_TRUE(game.sendSignal(number));
        EXPECT_EQ(game.waitForExit(2.0), -1) << session;
        EXPECT_EQ(game.endingSignal(), number) << session;
        const std::string after = game.log();
        EXPECT_EQ(after.substr(0, before.size()), before) << session;
        const std::vector<std::string> lines = logMessages(after);
        EXPECT_TRUE(!lines.empty() && lines.back() == "Stopping application") << session << ":\n" << after;
    }
}
