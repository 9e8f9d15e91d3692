// Random numbers from the C generator and the 2D/3D containment and intersection tests of
// the HUD, the terrain, the star map, the enemies and the projectiles. Every random value
// takes exactly four rand() draws: level layouts are reproduced from a seed, so the number
// of draws per call is part of the behaviour. Containment tests are strict.
#pragma once

#include <cstdint>

#include <glm/glm.hpp>

enum box_axis {
    BOX_AXIS_IGNORE_X = 1,
    BOX_AXIS_IGNORE_Y = 2,
    BOX_AXIS_IGNORE_Z = 3,
    BOX_AXIS_IGNORE_ALL = 4,
    BOX_AXIS_NONE = 0,
};

class MathUtil {
public:
    // The low bytes of four rand() values, the first one most significant.
    static uint32_t random();
    // random() * 2^-32 as a float: [0, 1], the top values rounding to exactly 1.0.
    static float get_random();
    // min to max, both inclusive.
    static int get_random_int(int min, int max);
    // base + [0, |range|) in steps of 0.001; 0.0 without a draw when |range| < 0.001.
    static float grf(float base, float range);
    static glm::vec3 getRandomVector(const glm::vec3& base, const glm::vec3& range);

    static bool fcmp(float a, float b);
    // Numbers read from a package entry may lie outside the target type, where a plain
    // conversion is undefined: they saturate instead. truncateToInt rounds toward zero and
    // gives INT_MIN for NaN.
    static float clampToFloat(double value);
    static int truncateToInt(float value);
    static float sawTooth(float t, float low, float high, float period);
    static float distance2d(const glm::vec2& a, const glm::vec2& b);

    // Corner (x, y) and size (w, h).
    static bool insideRect(const glm::vec2& point, float x, float y, float w, float h);
    static bool pointInRectangle(const glm::vec2& point, const glm::vec2& centre, const glm::vec2& size);
    static bool pointInsideCircle(const glm::vec2& point, const glm::vec2& centre, float radius);
    static bool pointInsideSphere(const glm::vec3& point, const glm::vec3& centre, float radius);
    static bool pointInsideBoxSurface(const glm::vec3& centre, const glm::vec3& size, const glm::vec3& point,
                                      box_axis axis);

    static bool circleIntersectsLineSegment(const glm::vec2& centre, float radius, const glm::vec2& a,
                                            const glm::vec2& b);
    static bool circleIntersectsRectangle(const glm::vec2& centre, float radius, const glm::vec2& rectCentre,
                                          const glm::vec2& rectSize);
    // Only the first rectangle's corners are tested against the second.
    static bool rectangleIntersectsRectangle(const glm::vec2& centre1, const glm::vec2& size1, const glm::vec2& centre2,
                                             const glm::vec2& size2);
    // True when the box from low to high lies wholly outside one plane of the clip volume of
    // viewProjection: nothing inside it can reach the screen. Conservative: a box that misses
    // the view only across a corner still counts as inside.
    static bool boxOutsideView(const glm::mat4& viewProjection, const glm::vec3& low, const glm::vec3& high);
    // A line test: a box behind the origin counts as hit.
    static bool rayIntersectsBox(const glm::vec3& boxCentre, const glm::vec3& boxSize, const glm::vec3& origin,
                                 const glm::vec3& direction);
};

// A unit vector from twelve draws of the C generator.
glm::vec3 get_random_normalized_vector();
