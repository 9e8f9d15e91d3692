// Reading the solar-system description and moving the bodies, without a window.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "core/MailBox.h"
#include "game/ArtefactManager.h"
#include "game/Hud.h"
#include "game/SolarSystem.h"
#include "game/SolarSystemCamera.h"
#include "support/ScriptedRand.h"
#include "support/TestSupport.h"

namespace {

const char* const kEntry = "levels/test/system.json";

// A package holding one description, the working directory while it lives.
struct DescriptionPackage : testing_support::PackageDir {
    explicit DescriptionPackage(const std::string& json) : PackageDir({{kEntry, json}}) {}
};

// name, level file, mesh index, scale, orbit radius, orbit speed, spin speed
using Body = std::tuple<std::string, std::string, int, float, float, float, float>;

std::vector<Body> bodiesOf(const SolarSystem& system) {
    std::vector<Body> bodies;
    for (const CelestialBody* body : system.getBodies()) {
        bodies.emplace_back(body->name, body->levelPath, body->meshIndex, body->scale, body->orbitRadius,
                            body->orbitSpeed, body->spinSpeed);
    }
    return bodies;
}

}  // namespace

TEST(SolarSystemDescription, BodiesShareTheCurrentValues) {
    // What, the description, and the bodies read; the system's text is the star's name.
    const std::tuple<const char*, const char*, std::vector<Body>> cases[] = {
        {"a planet lacking keys keeps the planet before it",
         R"({"name": "Sol", "meshIndex": 0, "scale": 3, "orbitRadius": 0, "orbitSpeed": 0, "planets": [
             {"name": "A", "levelPath": "a.json", "meshIndex": 4, "scale": 1.5, "orbitRadius": 10, "orbitSpeed": 0.2},
             {"name": "B", "orbitRadius": 20}]})",
         {{"Sol", "", 0, 3, 0, 0, 0},
          {"A", "a.json", 4, 1.5f, 10, 0.2f, 0.3f},
          {"B", "a.json", 4, 1.5f, 20, 0.2f, 0.3f}}},
        {"the first planet takes the star's values; the star has no level even when one was read",
         R"({"name": "Sol", "levelPath": "top.json", "meshIndex": 2, "scale": 2, "planets": [{"name": "A"}]})",
         {{"Sol", "", 2, 2, 0, 0, 0}, {"A", "top.json", 2, 2, 0, 0, 0.3f}}},
        {"keys after the planets change nothing already made",
         R"({"name": "Sol", "planets": [{"name": "A", "levelPath": "a.json"}], "name": "Late", "scale": 9})",
         {{"Sol", "", 0, 1, 0, 0, 0}, {"A", "a.json", 0, 1, 0, 0, 0.3f}}},
        {"a non-string under a text key keeps the text; a non-number under a number key is 0",
         R"({"name": "Sol", "scale": 2, "backgroundSound": 5, "planets": [
             {"name": "A", "levelPath": "a.json"},
             {"name": 7, "levelPath": null, "scale": "big", "meshIndex": 3.9, "orbitRadius": -2.5}]})",
         {{"Sol", "", 0, 2, 0, 0, 0}, {"A", "a.json", 0, 2, 0, 0, 0.3f}, {"A", "a.json", 3, 0, -2.5f, 0, 0.3f}}},
        {"mesh indices truncate toward zero and saturate",
         R"({"planets": [{"meshIndex": -7.9}, {"meshIndex": 1e30}, {"meshIndex": -1e30}]})",
         {{"", "", 0, 1, 0, 0, 0},
          {"", "", -7, 1, 0, 0, 0.3f},
          {"", "", INT_MAX, 1, 0, 0, 0.3f},
          {"", "", INT_MIN, 1, 0, 0, 0.3f}}},
        {"no planets, no bodies", R"({"name": "Sol", "scale": 2})", {}}};
    for (const auto& [what, json, bodies] : cases) {
        DescriptionPackage package(json);
        ASSERT_TRUE(package.built);
        ArtefactManager artefacts(9);
        SolarSystem system(kEntry, nullptr, &artefacts);
        ASSERT_TRUE(system.loadCelestialBodies()) << what;
        EXPECT_EQ(bodiesOf(system), bodies) << what;
        EXPECT_EQ(system.getSystemText(), bodies.empty() ? "" : std::get<0>(bodies[0]) + " solar system") << what;
    }
}

TEST(SolarSystemDescription, DamagedEntriesFailCleanlyOrStayBounded) {
    std::string deep = R"({"name": "Sol", "planets": [)";
    deep += std::string(100000, '[') + std::string(100000, ']') + "]}";
    std::string crowded = R"({"name": "Sol", "planets": [)";
    for (int planet = 0; planet < 10000; ++planet) {
        crowded += std::string(planet == 0 ? "" : ",") + R"({"name": "P", "levelPath": "p.json"})";
    }
    crowded += "]}";
    // The entry, its description, whether it loads, and the bodies read (the star included).
    const std::tuple<const char*, std::string, bool, size_t> cases[] = {
        {"levels/test/absent.json", "{}", false, 0},
        {kEntry, R"({"name": "Sol", "planets": [)", false, 0},
        {kEntry, deep, true, 1},  // nested far deeper than any description
        {kEntry, crowded, true, 10001}};
    for (const auto& [entry, json, loads, bodies] : cases) {
        DescriptionPackage package(json);
        ASSERT_TRUE(package.built);
        ArtefactManager artefacts(9);
        SolarSystem system(entry, nullptr, &artefacts);
        testing_support::CapturedStdout output;
        EXPECT_EQ(system.loadCelestialBodies(), loads) << bodies;
        const std::string log = output.finish();
        EXPECT_EQ(log.find("] Failed to parse solar system JSON\n") != std::string::npos, !loads) << bodies << log;
        EXPECT_EQ(system.getBodies().size(), bodies);
    }
}

TEST(SolarSystemOrbits, BodiesStartAtRandomAnglesAndAdvanceAlongTheirOrbits) {
    DescriptionPackage package(R"({"name": "Sol", "planets": [
        {"name": "A", "levelPath": "a.json", "orbitRadius": 10, "orbitSpeed": 0.25},
        {"name": "B", "levelPath": "b.json", "orbitRadius": 20, "orbitSpeed": -0.5}]})");
    ASSERT_TRUE(package.built);
    ArtefactManager artefacts(9);
    SolarSystem system(kEntry, nullptr, &artefacts);
    {
        // One draw per body: 0, a half and three quarters of a turn.
        testing_support::ScriptedRand script({0, 1 << 30, 3 << 29});
        ASSERT_TRUE(system.loadCelestialBodies());
        EXPECT_EQ(script.draws(), 3);
    }
    const std::vector<CelestialBody*>& bodies = system.getBodies();
    ASSERT_EQ(bodies.size(), 3u);
    // After two seconds the planets have gone on by twice their speed and spun 0.3 a second.
    const float pi = static_cast<float>(M_PI), angles[2][3] = {{0, pi, 1.5f * pi}, {0, pi + 0.5f, 1.5f * pi - 1.0f}};
    for (int step = 0; step < 2; ++step) {
        for (size_t i = 0; i < bodies.size(); ++i) {
            const float angle = angles[step][i], radius = 10.0f * static_cast<float>(i);
            EXPECT_NEAR(bodies[i]->orbitAngle, angle, 1e-5) << step << " " << i;
            EXPECT_LT(glm::distance(glm::vec2(bodies[i]->getPosition()),
                                    radius * glm::vec2(std::cos(angle), std::sin(angle))),
                      1e-4f);
            EXPECT_NEAR(bodies[i]->spin, step * (i > 0) * 0.6f, 1e-6) << step << " " << i;
        }
        EXPECT_TRUE(system.update(1.0f, 0, 0).empty() && system.update(1.0f, 0, 0).empty());
    }
}

TEST(SolarSystemOrbits, TheExploreMessageLaunchesOnlyWhileItsSystemLives) {
    DescriptionPackage package(R"({"planets": [{"name": "A", "levelPath": "a.json"}]})");
    ASSERT_TRUE(package.built);
    ArtefactManager artefacts(9);
    {
        SolarSystem system(kEntry, nullptr, &artefacts);
        EXPECT_TRUE(MailBox::getInstance()->sendMessage(MESSAGE_EXPLORE_BUTTON_CLICKED, nullptr));
        // Launched with nothing selected: nothing to hand over.
        EXPECT_EQ(system.update(0.1f, 0, 0), "");
    }
    EXPECT_FALSE(MailBox::getInstance()->sendMessage(MESSAGE_EXPLORE_BUTTON_CLICKED, nullptr));
}

TEST(SolarSystemClicks, TheGroundPointPicksAPlanetWithin5OfItsCentre) {
    DescriptionPackage package(R"({"planets": [{"name": "A", "levelPath": "a.json", "orbitRadius": 20}]})");
    ASSERT_TRUE(package.built);
    ArtefactManager artefacts(9);
    Hud hud(HUD_STATE_STAR_MAP);
    SolarSystemCamera camera({0, -100, 100}, {0, 0, 0}, {0, 0, 1}, 1280, 720);
    SolarSystem system(kEntry, &hud, &artefacts);
    {
        testing_support::ScriptedRand zeros({});  // the planet starts on the x axis, at (20, 0)
        ASSERT_TRUE(system.loadCelestialBodies());
    }
    glm::vec2 screen(0.0f);
    // Where the click meets the ground, the level it selects; the star at the origin is no pick.
    const std::pair<glm::vec3, std::string> clicks[] = {
        {{24.99f, 0, 0}, "a.json"}, {{25.01f, 0, 0}, ""}, {{20, -4.99f, 0}, "a.json"},
        {{20, 5.01f, 0}, ""},       {{0.5f, 0, 0}, ""},
    };
    for (auto [ground, level] : clicks) {
        system.mouseClick(false, ground, screen, &camera);
        system.mouseClick(true, ground, screen, &camera);
        EXPECT_EQ(system.getSelectedPlanetName(), level) << ground.x << ", " << ground.y;
        EXPECT_EQ(hud.getState(), level.empty() ? HUD_STATE_STAR_MAP : HUD_STATE_PLANET_SELECTED);
    }
}
