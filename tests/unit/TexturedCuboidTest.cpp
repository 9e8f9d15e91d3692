#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include "render/TexturedCuboid.h"

namespace {

TexturedCuboid makeBox(glm::vec3 centre, glm::vec3 extent) {
    return TexturedCuboid(centre.x, centre.y, centre.z, extent.x, extent.y, extent.z, "t.png", "s.vs", "s.fs");
}

TEST(TexturedCuboid, LineHitsAFaceOnlyStrictlyInsideItsEdges) {
    const struct {
        const char* name;
        glm::vec3 centre, extent, origin, direction;
        bool hit;
    } cases[] = {
        {"slanted through the +x face", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {1, 0.5f, 0.25f}, true},
        {"through the corners only", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {1, 1, 1}, false},
        {"box wholly behind the origin", {0, 0, 0}, {1, 1, 1}, {5, 0, 0}, {1, 0, 0}, true},
        {"parallel line beside the box", {0, 0, 0}, {1, 1, 1}, {0, 2, 0}, {1, 0, 0}, false},
        {"drops onto a wide, flat box", {10, 20, 0}, {30, 20, 2}, {12, 25, 50}, {0, 0, -1}, true},
        {"drops beside the wide box", {10, 20, 0}, {30, 20, 2}, {12, 31, 50}, {0, 0, -1}, false},
        {"grazes the top face edge", {0, 0, 0}, {2, 2, 2}, {-5, 1, 0}, {1, 0, 0}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(makeBox(c.centre, c.extent).checkCollision(c.origin, c.direction), c.hit) << c.name;
    }
}

TEST(TexturedCuboid, PointInsideLeavesOutTheChosenAxes) {
    // Box centred at (1, 2, 3), 2 wide (x), 4 high (y), 6 deep (z).
    const TexturedCuboid box = makeBox({1, 2, 3}, {2, 4, 6});
    const struct {
        glm::vec3 point;
        int axis;
        bool inside;
    } cases[] = {{{1, 2, 3}, CUBOID_AXIS_NONE, true},          {{2, 2, 3}, CUBOID_AXIS_NONE, false},
                 {{1, 2, 7}, CUBOID_AXIS_IGNORE_Z, true},      {{1, 2, 7}, CUBOID_AXIS_IGNORE_X, false},
                 {{9, 2, 3}, CUBOID_AXIS_IGNORE_X, true},      {{1, -9, 3}, CUBOID_AXIS_IGNORE_Y, true},
                 {{90, 90, 90}, CUBOID_AXIS_IGNORE_ALL, true}, {{1, 2, 7}, 9, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(box.pointInside(c.point, static_cast<cuboid_axis>(c.axis)), c.inside)
            << c.point.x << ", " << c.point.y << ", " << c.point.z << " axis " << c.axis;
    }
}

}  // namespace
