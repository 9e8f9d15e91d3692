// The star map driven frame by frame with scripted input, on the run folder's package and the
// real HUD, solar system and camera.
#include <gtest/gtest.h>

#include <glm/gtc/constants.hpp>

#include "RenderTestKit.h"
#include "core/Utils.h"
#include "game/ArtefactManager.h"
#include "game/FpsGame.h"
#include "game/Hud.h"
#include "game/SolarSystem.h"
#include "game/SolarSystemCamera.h"
#include "game/StarMapView.h"
#include "support/RunAssets.h"

namespace {

// Frames of 16 ms; at a fifth of a second the camera's ground easing lands in one step.
const int kFrameMs = 16, kSettleMs = 200;

// A scripted SDL event: a button for mouse presses and releases, a key for key releases, a
// step for the wheel.
SDL_Event event(Uint32 type, int detail = 0) {
    SDL_Event made{};
    made.type = type;
    made.button.button = static_cast<Uint8>(detail);
    type == SDL_KEYUP        ? void(made.key.keysym.sym = detail)
    : type == SDL_MOUSEWHEEL ? void(made.wheel.y = detail)
                             : void();
    return made;
}

const SDL_Event kLeftDown = event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT),
                kLeftUp = event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
const SDL_Event kEscape = event(SDL_KEYUP, SDLK_ESCAPE), kMotion = event(SDL_MOUSEMOTION);

// SDL's cursor (origin top left) over the middle of the HUD's buttons.
const glm::ivec2 kPlayButton(640, 720 - 323), kExitButton(640, 720 - 179), kExploreButton(123, 720 - 55);
// Boxes of the window as SDL counts the cursor (left, top, right, bottom): well inside the
// explore and play buttons, and an area away from every button.
const glm::ivec4 kOnExplore(30, 640, 216, 690), kOnPlay(547, 372, 733, 422), kOffButtons(200, 450, 450, 600);

struct StarMapViewTest : ::testing::Test {
    void SetUp() override {
        REQUIRE_RUN_ASSETS();
        glViewport(0, 0, 1280, 720);
        ASSERT_TRUE(game.setup());
    }
    void open(bool allFound = false) {
        view = std::make_unique<StarMapView>(&game, "levels/system_1/s1.json", allFound);
        ASSERT_TRUE(view->setup());
        view->begin(ticks);
    }
    // One frame of ms milliseconds with the cursor where it is and these events; true when drawn.
    bool frame(std::vector<SDL_Event> events = {}, int ms = kFrameMs) {
        FrameInput input;
        input.ticks = ticks += static_cast<uint32_t>(ms);
        input.mouseX = cursor.x;
        input.mouseY = cursor.y;
        input.events = std::move(events);
        return view->frame(input);
    }
    void frames(int count, int ms = kFrameMs) {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(frame({}, ms));
        }
    }
    // The left button pressed (HUD buttons act on the press: a release could land on a planet
    // and select it first, which would take the pause menu away), and released when `up`.
    bool clickAt(glm::ivec2 place, std::vector<SDL_Event> up = {kLeftUp}) {
        cursor = place;
        up.insert(up.begin(), kLeftDown);
        return frame(up);
    }
    // A person's click: the button pressed over `place` and released `gap` frames later (0: in
    // the same frame). False as soon as a frame ends the map.
    bool clickLasting(glm::ivec2 place, int gap, Uint8 button = SDL_BUTTON_LEFT) {
        cursor = place;
        const SDL_Event down = event(SDL_MOUSEBUTTONDOWN, button), up = event(SDL_MOUSEBUTTONUP, button);
        if (gap == 0) {
            return frame({down, up});
        }
        bool running = frame({down});
        for (int i = 1; i < gap && running; ++i) {
            running = frame();
        }
        return running && frame({up});
    }
    CelestialBody* body(int index) { return view->getSolarSystem()->getBodies()[static_cast<size_t>(index)]; }
    // Where the body stands on the window now, as SDL counts the cursor.
    glm::ivec2 onScreen(int index) {
        SolarSystemCamera* camera = view->getCamera();
        return glm::ivec2(
            world_to_screen(body(index)->position, *camera->getPerspectiveMatrix(), camera->getViewMatrix()));
    }
    // Moves a planet other than `except` along its orbit until the window shows it inside the
    // box; its index, or -1 when no orbit crosses the box.
    int placePlanetIn(glm::ivec4 box, int except = -1) {
        const auto count = static_cast<int>(view->getSolarSystem()->getBodies().size());
        for (int index = 1; index < count; ++index) {
            CelestialBody* planet = body(index);
            const float angle = planet->orbitAngle;
            for (int step = 0; step < 1440 && index != except; ++step) {
                planet->orbitAngle = static_cast<float>(step) * glm::two_pi<float>() / 1440.0f;
                planet->position = planet->getPosition();
                const glm::ivec2 at = onScreen(index);
                if (at.x > box.x && at.x < box.z && at.y > box.y && at.y < box.w) {
                    return index;
                }
            }
            planet->orbitAngle = angle;
            planet->position = planet->getPosition();
        }
        return -1;
    }
    // Selects planet `chosen` with a click, moving it along its orbit by eighths until another
    // planet's orbit crosses the box as the camera then sees it; that planet, placed in the box,
    // or -1.
    int selectWithAnotherIn(int chosen, glm::ivec4 box) {
        for (int eighth = 0; eighth < 8; ++eighth) {
            body(chosen)->orbitAngle = static_cast<float>(eighth) * glm::quarter_pi<float>();
            body(chosen)->position = body(chosen)->getPosition();
            const glm::ivec2 at = onScreen(chosen);
            // A click on a shown button would be the button's.
            if (view->getHud()->isOverShownButton(at.x, 720 - at.y) || !clickAt(at)) {
                continue;
            }
            frames(view->isPaused() ? 1 : 100);
            const int other = placePlanetIn(box, chosen);
            if (other > 0) {
                return other;
            }
        }
        return -1;
    }
    std::string selectedLevel() { return view->getSolarSystem()->getSelectedPlanetName(); }
    glm::vec3 eye() { return *view->getCamera()->getPosition(); }
    hud_state hudState() { return view->getHud()->getState(); }
    // The HUD's state, the selected planet's level, and the HUD's two texts.
    std::tuple<hud_state, std::string, std::string, std::string> shown() {
        return {hudState(), view->getSolarSystem()->getSelectedPlanetName(), view->getHud()->getSolarSystemText(),
                view->getHud()->getArtefactStatusText()};
    }
    void screenshot(const char* name) { render_test::saveScreenshot(std::string("starmap_") + name + ".png"); }

    testing_support::ScopedWorkingDirectory inside{QUENLOW_RUN_DIR};
    FpsGame game;
    std::unique_ptr<StarMapView> view;
    uint32_t ticks = 50000;
    glm::ivec2 cursor = glm::ivec2(640, 360);
};

}  // namespace

TEST_F(StarMapViewTest, EscapePausesPlayResumesToTheSelectionsStateAndExitEnds) {
    open();
    frames(60);
    const float angle = body(1)->orbitAngle;
    ASSERT_TRUE(frame({kEscape}));
    EXPECT_TRUE(view->isPaused());
    ASSERT_TRUE(frame({kEscape, event(SDL_MOUSEWHEEL, 1), event(SDL_MOUSEWHEEL, 1)}));
    EXPECT_EQ(hudState(), HUD_STATE_PAUSE_MENU) << "a second Escape changes nothing";
    frames(30);
    EXPECT_EQ(body(1)->orbitAngle, angle) << "the system stands still while paused";
    screenshot("pause_menu");

    ASSERT_TRUE(clickAt(kPlayButton, {}));
    EXPECT_TRUE(game.isResumeRequested());
    ASSERT_TRUE(frame());
    EXPECT_TRUE(!view->isPaused() && !game.isResumeRequested() && hudState() == HUD_STATE_STAR_MAP);
    frames(30, kSettleMs);
    EXPECT_NEAR(eye().z, 141.42f, 0.01f) << "the wheel was ignored while paused";

    ASSERT_TRUE(clickAt(onScreen(4)));
    ASSERT_EQ(hudState(), HUD_STATE_PLANET_SELECTED);
    ASSERT_TRUE(frame({kEscape}));
    ASSERT_TRUE(clickAt(kPlayButton, {}));
    ASSERT_TRUE(frame());
    EXPECT_EQ(hudState(), HUD_STATE_PLANET_SELECTED);

    ASSERT_TRUE(frame({kEscape}));
    ASSERT_TRUE(clickAt(kExitButton, {})) << "the exit frame is still drawn";
    EXPECT_TRUE(game.isExitRequested() && view->end() == VIEW_STATE_END && playLevelPath.empty())
        << "no planet launched";
}

// The wheel zooms in steps within the camera's limits; a drag pans by every motion of its frame.
TEST_F(StarMapViewTest, TheWheelZoomsAndDraggingPans) {
    open();
    for (const auto& [turns, height] : {std::pair(1, 121.42f), {3, 61.42f}, {5, 50.0f}, {-1, 70.0f}, {-20, 300.0f}}) {
        ASSERT_TRUE(frame(std::vector<SDL_Event>(std::abs(turns), event(SDL_MOUSEWHEEL, turns > 0 ? 1 : -1))));
        frames(80, kSettleMs);
        EXPECT_NEAR(eye().z, height, 0.01f) << turns << " turns";
    }
    cursor = {640, 360};
    ASSERT_TRUE(frame({kLeftDown}));
    cursor = {740, 330};
    ASSERT_TRUE(frame({kMotion}));
    frames(20, kSettleMs);
    // 100 pixels to the right: 10 units to -x; 30 up: 3 units to -y.
    EXPECT_LT(glm::distance(glm::vec2(eye()), glm::vec2(-10.0f, -103.0f)), 0.02f);
    // Measured from the last frame's cursor; each motion event of the frame pans once more.
    cursor = {750, 330};
    ASSERT_TRUE(frame({kMotion, kMotion, kMotion}));
    frames(20, kSettleMs);
    EXPECT_NEAR(eye().x, -13.0f, 0.01f);
    // A release ends the drag (over empty space it selects nothing).
    cursor = {100, 700};
    ASSERT_TRUE(frame({kLeftUp}));
    ASSERT_TRUE(frame({kMotion}));
    frames(20, kSettleMs);
    EXPECT_TRUE(std::abs(eye().x + 13.0f) < 0.01f && hudState() == HUD_STATE_STAR_MAP);
}

TEST_F(StarMapViewTest, AfterTheFlyInALeftReleasePicksAPlanetAndAnotherButtonClearsIt) {
    open();
    ASSERT_TRUE(frame());
    EXPECT_LT(eye().y, -800.0f) << "the fly-in starts far away";
    frames(300);
    EXPECT_LT(glm::distance(eye(), glm::vec3(0.0f, -100.0f, 141.42f)), 0.02f) << "and ends over the star";
    screenshot("after_fly_in");
    // The star and empty space select nothing.
    ASSERT_TRUE(clickAt(onScreen(0)));
    ASSERT_TRUE(clickAt({40, 400}));
    EXPECT_EQ(shown(), std::tuple(HUD_STATE_STAR_MAP, std::string(), "Tauvel solar system", "ARTEFACTS 0/9"));

    game.getArtefactManager()->markArtefactFound(body(2)->levelPath);
    for (const auto& [index, status] : {std::pair(5, "ARTEFACTS 0/1"), {2, "ARTEFACTS 1/1"}}) {
        CelestialBody* planet = body(index);
        ASSERT_TRUE(clickAt(onScreen(index)));
        EXPECT_EQ(shown(), std::tuple(HUD_STATE_PLANET_SELECTED, planet->levelPath, planet->name, status));
        frames(300);
        // The eye trails the planet, 20 units behind and 10 above it.
        EXPECT_LT(glm::distance(eye(), planet->position + glm::vec3(0, -20, 10)), 8.0f) << planet->name;
    }
    EXPECT_TRUE(render_test::imageVisible("textures/explore_button.png", 20, 20));
    screenshot("planet_selected");

    ASSERT_TRUE(clickAt({40, 400}, {event(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT)}));
    EXPECT_EQ(shown(), std::tuple(HUD_STATE_STAR_MAP, std::string(), "Tauvel solar system", "ARTEFACTS 1/9"));
    frames(40, kSettleMs);
    EXPECT_LT(glm::distance(glm::vec2(eye()), glm::vec2(0.0f, -100.0f)), 0.02f);
}

TEST_F(StarMapViewTest, ExploreEndsTheMapWithThePlanetsLevelUndrawn) {
    open();
    frames(200);
    const std::string level = body(7)->levelPath;
    ASSERT_TRUE(clickAt(onScreen(7)));
    ASSERT_TRUE(frame());
    render_test::clearWindow(0.0f, 1.0f, 0.0f);
    cursor = kExploreButton;
    EXPECT_FALSE(frame({kLeftDown})) << "the launch frame ends the loop";
    render_test::expectColour(640, 360, {0, 255, 0, 255}, 0);
    EXPECT_TRUE(view->end() == VIEW_STATE_PLANET && playLevelPath == level);
}

const int kGaps[] = {0, 1, 6, 30};
const Uint8 kButtons[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT};

// PLAY acts on the press and takes the menu away at once; the release of that click, however
// many frames later it comes, is still PLAY's: it neither picks the planet under the button
// nor, from the right button, clears the selection.
TEST_F(StarMapViewTest, PlaysReleasePicksNothingWheneverItComes) {
    open();
    frames(300);
    for (const bool withSelection : {false, true}) {
        for (const Uint8 button : kButtons) {
            for (const int gap : kGaps) {
                const std::string what = std::string(withSelection ? "selected, " : "") +
                                         (button == SDL_BUTTON_LEFT ? "left" : "right") + " released after " +
                                         std::to_string(gap) + " frames";
                // Each case from the same view: nothing selected, the camera back over the star.
                ASSERT_TRUE(clickAt({40, 400}, {event(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT)})) << what;
                frames(40, kSettleMs);
                const int under = withSelection ? selectWithAnotherIn(3, kOnPlay) : placePlanetIn(kOnPlay);
                ASSERT_GT(under, 0) << what << ": no planet could stand under PLAY";
                const std::string selected = withSelection ? body(3)->levelPath : "";
                ASSERT_TRUE(frame({kEscape})) << what;
                ASSERT_TRUE(clickLasting(onScreen(under), gap, button)) << what;
                ASSERT_TRUE(frame()) << what;
                EXPECT_FALSE(view->isPaused() || game.isResumeRequested()) << what << ": PLAY resumes";
                EXPECT_EQ(selectedLevel(), selected) << what << ", " << body(under)->name << " under PLAY";
                EXPECT_EQ(hudState(), withSelection ? HUD_STATE_PLANET_SELECTED : HUD_STATE_STAR_MAP) << what;
            }
        }
    }
}

// EXPLORE launches the selected planet on the press, whatever stands under the button and
// whenever the release comes. Paused, the launch waits for PLAY, and the release that comes
// meanwhile picks nothing either.
TEST_F(StarMapViewTest, ExploreLaunchesTheSelectedPlanetNotTheOneUnderIt) {
    for (const Uint8 button : kButtons) {
        for (const int gap : kGaps) {
            const std::string what = std::string(button == SDL_BUTTON_LEFT ? "left" : "right") + " released after " +
                                     std::to_string(gap) + " frames";
            open();
            frames(300);
            const int under = selectWithAnotherIn(3, kOnExplore);
            ASSERT_GT(under, 0) << what << ": no planet could stand under EXPLORE";
            const std::string selected = body(3)->levelPath, other = body(under)->name;
            EXPECT_FALSE(clickLasting(onScreen(under), gap, button)) << what << ": the press launches";
            EXPECT_EQ(view->end(), VIEW_STATE_PLANET) << what;
            EXPECT_EQ(playLevelPath, selected) << what << ", not " << other;
        }
    }

    // Paused with a planet selected: a release over it while the menu is up selects it again,
    // and the camera, paused too, stays where it found another planet under EXPLORE.
    open();
    frames(300);
    const int under = selectWithAnotherIn(3, kOnExplore);
    ASSERT_GT(under, 0) << "no planet could stand under EXPLORE";
    ASSERT_TRUE(frame({kEscape}));
    // A little above its middle: the planet followed stands just over PLAY.
    ASSERT_TRUE(clickAt(onScreen(3) - glm::ivec2(0, 20)));
    ASSERT_TRUE(view->isPaused() && hudState() == HUD_STATE_PLANET_SELECTED);
    ASSERT_TRUE(clickLasting(onScreen(under), 6)) << "paused, EXPLORE launches nothing yet";
    EXPECT_EQ(selectedLevel(), body(3)->levelPath) << body(under)->name << " under EXPLORE";
    ASSERT_TRUE(frame({kEscape}));
    const std::string selected = body(3)->levelPath;
    EXPECT_FALSE(clickLasting(kPlayButton, 6)) << "resumed, the launch goes";
    EXPECT_TRUE(view->end() == VIEW_STATE_PLANET && playLevelPath == selected);
}

// A release whose press no button took keeps the map's rule, over a button too: a drag that
// ends over EXPLORE picks the planet there; paused, a release away from the buttons picks
// (left) or clears (right) while the menu stays away until Escape.
TEST_F(StarMapViewTest, AReleaseThatNoButtonTookPicksWhereverItComes) {
    open();
    frames(300);
    const int under = selectWithAnotherIn(3, kOnExplore);
    ASSERT_GT(under, 0) << "no planet could stand under EXPLORE";
    cursor = {400, 500};
    ASSERT_TRUE(frame({kLeftDown}));
    for (int step = 1; step <= 10; ++step) {
        cursor = glm::mix(glm::vec2(400, 500), glm::vec2(kExploreButton), static_cast<float>(step) / 10.0f);
        ASSERT_TRUE(frame({kMotion}));
    }
    const int ending = placePlanetIn(kOnExplore, 3);
    cursor = onScreen(ending);
    ASSERT_TRUE(frame({kMotion, kLeftUp})) << "the drag launches nothing";
    EXPECT_EQ(selectedLevel(), body(ending)->levelPath) << "the drag ended over " << body(ending)->name;
    EXPECT_EQ(hudState(), HUD_STATE_PLANET_SELECTED);

    ASSERT_TRUE(clickAt({40, 400}, {event(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT)}));
    frames(40, kSettleMs);
    for (const int gap : kGaps) {
        ASSERT_TRUE(frame({kEscape}));
        const int elsewhere = placePlanetIn(kOffButtons);
        ASSERT_GT(elsewhere, 0) << "no planet could stand away from the buttons";
        ASSERT_TRUE(clickLasting(onScreen(elsewhere), gap)) << gap;
        EXPECT_EQ(selectedLevel(), body(elsewhere)->levelPath) << gap;
        EXPECT_TRUE(view->isPaused() && hudState() == HUD_STATE_PLANET_SELECTED) << gap;
        ASSERT_TRUE(clickLasting({300, 520}, gap, SDL_BUTTON_RIGHT)) << gap;
        EXPECT_TRUE(selectedLevel().empty() && view->isPaused() && hudState() == HUD_STATE_STAR_MAP) << gap;
        ASSERT_TRUE(frame({kEscape}));
        EXPECT_EQ(hudState(), HUD_STATE_PAUSE_MENU) << "Escape brings the menu back";
        ASSERT_TRUE(clickLasting(kPlayButton, gap)) << gap;
        ASSERT_TRUE(frame());
        ASSERT_FALSE(view->isPaused()) << gap;
    }
}

TEST_F(StarMapViewTest, WithEveryArtefactFoundOnlyTheFinalScreenAnswers) {
    for (int planet = 1; planet <= 9; ++planet) {
        game.getArtefactManager()->markArtefactFound("levels/system_1/s1p" + std::to_string(planet) + ".json");
    }
    open(true);
    frames(200);
    ASSERT_TRUE(frame({kEscape}));
    EXPECT_FALSE(view->isPaused());
    ASSERT_TRUE(clickAt(onScreen(3)));
    EXPECT_TRUE(hudState() == HUD_STATE_ALL_FOUND && view->getSolarSystem()->getSelectedPlanetName().empty());
    ASSERT_TRUE(frame());
    EXPECT_TRUE(render_test::imageVisible("textures/logo.png", 240, 432));
    EXPECT_GT(render_test::whitePixels(40, 288, 1200, 50), 2000) << "Well done! all artefacts found";
    screenshot("final_screen");
    ASSERT_TRUE(clickAt(kExitButton, {}));
    EXPECT_TRUE(game.isExitRequested() && view->end() == VIEW_STATE_END);
}

// Each long-lived object of the game fails on a package that lacks what it needs, with its
// own line, in the order the game creates them; the game object still frees what it made.
TEST(GameObject, EachLongLivedObjectFailsWithItsOwnLine) {
    REQUIRE_RUN_ASSETS();
    const std::pair<const char*, const char*> cases[] = {
        {"particlesystems/death.json", "Failed to setup death particle system"},
        {"models/forest2/forest_assets.obj", "Failed to setup level object manager"},
        {"models/ufo1/Low_poly_UFO.obj", "Failed to setup enemy manager"}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& [missing, line] = cases[i];
        testing_support::TempDir dir;
        ASSERT_TRUE(testing_support::buildRunPackageWithout(dir.path(), missing));
        testing_support::ScopedWorkingDirectory inside(dir.path());
        testing_support::CapturedStdout output;
        {
            FpsGame game;
            EXPECT_FALSE(game.setup()) << missing;
        }
        const std::string log = output.finish();
        EXPECT_TRUE(render_test::hasLogLine(log, line)) << missing;
        for (size_t later = i + 1; later < std::size(cases); ++later) {
            EXPECT_EQ(log.find(cases[later].second), std::string::npos)
                << missing << " reached " << cases[later].second;
        }
    }
}
