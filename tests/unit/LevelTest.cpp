// The level without a window: the torus, the description walk, the line of sight over a
// terrain of the test's own; the rocket's flights and engine; the random object kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

#include "game/Level.h"
#include "game/LevelObjectManager.h"
#include "game/Rocket.h"
#include "support/ScriptedRand.h"
#include "support/TestSupport.h"

namespace {

TEST(Torus, ColumnsTilesWrappingAndNeighbours) {
    // Coordinate, its column and tile on tiles of 64, and where it wraps to.
    for (const auto& [x, column, tile, wrapped] : {std::tuple(-0.5f, 2, -1, 63.5f),
                                                   {-64.0f, 1, -2, 0.0f},
                                                   {191.9f, 2, 2, 63.9f},
                                                   {192.0f, 0, 3, 0.0f},
                                                   {0.0f, 0, 0, 0.0f},
                                                   {64.0f, 1, 1, 0.0f},
                                                   {-192.0f, 2, -4, 0.0f},
                                                   {-64.5f, 1, -2, 63.5f},
                                                   {-200.0f, 2, -4, 56.0f},
                                                   {400.0f, 0, 6, 16.0f}}) {
        EXPECT_TRUE(torus_column(x, 64) == column && torus_tile(x, 64) == tile) << x;
        EXPECT_NEAR(torus_wrap(x, 64), wrapped, 1e-4f) << x;
    }
    for (float x = -500.0f; x < 500.0f; x += 0.73f) {
        ASSERT_EQ(((torus_tile(x, 64) % 3) + 3) % 3, torus_column(x, 64)) << x;
        ASSERT_TRUE(torus_wrap(x, 64) >= 0.0f && torus_wrap(x, 64) < 64.0f) << x;
    }
    // Before the first tile is set up, and beyond the int range, nothing divides by zero or overflows.
    EXPECT_EQ(torus_column(5, 0) + torus_tile(5, 0) + torus_wrap(5, 0), 0.0f);
    EXPECT_TRUE(torus_column(3e30f, 64) >= 0 && torus_column(-3e30f, 64) <= 2 && torus_column(NAN, 64) >= 0);
    EXPECT_TRUE(torus_tile(-3e9f, 1) == INT_MIN && torus_column(INFINITY, INT_MAX) == 1);
    const int dx[8] = {-1, 1, 0, 0, -1, 1, -1, 1}, dy[8] = {0, 0, 1, -1, 1, 1, -1, -1};
    for (int slot = 0; slot < 9; ++slot) {
        for (int direction = 0; direction < 8; ++direction) {
            const int expected = (slot / 3 + dy[direction] + 3) % 3 * 3 + (slot % 3 + dx[direction] + 3) % 3;
            EXPECT_EQ(torus_neighbour(slot, direction), expected) << slot << " " << direction;
        }
    }
    Level level("levels/none.json", true);
    testing_support::CapturedStdout output;
    EXPECT_EQ(level.getSurroundingTileIndex(TILE_INDEX_ABOVE_RIGHT), 4);
    EXPECT_EQ(level.getSurroundingTileIndex(static_cast<tile_index>(8)), 0);
    EXPECT_NE(output.finish().find("] Mission impossible\n"), std::string::npos);
}

void walk(Level& level, const std::string& json) {
    json_value* root = json_parse_buffer(json.data(), json.size());
    ASSERT_NE(root, nullptr) << json;
    level.process_value(root, 0, nullptr);
    json_value_free(root);
}

// Keys anywhere in the tree; the numbers of every array become kinds, until a nested array ends.
TEST(LevelDescription, WalkReadsKeysAnywhereAndArraysAsKinds) {
    // The description; the kinds, seed, crystal height, object density, effect and footstep read from it.
    const std::tuple<const char*, std::vector<int>, int, float, float, const char*, int> cases[] = {
        {R"({"a": [3, 7.9, "x"], "seed": 12.7})", {3, 7, 0}, 12, 0, 0, "", 12},
        {R"({"k": [[1], 2], "seed": "12"})", {1}, 0, 0, 0, "", 12},
        {R"({"o":{"p":{"artefactPositionZ":4.5}},"k":[{"objectDensity":0.5},null]})", {0, 0}, 0, 4.5f, 0.5f, "", 12},
        {R"({"particleSystem": "snow.json", "name": 5, "footstepSound": 14.9})", {}, 0, 0, 0, "snow.json", 14},
        {R"({"particleSystem": ["x"], "seed": 5, "seed": 9, "footstepSound": {}})", {0}, 9, 0, 0, "", 0},
        {R"({"seed": 1e300, "objectDensity": -1e300, "k": [1e20]})", {INT_MAX}, INT_MAX, 0, -FLT_MAX, "", 12}};
    for (const auto& [json, kinds, seed, artefactZ, density, effect, footstep] : cases) {
        Level level("levels/none.json", true);
        walk(level, json);
        EXPECT_TRUE(level.getObjectKinds() == kinds && level.getSeed() == seed) << json;
        EXPECT_TRUE(level.artefactPosition.z == artefactZ && level.getArtefactBaseZ() == artefactZ) << json;
        EXPECT_TRUE(level.getObjectDensity() == density && level.getParticleSystem() == effect) << json;
        EXPECT_EQ(level.getFootstepSound(glm::vec3(0.0f)), footstep) << json;
    }
    // Nesting beyond the walks' bound is not entered, and a very deep tree does not exhaust the stack.
    for (const auto& [depth, seed] : {std::make_pair(40, 7), std::make_pair(80, 0), std::make_pair(100000, 0)}) {
        std::string json;
        for (int i = 0; i < depth; ++i) {
            json += "{\"a\": ";
        }
        Level level("levels/none.json", true);
        walk(level, json + "{\"seed\": 7}" + std::string(static_cast<size_t>(depth), '}'));
        EXPECT_EQ(level.getSeed(), seed) << depth;
    }
}

// The level's line of sight over a wall 10 high from x = 20.5, counting the heights it reads.
struct Walled : Level {
    Walled() : Level("levels/none.json", true) {}
    using Level::getElevation;
    float getElevation(float x, float) override { return ++reads, x >= 20.5f ? 10.0f : 0.0f; }
    int reads = 0;
};

TEST(LevelQueries, LineOfSightStepsOverTheTerrain) {
    const glm::vec3 none(-1.0f);
    // From, to, seen, where the wall was hit, heights read.
    const std::tuple<glm::vec3, glm::vec3, bool, glm::vec3, int> cases[] = {
        {{5, 5, 1}, {5, 5, 1}, true, none, 0},
        {{0, 0, 1}, {0.6f, 0.6f, 1}, true, none, 0},
        {{-500, 0, 50}, {-99.5f, 0, 50}, false, none, 0},
        {{0, 0, 5}, {50, 0, 5}, false, {21, 0, 5}, 22},
        {{0, 0, 12}, {50, 0, 12}, true, none, 50},
        {{0, 0, 5}, {NAN, 0, 5}, false, none, 0}};
    for (const auto& [from, to, seen, wall, reads] : cases) {
        Walled level;
        glm::vec3 hit = none;
        EXPECT_EQ(level.los(from, to, &hit), seen) << to.x;
        EXPECT_TRUE(hit == wall && level.reads == reads) << to.x << ": " << level.reads;
        EXPECT_EQ(level.los(from, to, nullptr), seen);
    }
    Walled level;
    EXPECT_TRUE(level.isCollision({21, 0, 9.9f}) && !level.isCollision({21, 0, 10.0f}));
    EXPECT_EQ(level.getElevation(glm::vec3(30, 0, 0)), 10.0f);
}

// The closed-form flights at 100 steps a second, without a model, and the engine they steer:
// burning in flight only, towards the raw rand() value in radians, not sideways at timer 0.
TEST(Rocket, FlightsFollowTheirCurvesAndStatesAndSteerTheEngine) {
    Rocket rocket(glm::vec3(0.0f, 0.0f, 12.0f), nullptr);
    rocket.state = ROCKET_STATE_LANDING;
    std::vector<int> states;
    for (int step = 0; step < 900; ++step) {
        states.push_back(rocket.update(0.01f));
        EXPECT_TRUE(step > 0 || std::fabs(rocket.position.z - 88.0f * std::exp(0.991f) - 12.0f) < 1e-3f);
    }
    const long touchDown = std::find(states.begin(), states.end(), ROCKET_STATE_SETTLING) - states.begin();
    const long landed = std::find(states.begin(), states.end(), ROCKET_STATE_LANDED) - states.begin();
    EXPECT_NEAR((touchDown + 1) * 0.01f, 7.10f, 0.015f);
    EXPECT_NEAR((landed - touchDown) * 0.01f, 1.0f, 0.015f);
    EXPECT_EQ(std::count(states.begin(), states.end(), ROCKET_STATE_LANDED), 1);
    EXPECT_TRUE(states[landed + 1] == ROCKET_STATE_STANDING && states.back() == ROCKET_STATE_STANDING);
    rocket.state = ROCKET_STATE_TAKING_OFF;
    rocket.timer = 0.0f;
    int steps = 1;
    for (; rocket.update(0.01f) == ROCKET_STATE_TAKING_OFF; ++steps) {
        ASSERT_NEAR(rocket.position.z, 0.72f * std::pow(rocket.timer, 3.0f) + 12.0f, 1e-3f);
    }
    EXPECT_NEAR(steps * 0.01f, 6.92f, 0.015f);
    EXPECT_TRUE(rocket.position.z > 250.0f && rocket.update(0.01f) == ROCKET_STATE_GONE);
    for (int state = 0; state <= 5; ++state) {
        bool active = true;
        rocket.state = state;
        EXPECT_TRUE(rocket.getActive(active) && active == (state == 1 || state == 4)) << state;
    }
    glm::vec3 velocity(0.0f);
    testing_support::ScriptedRand rand({7, 7});
    rocket.timer = 0.0f;
    EXPECT_TRUE(rocket.getVelocity(velocity) && velocity == glm::vec3(0.0f, 0.0f, 10.1f));
    rocket.timer = 2.5f;
    rocket.getVelocity(velocity);
    const float angle = static_cast<float>(7.0 / 6.283185307179586);
    EXPECT_LT(glm::distance(velocity, glm::vec3(10.0f * std::cos(angle), 10.0f * std::sin(angle), 7.6f)), 1e-5f);
}

// Four rand() values pick an entry of the level's list, wrapping past its end; an empty list
// gives the kind that draws nothing, without a draw.
TEST(LevelObjects, RandomKindComesFromTheLevelsList) {
    LevelObjectManager objects;
    testing_support::ScriptedRand rand({0, 0, 0, 2, 0, 0, 0, 4});
    EXPECT_EQ(objects.getRandomObject(), kLevelObjectKinds);
    objects.kinds = {3, 5, 8};
    EXPECT_EQ(objects.getRandomObject(), 8);
    EXPECT_EQ(objects.getRandomObject(), 5);
    EXPECT_EQ(rand.draws(), 8);
}

}  // namespace
