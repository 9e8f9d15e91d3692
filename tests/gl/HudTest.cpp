// The HUD drawn from the run folder's package: what each state shows, the buttons' hover,
// blip and click, the cut of the number texts, the muzzle flash, the texture shares, and a
// picture of every state in build/test-output.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "RenderTestKit.h"
#include "core/AssetList.h"
#include "game/Hud.h"
#include "render/TextureManager.h"
#include "sound/GameSound.h"
#include "support/PlanetFakes.h"
#include "support/RunAssets.h"

namespace {

using render_test::imageShown;
using render_test::imageVisible;
using render_test::whitePixels;

// One element of the HUD at (x, y, width, height): a picture of the package drawn 1:1, or a
// white text (image null).
struct Element {
    std::string name;
    const char* image;
    glm::ivec4 rect;
    bool visible() const {
        return image != nullptr ? imageVisible(image, rect.x, rect.y)
                                : whitePixels(rect.x, rect.y, rect.z, rect.w) > 30;
    }
    bool absent() const {
        return image != nullptr ? imageShown(image, rect.x, rect.y) < 0.3
                                : whitePixels(rect.x, rect.y, rect.z, rect.w) == 0;
    }
    bool overlaps(const glm::ivec4& o) const {
        return rect.x < o.x + o.z && o.x < rect.x + rect.z && rect.y < o.y + o.w && o.y < rect.y + rect.w;
    }
};

std::vector<Element> allElements() {
    std::vector<Element> elements = {{"logo", "textures/logo.png", {240, 432, 800, 175}},
                                     {"play", "textures/play_button.png", {537, 288, 206, 70}},
                                     {"exit", "textures/exit_button.png", {537, 144, 206, 70}},
                                     {"explore", "textures/explore_button.png", {20, 20, 206, 70}},
                                     {"compass", "textures/logoicon.png", {20, 10, 32, 64}},
                                     {"gun", "textures/hud_gun_2.png", {593, 0, 594, 320}},
                                     {"crosshair", "textures/crosshair_1.png", {608, 328, 64, 64}},
                                     {"version", nullptr, {10, 10, 192, 20}},
                                     {"system", nullptr, {10, 660, 880, 50}},
                                     {"artefacts", nullptr, {1010, 685, 260, 25}},
                                     {"fps", nullptr, {10, 665, 15, 25}},
                                     {"location", nullptr, {10, 697, 55, 23}},
                                     {"respawn", nullptr, {420, 576, 440, 25}},
                                     {"prompt", nullptr, {370, 576, 540, 25}},
                                     {"final", nullptr, {40, 288, 1200, 50}}};
    for (int life = 0; life < 6; ++life) {
        elements.push_back(
            {"life " + std::to_string(life), "textures/life_indicator.png", {1222 - 58 * life, 692, 48, 18}});
    }
    return elements;
}

struct HudTest : ::testing::Test {
    void SetUp() override { REQUIRE_RUN_ASSETS(); }
    void draw(Hud& hud, bool prompts = false) {
        render_test::clearWindow(0, 0, 0.5f);
        hud.render(&camera, prompts, prompts);
    }
    testing_support::ScopedWorkingDirectory inside{QUENLOW_RUN_DIR};
    Camera camera = render_test::lookingAt({0, -10, 0}, {0, 0, 0});
};

}  // namespace

// Every text of every state is in the font's atlas: a missing character warns as it is built.
TEST_F(HudTest, EachStateDrawsExactlyItsElements) {
    Hud hud(HUD_STATE_STAR_MAP);
    testing_support::CapturedStdout output;
    ASSERT_TRUE(hud.setup());
    const std::set<std::string> playing = {"compass", "fps",    "location", "gun",    "crosshair",
                                           "life 0",  "life 1", "life 2",   "life 3", "life 4"};
    const std::tuple<hud_state, int, bool, std::set<std::string>> cases[] = {
        {HUD_STATE_PAUSE_MENU, 5, false, {"logo", "play", "exit", "version"}},
        {HUD_STATE_STAR_MAP, 5, false, {"system", "artefacts"}},
        {HUD_STATE_PLANET_SELECTED, 5, false, {"explore", "system", "artefacts"}},
        {HUD_STATE_PLAYING, 5, true, {"prompt"}},
        {HUD_STATE_PLAYING, -1, false, {}},
        {HUD_STATE_DEAD, 5, false, {"fps", "location", "respawn"}},
        {HUD_STATE_ALL_FOUND, 5, false, {"final", "exit", "logo"}},
        {hud_state(7), 5, true, {}}};
    for (auto [state, lives, prompts, shown] : cases) {
        for (const std::string& name : playing) {
            state == HUD_STATE_PLAYING && (lives == 5 || name.rfind("life", 0) != 0) ? void(shown.insert(name))
                                                                                     : void();
        }
        hud.setState(state);
        hud.lives = lives;
        draw(hud, prompts);
        if (state == HUD_STATE_PLAYING && lives > 0) {
            // The icon's transparent corner shows what lies under it, after a prompt too.
            render_test::expectColour(1222, 709, {0, 0, 128, 255});
        }
        // An element is known to be missing only where nothing shown covers its place.
        const std::vector<Element> elements = allElements();
        for (const Element& element : elements) {
            const bool covered = std::any_of(elements.begin(), elements.end(), [&](const Element& other) {
                return shown.count(other.name) != 0 && other.overlaps(element.rect);
            });
            EXPECT_TRUE(shown.count(element.name) != 0 ? element.visible() : covered || element.absent())
                << "state " << state << " lives " << lives << ": " << element.name;
        }
    }
    // So is the name of the star and of every planet, which the star map writes.
    const testing_support::JsonTree system = testing_support::readRunJson("levels/system_1/s1.json");
    const json_value* planets = testing_support::jsonMember(system.get(), "planets");
    hud.setSolarSystemText(testing_support::jsonText(testing_support::jsonMember(system.get(), "name")));
    for (unsigned i = 0; planets != nullptr && i < planets->u.array.length; ++i) {
        hud.setSolarSystemText(
            testing_support::jsonText(testing_support::jsonMember(planets->u.array.values[i], "name")));
    }
    EXPECT_EQ(output.finish().find("not found in atlas"), std::string::npos);
}

// The same strings drawn at the same places by texts of their own.
TEST_F(HudTest, NumberTextsAreCutToTheirBuffers) {
    Hud hud(HUD_STATE_DEAD);
    ASSERT_TRUE(hud.setup());
    const std::tuple<unsigned, float, float, const char*, const char*> cases[] = {
        {1234, -3.7f, 12.9f, "123", "-3 12"},
        {7, 1e10f, -1e10f, "7", "2147483647 "},
        {4294967295u, -0.5f, 0.0f, "429", "0 0"}};
    for (const auto& [fps, x, y, fpsShown, locationShown] : cases) {
        hud.setFPS(fps);
        hud.setLoc(x, y);
        draw(hud);
        const std::vector<uint8_t> drawn = testing_support::readPixels(0, 650, 300, 70);
        Text fpsText(10.0f, 665.0f, fpsShown, "fonts/font1.json", 1.0f, glm::vec3(1.0f));
        Text location(10.0f, 697.5f, locationShown, "fonts/font1.json", 1.0f, glm::vec3(1.0f));
        ASSERT_TRUE(fpsText.setup() && location.setup());
        render_test::clearWindow(0, 0, 0.5f);
        fpsText.render(&camera);
        location.render(&camera);
        EXPECT_TRUE(drawn == testing_support::readPixels(0, 650, 300, 70)) << fpsShown << " / " << locationShown;
    }
}

// 16 frames, one a step: a restart at a second fire would still play four steps after the first ends.
TEST_F(HudTest, ASecondFireDoesNotRestartTheFlash) {
    Hud hud(HUD_STATE_PLAYING);
    ASSERT_TRUE(hud.setup());
    auto flashAfter = [&](bool fire, int steps) {
        fire ? hud.fire() : void();
        for (int i = 0; i < steps; ++i) {
            hud.update(1.0f / 60.0f, 0, 0, false);
        }
        draw(hud);
        return testing_support::readPixels(679, 253, 96, 96);
    };
    const std::vector<uint8_t> idle = flashAfter(false, 0);
    EXPECT_NE(flashAfter(true, 2), idle) << "the flash plays";
    flashAfter(false, 10);
    EXPECT_EQ(flashAfter(true, 4), idle) << "the flash ended after its 16 frames";
    EXPECT_NE(flashAfter(true, 2), idle) << "a fire after the end plays again";
}

TEST_F(HudTest, MissingPartsOfThePackage) {
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"textures/logo.png", true, "Failed to load package data for textures/logo.png"},
        {"shaders/basicortho.vs", false, "Failed to setup life indicator"},
        {"fonts/font1.json", false, "Failed to setup respawn text"}};
    for (const auto& [missing, setUp, line] : cases) {
        testing_support::TempDir dir;
        ASSERT_TRUE(testing_support::buildRunPackageWithout(dir.path(), missing));
        testing_support::ScopedWorkingDirectory packageInside(dir.path());
        testing_support::CapturedStdout output;
        {
            Hud hud(HUD_STATE_ALL_FOUND);
            EXPECT_EQ(hud.setup(), setUp) << missing;
            setUp ? draw(hud) : void();
            EXPECT_TRUE(!setUp || imageVisible("textures/exit_button.png", 537, 144)) << missing;
        }
        EXPECT_TRUE(render_test::hasLogLine(output.finish(), line)) << missing;
        // Whatever was made, every share of a picture went back with the HUD.
        for (const std::string& entry : buildAssetList()) {
            EXPECT_EQ(TextureManager::getInstance()->getReferenceCount(entry), 0) << missing << ": " << entry;
        }
    }
}

// Only the buttons of the current state answer: a press inside a button clicks it in that
// frame, a held button does not click again, and the border pixels are outside. Entering a
// button blips once and shows its hover picture; leaving shows the plain one without a sound.
TEST_F(HudTest, ButtonsHoverOnceClickOnThePressAndIgnoreTheirBorder) {
    testing_support::MessageLog sent(
        {MESSAGE_PLAY_GAME_SOUND, MESSAGE_PLAY_BUTTON_CLICKED, MESSAGE_EXIT_GAME, MESSAGE_EXPLORE_BUTTON_CLICKED});
    Hud hud(HUD_STATE_PAUSE_MENU);
    ASSERT_TRUE(hud.setup());
    const int play = MESSAGE_PLAY_BUTTON_CLICKED, exit = MESSAGE_EXIT_GAME, explore = MESSAGE_EXPLORE_BUTTON_CLICKED;
    const hud_state menu = HUD_STATE_PAUSE_MENU, map = HUD_STATE_STAR_MAP, selected = HUD_STATE_PLANET_SELECTED;
    // What happens, state, cursor, pressed, blips and clicks so far, the play button hovered.
    // The play button spans 537 < x < 743 and 288 < y < 358.
    const std::tuple<const char*, hud_state, int, int, bool, int, std::map<int, int>, bool> steps[] = {
        {"on the left border", menu, 537, 300, true, 0, {}, false},
        {"on the bottom border", menu, 600, 288, true, 0, {}, false},
        {"first pixel inside", menu, 538, 289, false, 1, {}, true},
        {"moving inside", menu, 600, 300, false, 1, {}, true},
        {"pressed inside", menu, 600, 300, true, 1, {{play, 1}}, true},
        {"held: no second click", menu, 600, 300, false, 1, {{play, 1}}, true},
        {"on the right border", menu, 743, 300, false, 1, {{play, 1}}, false},
        {"entering with a press", menu, 742, 357, true, 2, {{play, 2}}, true},
        {"onto the exit button", menu, 640, 180, true, 3, {{play, 2}, {exit, 1}}, false},
        {"explore is not live on the star map", map, 100, 50, true, 3, {{play, 2}, {exit, 1}}, false},
        {"explore with a planet selected", selected, 100, 50, true, 4, {{play, 2}, {exit, 1}, {explore, 1}}, false},
        // The exit button was not updated since the cursor entered it: still hovered, no blip.
        {"exit on the final screen", HUD_STATE_ALL_FOUND, 640, 180, true, 4, {{play, 2}, {exit, 2}, {explore, 1}}, 0}};
    for (const auto& [what, state, x, y, pressed, blips, clicks, playHovered] : steps) {
        hud.setState(state);
        hud.update(0.016f, x, y, pressed);
        std::map<int, int> clicked;
        for (const auto& [message, payload] : sent) {
            message != MESSAGE_PLAY_GAME_SOUND ? void(++clicked[message]) : void();
        }
        EXPECT_EQ(std::count(sent.begin(), sent.end(), std::pair(MESSAGE_PLAY_GAME_SOUND, int(SOUND_UI_BLIPP3))), blips)
            << what;
        EXPECT_EQ(clicked, clicks) << what;
        if (state == HUD_STATE_PAUSE_MENU) {
            draw(hud);
            EXPECT_TRUE(
                imageVisible(playHovered ? "textures/play_button_hover.png" : "textures/play_button.png", 537, 288))
                << what;
        }
    }
}

// A HUD gives back by name exactly the shares it took: another holder of the same picture keeps
// its own, and each of two HUDs holds one share of each picture.
TEST_F(HudTest, TexturesGoBackByNameAndLeaveOtherHoldersTheirShares) {
    TextureManager* textures = TextureManager::getInstance();
    ASSERT_NE(textures->loadTexture("textures/logo.png", true), 0u);
    // The picture, its shares while both HUDs live, and after them.
    const std::tuple<const char*, int, int> shares[] = {
        {"textures/logo.png", 3, 1}, {"textures/play_button_hover.png", 2, 0}, {"textures/explosion_1.png", 2, 0}};
    {
        Hud first(HUD_STATE_PAUSE_MENU), second(HUD_STATE_PAUSE_MENU);
        ASSERT_TRUE(first.setup() && second.setup());
        for (const auto& [entry, during, after] : shares) {
            EXPECT_EQ(textures->getReferenceCount(entry), during) << entry;
        }
    }
    for (const auto& [entry, during, after] : shares) {
        EXPECT_EQ(textures->getReferenceCount(entry), after) << entry;
    }
    textures->freeTexture("textures/logo.png");
}

// Every state over a night sky as a player sees it, a cell each, for people to look at in
// build/test-output/hud_states.png: the pause menu, the star map without and with a planet
// selected, playing with the take-off prompt and a muzzle flash, dead, and the final screen.
TEST_F(HudTest, PictureOfEveryState) {
    Hud hud(HUD_STATE_STAR_MAP);
    ASSERT_TRUE(hud.setup());
    hud.setSolarSystemText("Tauvel solar system");
    hud.setArtefactStatusText("ARTEFACTS 3/9");
    hud.setFPS(60);
    hud.setLoc(40.5f, -12.2f);
    hud.lives = 4;
    const hud_state states[] = {HUD_STATE_PAUSE_MENU, HUD_STATE_STAR_MAP, HUD_STATE_PLANET_SELECTED,
                                HUD_STATE_PLAYING,    HUD_STATE_DEAD,     HUD_STATE_ALL_FOUND};
    const glm::vec3 night(0.04f, 0.05f, 0.12f);
    for (int cell = 0; cell < 6; ++cell) {
        hud.setState(states[cell]);
        states[cell] == HUD_STATE_PLAYING ? hud.fire() : void();
        hud.update(1.0f / 60.0f, 0, 0, false);
        hud.update(1.0f / 60.0f, 0, 0, false);
        render_test::sheetCell(3, 2, cell, glm::vec3(0.0f), glm::vec3(0, 1, 0), night);
        hud.render(&camera, true, false);  // the camera's window-sized pixel frame, shrunk into the cell
        glViewport(0, 0, 1280, 720);
        const std::vector<uint8_t> shown =
            testing_support::readPixels((cell % 3) * 426, (1 - cell / 3) * 360, 426, 360);
        size_t drawn = 0;
        for (size_t i = 0; i < shown.size(); i += 4) {
            drawn += !testing_support::near({shown[i], shown[i + 1], shown[i + 2], 255}, 10, 13, 31, 3);
        }
        EXPECT_GT(drawn, 500u) << "state " << states[cell] << " shows nothing";
    }
    render_test::saveScreenshot("hud_states.png");
}
