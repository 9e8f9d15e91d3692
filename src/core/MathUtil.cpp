#include "core/MathUtil.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

uint32_t MathUtil::random() {
    uint32_t value = 0;
    for (int draw = 0; draw < 4; ++draw) {
        value = (value << 8) | (static_cast<uint32_t>(rand()) & 0xFF);
    }
    return value;
}

float MathUtil::get_random() {
    constexpr float kTwoToMinus32 = 2.3283064365386963e-10f;
    return static_cast<float>(random()) * kTwoToMinus32;
}

int MathUtil::get_random_int(int min, int max) {
    const uint32_t span = static_cast<uint32_t>(max) - static_cast<uint32_t>(min) + 1u;
    return static_cast<int>(random() % span + static_cast<uint32_t>(min));
}

float MathUtil::grf(float base, float range) {
    // Ranges come from the package's descriptions, so any float can arrive: a range past
    // what 32 bits count saturates rather than overflowing the conversion, and a range that
    // is not a number draws nothing, like one below a step.
    const float scaledRange = std::fabs(range * 1000.0f);
    if (!(scaledRange >= 1.0f)) {
        return 0.0f;
    }
    constexpr float kStepLimit = 4294967296.0f;  // 2^32
    const uint32_t steps = scaledRange < kStepLimit ? static_cast<uint32_t>(scaledRange) : UINT32_MAX;
    return base + static_cast<float>(random() % steps) / 1000.0f;
}

glm::vec3 MathUtil::getRandomVector(const glm::vec3& base, const glm::vec3& range) {
    const float x = grf(base.x, range.x);
    const float y = grf(base.y, range.y);
    const float z = grf(base.z, range.z);
    return glm::vec3(x, y, z);
}

float MathUtil::clampToFloat(double value) {
    if (value > FLT_MAX) {
        return FLT_MAX;
    }
    if (value < -FLT_MAX) {
        return -FLT_MAX;
    }
    return static_cast<float>(value);
}

int MathUtil::truncateToInt(float value) {
    if (!(value > static_cast<float>(INT_MIN))) {
        return INT_MIN;
    }
    if (!(value < static_cast<float>(INT_MAX))) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

bool MathUtil::fcmp(float a, float b) {
    return std::fabs(a - b) < 0.0001f;
}

float MathUtil::sawTooth(float t, float low, float high, float period) {
    const float r = t - static_cast<float>(static_cast<int32_t>(t / period)) * period;
    if (r < 0.0f) {
        return low;
    }
    if (r > period) {
        return high;
    }
    return low + r * ((high - low) / period);
}

float MathUtil::distance2d(const glm::vec2& a, const glm::vec2& b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
}

bool MathUtil::insideRect(const glm::vec2& point, float x, float y, float w, float h) {
    return x < point.x && point.x < x + w && y < point.y && point.y < y + h;
}

bool MathUtil::pointInRectangle(const glm::vec2& point, const glm::vec2& centre, const glm::vec2& size) {
    return centre.x - size.x / 2.0f < point.x && point.x < centre.x + size.x / 2.0f &&
           centre.y - size.y / 2.0f < point.y && point.y < centre.y + size.y / 2.0f;
}

bool MathUtil::pointInsideCircle(const glm::vec2& point, const glm::vec2& centre, float radius) {
    return distance2d(point, centre) < radius;
}

bool MathUtil::pointInsideSphere(const glm::vec3& point, const glm::vec3& centre, float radius) {
    return glm::length(point - centre) < radius;
}

namespace {
bool insideOpenInterval(float value, float centre, float halfSize) {
    return centre - halfSize < value && value < centre + halfSize;
}
}  // namespace

bool MathUtil::pointInsideBoxSurface(const glm::vec3& centre, const glm::vec3& size, const glm::vec3& point,
                                     box_axis axis) {
    const glm::vec3 half = size / 2.0f;
    const bool ignoreAll = axis == BOX_AXIS_IGNORE_ALL;
    const bool insideX = ignoreAll || axis == BOX_AXIS_IGNORE_X || insideOpenInterval(point.x, centre.x, half.x);
    const bool insideY = ignoreAll || axis == BOX_AXIS_IGNORE_Y || insideOpenInterval(point.y, centre.y, half.y);
    const bool insideZ = ignoreAll || axis == BOX_AXIS_IGNORE_Z || insideOpenInterval(point.z, centre.z, half.z);
    return insideX && insideY && insideZ;
}

namespace {
// Half extent of a segment along one axis; a segment almost perpendicular to the axis
// still gets a sliver so that a foot point on it passes.
float segmentHalfExtent(float from, float to) {
    const float extent = std::fabs(to - from);
    return extent < 0.1f ? 0.05f : extent / 2.0f;
}
}  // namespace

bool MathUtil::circleIntersectsLineSegment(const glm::vec2& centre, float radius, const glm::vec2& a,
                                           const glm::vec2& b) {
    const glm::vec2 u = (a - b) / glm::length(a - b);
    const float s = glm::dot(centre - b, u);
    const glm::vec2 foot = b + s * u;
    if (glm::length(foot - centre) > radius) {
        return false;
    }
    return insideOpenInterval(foot.x, (a.x + b.x) / 2.0f, segmentHalfExtent(a.x, b.x)) &&
           insideOpenInterval(foot.y, (a.y + b.y) / 2.0f, segmentHalfExtent(a.y, b.y));
}

bool MathUtil::circleIntersectsRectangle(const glm::vec2& centre, float radius, const glm::vec2& rectCentre,
                                         const glm::vec2& rectSize) {
    if (pointInRectangle(centre, rectCentre, rectSize)) {
        return true;
    }
    const float left = rectCentre.x - rectSize.x / 2.0f;
    const float right = rectCentre.x + rectSize.x / 2.0f;
    const float bottom = rectCentre.y - rectSize.y / 2.0f;
    const float top = rectCentre.y + rectSize.y / 2.0f;
    const glm::vec2 edges[4][2] = {
        {{left, top}, {right, top}},
        {{right, top}, {right, bottom}},
        {{right, bottom}, {left, bottom}},
        {{left, bottom}, {left, top}},
    };
    for (const auto& edge : edges) {
        if (circleIntersectsLineSegment(centre, radius, edge[0], edge[1])) {
            return true;
        }
    }
    return false;
}

bool MathUtil::rectangleIntersectsRectangle(const glm::vec2& centre1, const glm::vec2& size1, const glm::vec2& centre2,
                                            const glm::vec2& size2) {
    const float left = centre1.x - size1.x / 2.0f;
    const float right = centre1.x + size1.x / 2.0f;
    const float bottom = centre1.y - size1.y / 2.0f;
    const float top = centre1.y + size1.y / 2.0f;
    const glm::vec2 corners[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    for (const glm::vec2& corner : corners) {
        if (pointInRectangle(corner, centre2, size2)) {
            return true;
        }
    }
    return false;
}

bool MathUtil::rayIntersectsBox(const glm::vec3& boxCentre, const glm::vec3& boxSize, const glm::vec3& origin,
                                const glm::vec3& direction) {
    const glm::vec3 c = boxCentre;
    const glm::vec3 h = boxSize / 2.0f;
    struct Face {
        glm::vec3 normal;
        glm::vec3 point;
        int axisA;  // the two coordinates that must lie inside the face
        int axisB;
    };
    const Face faces[6] = {
        {{0, -1, 0}, {c.x, c.y - h.y, c.z}, 0, 2}, {{0, 1, 0}, {c.x, c.y + h.y, c.z}, 0, 2},
        {{-1, 0, 0}, {c.x - h.x, c.y, c.z}, 1, 2}, {{1, 0, 0}, {c.x + h.x, c.y, c.z}, 1, 2},
        {{0, 0, -1}, {c.x, c.y, c.z - h.z}, 0, 1}, {{0, 0, 1}, {c.x, c.y, c.z + h.z}, 0, 1},
    };
    for (const Face& face : faces) {
        const float t = glm::dot(face.point - origin, face.normal) / glm::dot(direction, face.normal);
        const glm::vec3 hit = origin + t * direction;
        if (insideOpenInterval(hit[face.axisA], c[face.axisA], h[face.axisA]) &&
            insideOpenInterval(hit[face.axisB], c[face.axisB], h[face.axisB])) {
            return true;
        }
    }
    return false;
}

bool MathUtil::boxOutsideView(const glm::mat4& viewProjection, const glm::vec3& low, const glm::vec3& high) {
    glm::vec4 corners[8];
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 corner((i & 1) != 0 ? high.x : low.x, (i & 2) != 0 ? high.y : low.y,
                               (i & 4) != 0 ? high.z : low.z);
        corners[i] = viewProjection * glm::vec4(corner, 1.0f);
    }
    // Clip space: a point is inside when -w <= x, y, z <= w.
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {-1.0f, 1.0f}) {
            bool allOutside = true;
            for (const glm::vec4& corner : corners) {
                allOutside = allOutside && side * corner[axis] > corner.w;
            }
            if (allOutside) {
                return true;
            }
        }
    }
    return false;
}

glm::vec3 get_random_normalized_vector() {
    auto component = []() {
        const uint32_t r = MathUtil::random();
        return static_cast<float>(2.0 * r / 4294967294.0 - 1.0);
    };
    const float x = component();
    const float y = component();
    const float z = component();
    const glm::vec3 v(x, y, z);
    return v * (1.0f / std::sqrt(x * x + y * y + z * z));
}
