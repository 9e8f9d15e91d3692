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

// get_random() (0), get_random_int(a, b) (1) or grf(a, b) (2) on a script of rand() values, each
// taken: the result. Ranges from damaged descriptions, past what 32 bits count, saturate.
TEST(MathUtilRandom, DrawCountsAndRanges) {
    const std::tuple<int, std::deque<int>, float, float, float> cases[] = {
        {0, {0, 0, 0, 0}, 0, 0, 0.0f},
        {0, {0xFF, 0xFF, 0xFF, 0xFF}, 0, 0, 1.0f},  // the top value rounds to 1
        {0, {0x80, 0, 0, 0}, 0, 0, 0.5f},
        {1, {1, 2, 3, 4}, 3, 3, 3.0f},
        {1, {0, 0, 0, 11}, -2, 3, 3.0f},   // inclusive bounds
        {1, {0, 0, 0, 12}, -2, 3, -2.0f},  // wraps modulo
        {2, {}, 5.0f, 0.0f, 0.0f},
        {2, {}, 5.0f, 0.0004f, 0.0f},  // below a thousandth
        {2, {0, 0, 0x03, 0xE9}, 5.0f, 2.0f, 6.001f},
        {2, {0, 0, 0x03, 0xE9}, 5.0f, -2.0f, 6.001f},
        {2, {0, 0, 0x07, 0xCF}, 5.0f, 2.0f, 6.999f},  // stays below base + range
        {2, {0xFF, 0xFF, 0xFF, 0xFE}, 0.0f, 1e10f, 4294967.294f},
        {2, {0xFF, 0xFF, 0xFF, 0xFE}, 0.0f, INFINITY, 4294967.294f},
        {2, {}, 5.0f, NAN, 0.0f}};
    for (const auto& [function, values, a, b, expected] : cases) {
        ScriptedRand script(values);
        const float result =
            function == 0   ? MathUtil::get_random()
            : function == 1 ? static_cast<float>(MathUtil::get_random_int(static_cast<int>(a), static_cast<int>(b)))
                            : MathUtil::grf(a, b);
        EXPECT_FLOAT_EQ(result, expected) << function << " " << a << " " << b;
        EXPECT_EQ(script.draws(), static_cast<int>(values.size())) << function << " " << a << " " << b;
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
        {"ray through the box", MathUtil::rayIntersectsBox(glm::vec3(0), glm::vec3(2), {-5, 0, 0}, {1, 0, 0}), true},
        {"box behind the origin", MathUtil::rayIntersectsBox(glm::vec3(0), glm::vec3(2), {5, 0, 0}, {1, 0, 0}), true},
        {"diagonal ray", MathUtil::rayIntersectsBox({10, 10, 10}, glm::vec3(2), {0.5f, 0, 0.2f}, {1, 1, 1}), true},
        {"through a corner only", MathUtil::rayIntersectsBox({10, 10, 10}, glm::vec3(2), glm::vec3(0), {1, 1, 1}),
         false},
        {"fcmp beyond the tolerance", MathUtil::fcmp(1.0f, 1.0001f), false},
        {"fcmp within it", MathUtil::fcmp(1.0f, 1.00005f), true},
    });
}

// A vector draws x, y, then z, four draws each; a normalized one takes twelve and has length one.
TEST(MathUtilRandom, VectorsDrawInAxisOrderAndNormalizedOnesHaveLengthOne) {
    ScriptedRand script({0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0xFE, 0x40, 0, 0, 0, 0x80, 0, 0, 0});
    EXPECT_LT(glm::distance(MathUtil::getRandomVector(glm::vec3(0.0f), glm::vec3(1.0f)), glm::vec3(1, 2, 3) * 0.001f),
              1e-7f);
    EXPECT_EQ(script.draws(), 12);
    const glm::vec3 v = get_random_normalized_vector();
    EXPECT_EQ(script.draws(), 24);
    EXPECT_NEAR(glm::length(v), 1.0f, 1e-6f);
    EXPECT_TRUE(v.x > 0.8f && v.y < 0.0f);  // 0xFFFFFFFE maps to exactly +1 before normalising
}

// The helpers beside the ones the game calls: a saw tooth, a distance that stays exact for
// tiny values, the box surface test with its left-out axes, and the 2D intersections.
TEST(MathUtilGeometry, SawToothDistanceBoxSurfaceAndIntersections) {
    for (const auto& [t, expected] : {std::pair(3.0f, 5.0f), {-1.0f, 0.0f}, {0.5f, 2.5f}, {4.0f, 0.0f}}) {
        EXPECT_FLOAT_EQ(MathUtil::sawTooth(t, 0.0f, 10.0f, 2.0f), expected) << t;
    }
    EXPECT_FLOAT_EQ(MathUtil::distance2d({0, 0}, {3, 4}), 5.0f);
    EXPECT_FLOAT_EQ(MathUtil::distance2d({1e-20f, 0}, {0, 0}), 1e-20f);
    const glm::vec2 origin(0.0f);
    expectEach({
        {"insideRect on the top edge", MathUtil::insideRect({1, 2}, 0, 0, 2, 2), false},
        {"pointInsideSphere inside", MathUtil::pointInsideSphere({0, 3, 3.9f}, glm::vec3(0), 5), true},
        {"box surface ignores all",
         MathUtil::pointInsideBoxSurface(glm::vec3(0), glm::vec3(1), {9, 9, 9}, BOX_AXIS_IGNORE_ALL), true},
        {"box surface ignores z",
         MathUtil::pointInsideBoxSurface(glm::vec3(0), glm::vec3(1), {0, 0, 9}, BOX_AXIS_IGNORE_Z), true},
        {"box surface checks z",
         MathUtil::pointInsideBoxSurface(glm::vec3(0), glm::vec3(1), {0, 0, 9}, BOX_AXIS_IGNORE_X), false},
        {"box surface face is outside",
         MathUtil::pointInsideBoxSurface(glm::vec3(0), glm::vec3(2), {1, 0, 0}, BOX_AXIS_NONE), false},
        {"segment crossing the circle", MathUtil::circleIntersectsLineSegment(origin, 1, {-5, 0.5f}, {5, 0.5f}), true},
        {"segment passing by", MathUtil::circleIntersectsLineSegment(origin, 1, {-5, 2}, {5, 2}), false},
        {"line hits, segment ends before", MathUtil::circleIntersectsLineSegment(origin, 1, {2, 0.5f}, {5, 0.5f}),
         false},
        {"vertical segment", MathUtil::circleIntersectsLineSegment(origin, 1, {0.5f, -3}, {0.5f, 3}), true},
        {"segment of length zero", MathUtil::circleIntersectsLineSegment(origin, 1, {0, 0}, {0, 0}), false},
        {"circle centre inside, tiny radius", MathUtil::circleIntersectsRectangle(origin, 0.001f, origin, {4, 4}),
         true},
        {"circle touching the right edge", MathUtil::circleIntersectsRectangle({2.5f, 0}, 1, origin, {4, 4}), true},
        {"circle far from the rectangle", MathUtil::circleIntersectsRectangle({9, 9}, 1, origin, {4, 4}), false},
        {"corner of the first inside the second",
         MathUtil::rectangleIntersectsRectangle({1.5f, 1.5f}, {2, 2}, origin, {2, 2}), true},
        {"second wholly inside the first", MathUtil::rectangleIntersectsRectangle(origin, {10, 10}, origin, {2, 2}),
         false},
        {"first inside the second", MathUtil::rectangleIntersectsRectangle(origin, {2, 2}, origin, {10, 10}), true},
        {"ray beside the box", MathUtil::rayIntersectsBox(glm::vec3(0), glm::vec3(2), {-5, 3, 0}, {1, 0, 0}), false},
    });
}
