#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "core/MathUtil.h"
#include "support/ScriptedRand.h"

namespace {
using testing_support::ScriptedRand;

// One yes-or-no answer of a geometry test and what it should be.
struct Check {
    const char* what;
    bool result;
    bool expected;
};
void expectEach(std::initializer_list<Check> checks) {
    for (const Check& c : checks) {
        EXPECT_EQ(c.result, c.expected) << c.what;
    }
}
}  // namespace

TEST(MathUtilRandom, TakesTheLowBytesOfFourDraws) {
    ScriptedRand script({0x7F000034, 0x00110056, 0x0000109A, 0x123456BC});
    EXPECT_EQ(MathUtil::random(), 0x34569ABCu);
    EXPECT_EQ(script.draws(), 4);
}

TEST(MathUtilRandom, DrawCountsAndRanges) {
    struct Case {
        const char* what;
        std::deque<int> script;
        std::function<float()> call;
        float expected;
        int draws;
    };
    const Case cases[] = {
        {"get_random of zero", {0, 0, 0, 0}, [] { return MathUtil::get_random(); }, 0.0f, 4},
        {"get_random of the top value rounds to 1",
         {0xFF, 0xFF, 0xFF, 0xFF},
         [] { return MathUtil::get_random(); },
         1.0f,
         4},
        {"get_random of a half", {0x80, 0, 0, 0}, [] { return MathUtil::get_random(); }, 0.5f, 4},
        {"get_random_int with one value", {1, 2, 3, 4}, [] { return float(MathUtil::get_random_int(3, 3)); }, 3.0f, 4},
        {"get_random_int inclusive bounds",
         {0, 0, 0, 11},
         [] { return float(MathUtil::get_random_int(-2, 3)); },
         3.0f,
         4},
        {"get_random_int wraps modulo", {0, 0, 0, 12}, [] { return float(MathUtil::get_random_int(-2, 3)); }, -2.0f, 4},
        {"grf of a zero range", {}, [] { return MathUtil::grf(5.0f, 0.0f); }, 0.0f, 0},
        {"grf below a thousandth", {}, [] { return MathUtil::grf(5.0f, 0.0004f); }, 0.0f, 0},
        {"grf in thousandths", {0, 0, 0x03, 0xE9}, [] { return MathUtil::grf(5.0f, 2.0f); }, 6.001f, 4},
        {"grf of a negative range", {0, 0, 0x03, 0xE9}, [] { return MathUtil::grf(5.0f, -2.0f); }, 6.001f, 4},
        {"grf stays below base + range", {0, 0, 0x07, 0xCF}, [] { return MathUtil::grf(5.0f, 2.0f); }, 6.999f, 4},
        // Ranges from damaged descriptions: past what 32 bits count, the steps saturate.
        {"grf of a range past 32 bits",
         {0xFF, 0xFF, 0xFF, 0xFE},
         [] { return MathUtil::grf(0.0f, 1e10f); },
         4294967.294f,
         4},
        {"grf of an infinite range",
         {0xFF, 0xFF, 0xFF, 0xFE},
         [] { return MathUtil::grf(0.0f, INFINITY); },
         4294967.294f,
         4},
        {"grf of a range that is not a number", {}, [] { return MathUtil::grf(5.0f, NAN); }, 0.0f, 0},
    };
    for (const Case& c : cases) {
        ScriptedRand script(c.script);
        EXPECT_FLOAT_EQ(c.call(), c.expected) << c.what;
        EXPECT_EQ(script.draws(), c.draws) << c.what;
    }
}

// The containment tests the game relies on leave out their borders: HUD buttons, water squares,
// corners, the player's eye; and a ray meets a box behind its origin as well.
TEST(MathUtilGeometry, ContainmentIsStrict) {
    const glm::vec2 origin(0.0f);
    expectEach({
        {"insideRect inside", MathUtil::insideRect({1, 1}, 0, 0, 2, 2), true},
        {"insideRect on the left edge", MathUtil::insideRect({0, 1}, 0, 0, 2, 2), false},
        {"pointInRectangle inside", MathUtil::pointInRectangle({0.9f, -0.9f}, origin, {2, 2}), true},
        {"pointInRectangle on the edge", MathUtil::pointInRectangle({1, 0}, origin, {2, 2}), false},
        {"pointInsideCircle inside", MathUtil::pointInsideCircle({3, 3.9f}, origin, 5), true},
        {"pointInsideCircle on the circle", MathUtil::pointInsideCircle({3, 4}, origin, 5), false},
        {"pointInsideSphere on the sphere", MathUtil::pointInsideSphere({0, 3, 4}, glm::vec3(0), 5), false},
        {"ray through the box", MathUtil::rayIntersectsBox(glm::vec3(0), glm::vec3(2), {-5, 0, 0}, {1, 0, 0}), true},
        {"box behind the origin", MathUtil::rayIntersectsBox(glm::vec3(0), glm::vec3(2), {5, 0, 0}, {1, 0, 0}), true},
        {"diagonal ray", MathUtil::rayIntersectsBox({10, 10, 10}, glm::vec3(2), {0.5f, 0, 0.2f}, {1, 1, 1}), true},
        {"through a corner only", MathUtil::rayIntersectsBox({10, 10, 10}, glm::vec3(2), glm::vec3(0), {1, 1, 1}),
         false},
        {"fcmp beyond the tolerance", MathUtil::fcmp(1.0f, 1.0001f), false},
        {"fcmp within it", MathUtil::fcmp(1.0f, 1.00005f), true},
    });
}
