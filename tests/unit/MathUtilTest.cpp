#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <initializer_list>

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

TEST(MathUtilRandom, VectorsDrawInAxisOrderAndNormalizedOnesHaveLengthOne) {
    ScriptedRand script({0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0xFE, 0x40, 0, 0, 0, 0x80, 0, 0, 0});
    EXPECT_LT(glm::distance(MathUtil::getRandomVector(glm::vec3(0.0f), glm::vec3(1.0f)), glm::vec3(1, 2, 3) * 0.001f),
              1e-7f);
    const glm::vec3 v = get_random_normalized_vector();
    EXPECT_EQ(script.draws(), 24);
    EXPECT_NEAR(glm::length(v), 1.0f, 1e-6f);
    EXPECT_TRUE(v.x > 0.8f && v.y < 0.0f);  // 0xFFFFFFFE maps to exactly +1 before normalising
}

TEST(MathUtilCompare, ToleranceAndSawTooth) {
    EXPECT_TRUE(!MathUtil::fcmp(1.0f, 1.0001f) && MathUtil::fcmp(1.0f, 1.00005f));
    for (const auto& [t, expected] : {std::pair(3.0f, 5.0f), {-1.0f, 0.0f}, {0.5f, 2.5f}, {4.0f, 0.0f}}) {
        EXPECT_FLOAT_EQ(MathUtil::sawTooth(t, 0.0f, 10.0f, 2.0f), expected) << t;
    }
}

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
        {"box surface ignores all",
         MathUtil::pointInsideBoxSurface(glm::vec3(0), glm::vec3(1), {9, 9, 9}, BOX_AXIS_IGNORE_ALL), true},
        {"box surface ignores z",
         MathUtil::pointInsideBoxSurface(glm::vec3(0), glm::vec3(1), {0, 0, 9}, BOX_AXIS_IGNORE_Z), true},
        {"box surface checks z",
         MathUtil::pointInsideBoxSurface(glm::vec3(0), glm::vec3(1), {0, 0, 9}, BOX_AXIS_IGNORE_X), false},
        {"box surface face is outside",
         MathUtil::pointInsideBoxSurface(glm::vec3(0), glm::vec3(2), {1, 0, 0}, BOX_AXIS_NONE), false},
    });
}

TEST(MathUtilGeometry, IntersectionTests) {
    const glm::vec2 origin(0.0f);
    expectEach({
        {"segment crossing the circle", MathUtil::circleIntersectsLineSegment(origin, 1, {-5, 0.5f}, {5, 0.5f}), true},
        {"line hits, segment ends before", MathUtil::circleIntersectsLineSegment(origin, 1, {2, 0.5f}, {5, 0.5f}),
         false},
        {"vertical segment on the circle", MathUtil::circleIntersectsLineSegment(origin, 1, {0.5f, -3}, {0.5f, 3}),
         true},
        {"segment of length zero", MathUtil::circleIntersectsLineSegment(origin, 1, {0, 0}, {0, 0}), false},
        {"circle centre inside the rectangle, tiny radius",
         MathUtil::circleIntersectsRectangle(origin, 0.001f, origin, {4, 4}), true},
        {"circle touching the right edge", MathUtil::circleIntersectsRectangle({2.5f, 0}, 1, origin, {4, 4}), true},
        {"corner of the first inside the second",
         MathUtil::rectangleIntersectsRectangle({1.5f, 1.5f}, {2, 2}, origin, {2, 2}), true},
        {"second wholly inside the first", MathUtil::rectangleIntersectsRectangle(origin, {10, 10}, origin, {2, 2}),
         false},
        {"swapped: first inside the second", MathUtil::rectangleIntersectsRectangle(origin, {2, 2}, origin, {10, 10}),
         true},
        {"ray through the box", MathUtil::rayIntersectsBox(glm::vec3(0), glm::vec3(2), {-5, 0, 0}, {1, 0, 0}), true},
        {"box behind the origin still counts",
         MathUtil::rayIntersectsBox(glm::vec3(0), glm::vec3(2), {5, 0, 0}, {1, 0, 0}), true},
        {"diagonal ray", MathUtil::rayIntersectsBox({10, 10, 10}, glm::vec3(2), {0.5f, 0, 0.2f}, {1, 1, 1}), true},
        {"ray through a corner only", MathUtil::rayIntersectsBox({10, 10, 10}, glm::vec3(2), glm::vec3(0), {1, 1, 1}),
         false},
    });
}

TEST(MathUtilGeometry, DistanceIsComputedInDoublePrecision) {
    EXPECT_FLOAT_EQ(MathUtil::distance2d({0, 0}, {3, 4}), 5.0f);
    EXPECT_FLOAT_EQ(MathUtil::distance2d({1e-20f, 0}, {0, 0}), 1e-20f);
}
