// The HUD drawn from the run folder's package: what each state shows, the buttons' hover,
// blip and click, the cut of the number texts, the muzzle flash and the texture shares.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "HudProbe.h"
#include "RenderTestKit.h"
#include "core/AssetList.h"
#include "core/MailBox.h"
#include "core/MessagePayload.h"
#include "sound/GameSound.h"
#include "game/Hud.h"
#include "render/Camera.h"
#include "render/TextureManager.h"
#include "support/RunAssets.h"

namespace {

using hud_test::imageVisible;
using hud_test::whitePixels;

struct Rect {
    int x, y, width, height;
    bool overlaps(const Rect& o) const {
        return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height;
    }
};

// One element of the HUD: a picture of the package drawn 1:1, or a white text (image null).
struct Element {
    std::string name;
    const char* image;
    Rect rect;
    bool visible() const {
        return image != nullptr ? imageVisible(image, rect.x, rect.y) : whitePixels(rect.x, rect.y, rect.width, rect.height) > 30;
    }
    bool absent() const {
        return image != nullptr ? hud_test::imageAbsent(image, rect.x, rect.y)
                                : whitePixels(rect.x, rect.y, rect.width, rect.height) == 0;
    }
};

std::vector<Element> allElements() {
    std::vector<Element> elements = {
        {"logo", "textures/logo.png", {240, 432, 800, 175}}, {"play", "textures/play_button.png", {537, 288, 206, 70}},
        {"exit", "textures/exit_button.png", {537, 144, 206, 70}},
        {"explore", "textures/explore_button.png", {20, 20, 206, 70}},
        {"compass", "textures/logoicon.png", {20, 10, 32, 64}}, {"gun", "textures/hud_gun_2.png", {593, 0, 594, 320}},
        {"crosshair", "textures/crosshair_1.png", {608, 328, 64, 64}}, {"version", nullptr, {10, 10, 192, 20}},
        {"system", nullptr, {10, 660, 880, 50}}, {"artefacts", nullptr, {1010, 685, 260, 25}},
        {"fps", nullptr, {10, 665, 15, 25}}, {"location", nullptr, {10, 697, 55, 23}},
        {"respawn", nullptr, {420, 576, 440, 25}}, {"prompt", nullptr, {370, 576, 540, 25}},
        {"final", nullptr, {40, 288, 1200, 50}}};
    for (int life = 0; life < 6; ++life) {
        elements.push_back({"life " + std::to_string(life), "textures/life_indicator.png", {1222 - 58 * life, 692, 48, 18}});
    }
    return elements;
}

class HudTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_RUN_ASSETS();
        inside = std::make_unique<testing_support::ScopedWorkingDirectory>(QUENLOW_RUN_DIR);
    }
    std::unique_ptr<testing_support::ScopedWorkingDirectory> inside;
    Camera camera{{0, -10, 0}, {0, 0, 1}, {0, 0, 1}, 1280, 720};
};

// Counts what the HUD sends: blips (with their sound) and the three button messages.
class MessageRecorder : public MessageReceiver {
public:
    MessageRecorder() {
        for (Message message : {MESSAGE_PLAY_GAME_SOUND, MESSAGE_PLAY_BUTTON_CLICKED, MESSAGE_EXIT_GAME,
                                MESSAGE_EXPLORE_BUTTON_CLICKED}) {
            MailBox::getInstance()->registerReceiver(this, message);
        }
    }
    ~MessageRecorder() override { MailBox::getInstance()->removeReceiver(this); }
    void handleMessage(Message message, MessagePayload* payload) override {
        if (message == MESSAGE_PLAY_GAME_SOUND) {
            blips += payload->getInt() == SOUND_UI_BLIPP3;
        } else {
            ++clicks[message];
        }
    }
    const char* whoIsThere() override { return "MessageRecorder"; }
    int blips = 0;
    std::map<int, int> clicks;
};

}  // namespace

TEST_F(HudTest, EachStateDrawsExactlyItsElements) {
    Hud hud(HUD_STATE_STAR_MAP);
    ASSERT_TRUE(hud.setup());
    hud.lives = 5;
    const std::set<std::string> lives = {"life 0", "life 1", "life 2", "life 3", "life 4"};
    const std::set<std::string> playing = {"compass", "fps", "location", "gun", "crosshair"};
    const struct {
        hud_state state;
        int lives;
        bool prompts;
        std::set<std::string> shown;
    } cases[] = {
        {HUD_STATE_PAUSE_MENU, 5, false, {"logo", "play", "exit", "version"}},
        {HUD_STATE_STAR_MAP, 5, false, {"system", "artefacts"}},
        {HUD_STATE_PLANET_SELECTED, 5, false, {"explore", "system", "artefacts"}},
        {HUD_STATE_PLAYING, 5, false, {}},
        {HUD_STATE_PLAYING, 5, true, {"prompt"}},
        {HUD_STATE_PLAYING, -1, false, {}},
        {HUD_STATE_DEAD, 5, false, {"fps", "location", "respawn"}},
        {HUD_STATE_ALL_FOUND, 5, false, {"final", "exit", "logo"}},
        {hud_state(7), 5, true, {}},
    };
    for (const auto& c : cases) {
        std::set<std::string> shown = c.shown;
        if (c.state == HUD_STATE_PLAYING) {
            shown.insert(playing.begin(), playing.end());
            if (c.lives == 5) {
                shown.insert(lives.begin(), lives.end());
            }
        }
        hud.setState(c.state);
        hud.lives = c.lives;
        render_test::clearWindow(0, 0, 0.5f);
        hud.render(&camera, c.prompts, c.prompts);
        if (c.state == HUD_STATE_PLAYING && c.lives > 0) {
            // The icon's transparent corner shows what lies under it, prompt or none.
            render_test::expectColour(1222, 709, {0, 0, 128, 255});
        }
        std::vector<Rect> shownRects;
        for (const Element& element : allElements()) {
            if (shown.count(element.name) != 0) {
                shownRects.push_back(element.rect);
                EXPECT_TRUE(element.visible()) << "state " << c.state << " lives " << c.lives << ": " << element.name;
            }
        }
        // An element is known to be missing only where nothing shown covers its place.
        for (const Element& element : allElements()) {
            const bool covered = std::any_of(shownRects.begin(), shownRects.end(),
                                             [&](const Rect& rect) { return rect.overlaps(element.rect); });
            if (shown.count(element.name) == 0 && !covered) {
                EXPECT_TRUE(element.absent()) << "state " << c.state << " lives " << c.lives << ": " << element.name;
            }
        }
    }
}

TEST_F(HudTest, ButtonsHoverOnceClickOnThePressAndIgnoreTheirBorder) {
    MessageRecorder recorder;
    Hud hud(HUD_STATE_PAUSE_MENU);
    ASSERT_TRUE(hud.setup());
    const int play = MESSAGE_PLAY_BUTTON_CLICKED;
    const int exit = MESSAGE_EXIT_GAME;
    const int explore = MESSAGE_EXPLORE_BUTTON_CLICKED;
    // The play button spans 537 < x < 743 and 288 < y < 358.
    const struct {
        const char* what;
        hud_state state;
        int x, y;
        bool clicked;
        int blips;
        std::map<int, int> clicks;
        bool playHovered;
    } steps[] = {
        {"on the left border", HUD_STATE_PAUSE_MENU, 537, 300, true, 0, {}, false},
        {"on the bottom border", HUD_STATE_PAUSE_MENU, 600, 288, true, 0, {}, false},
        {"first pixel inside", HUD_STATE_PAUSE_MENU, 538, 289, false, 1, {}, true},
        {"moving inside", HUD_STATE_PAUSE_MENU, 600, 300, false, 1, {}, true},
        {"pressed inside", HUD_STATE_PAUSE_MENU, 600, 300, true, 1, {{play, 1}}, true},
        {"held: no second click", HUD_STATE_PAUSE_MENU, 600, 300, false, 1, {{play, 1}}, true},
        {"on the right border", HUD_STATE_PAUSE_MENU, 743, 300, false, 1, {{play, 1}}, false},
        {"entering with a press", HUD_STATE_PAUSE_MENU, 742, 357, true, 2, {{play, 2}}, true},
        {"onto the exit button", HUD_STATE_PAUSE_MENU, 640, 180, true, 3, {{play, 2}, {exit, 1}}, false},
        {"explore is not live on the star map", HUD_STATE_STAR_MAP, 100, 50, true, 3, {{play, 2}, {exit, 1}}, false},
        {"explore with a planet selected", HUD_STATE_PLANET_SELECTED, 100, 50, true, 4,
         {{play, 2}, {exit, 1}, {explore, 1}}, false},
        // The exit button was not updated since the cursor entered it: still hovered, no blip.
        {"exit on the final screen", HUD_STATE_ALL_FOUND, 640, 180, true, 4, {{play, 2}, {exit, 2}, {explore, 1}},
         false},
    };
    for (const auto& step : steps) {
        hud.setState(step.state);
        hud.update(0.016f, step.x, step.y, step.clicked);
        EXPECT_EQ(recorder.blips, step.blips) << step.what;
        EXPECT_EQ(recorder.clicks, step.clicks) << step.what;
        if (step.state == HUD_STATE_PAUSE_MENU) {
            render_test::clearWindow(0, 0, 0);
            hud.render(&camera, false, false);
            const char* shown = step.playHovered ? "textures/play_button_hover.png" : "textures/play_button.png";
            EXPECT_TRUE(imageVisible(shown, 537, 288)) << step.what;
        }
    }
}

TEST_F(HudTest, NumberTextsAreCutToTheirBuffers) {
    Hud hud(HUD_STATE_DEAD);
    ASSERT_TRUE(hud.setup());
    const struct {
        unsigned int fps;
        float x, y;
        const char* fpsShown;
        const char* locationShown;
    } cases[] = {
        {1234, -3.7f, 12.9f, "123", "-3 12"},
        {7, 1e10f, -1e10f, "7", "2147483647 "},
        {4294967295u, -0.5f, 0.0f, "429", "0 0"},
    };
    for (const auto& c : cases) {
        hud.setFPS(c.fps);
        hud.setLoc(c.x, c.y);
        render_test::clearWindow(0, 0, 0);
        hud.render(&camera, false, false);
        const std::vector<uint8_t> drawn = testing_support::readPixels(0, 650, 300, 70);
        // The same strings drawn at the same places by texts of their own.
        render_test::clearWindow(0, 0, 0);
        Text fps(10.0f, 665.0f, c.fpsShown, "fonts/font1.json", 1.0f, glm::vec3(1.0f));
        Text location(10.0f, 697.5f, c.locationShown, "fonts/font1.json", 1.0f, glm::vec3(1.0f));
        ASSERT_TRUE(fps.setup() && location.setup());
        fps.render(&camera);
        location.render(&camera);
        EXPECT_TRUE(drawn == testing_support::readPixels(0, 650, 300, 70)) << c.fpsShown << " / " << c.locationShown;
    }
}

TEST_F(HudTest, ASecondFireDoesNotRestartTheFlash) {
    Hud hud(HUD_STATE_PLAYING);
    ASSERT_TRUE(hud.setup());
    auto flashRegion = [&] {
        render_test::clearWindow(0, 0, 0);
        hud.render(&camera, false, false);
        return testing_support::readPixels(679, 253, 96, 96);
    };
    const std::vector<uint8_t> idle = flashRegion();
    auto steps = [&](int count) {
        for (int i = 0; i < count; ++i) {
            hud.update(1.0f / 60.0f, 0, 0, false);
        }
    };
    hud.fire();
    steps(2);
    EXPECT_NE(flashRegion(), idle) << "the flash plays";
    // 16 frames, one a step: a restart here would still play four steps after the first ends.
    steps(10);
    hud.fire();
    steps(4);
    EXPECT_EQ(flashRegion(), idle) << "the flash ended after its 16 frames";
    hud.fire();
    steps(2);
    EXPECT_NE(flashRegion(), idle) << "a fire after the end plays again";
}

TEST_F(HudTest, MissingPartsOfThePackage) {
    const struct {
        const char* missing;
        bool setUp;
        const char* line;
    } cases[] = {
        {"textures/logo.png", true, "Failed to load package data for textures/logo.png"},
        {"shaders/basicortho.vs", false, "Failed to setup life indicator"},
        {"fonts/font1.json", false, "Failed to setup respawn text"},
    };
    for (const auto& c : cases) {
        testing_support::TempDir dir;
        ASSERT_TRUE(testing_support::buildRunPackageWithout(dir.path(), c.missing));
        testing_support::ScopedWorkingDirectory packageInside(dir.path());
        testing_support::CapturedStdout output;
        {
            Hud hud(HUD_STATE_ALL_FOUND);
            EXPECT_EQ(hud.setup(), c.setUp) << c.missing;
            if (c.setUp) {
                render_test::clearWindow(0, 0, 0);
                hud.render(&camera, false, false);
                EXPECT_TRUE(imageVisible("textures/exit_button.png", 537, 144)) << c.missing;
            }
        }
        const std::string log = output.finish();
        EXPECT_TRUE(render_test::hasLogLine(log, c.line)) << c.missing;
        // Whatever was made, every share of a picture went back with the HUD.
        for (const std::string& entry : buildAssetList()) {
            EXPECT_EQ(TextureManager::getInstance()->getReferenceCount(entry), 0) << c.missing << ": " << entry;
        }
    }
}
