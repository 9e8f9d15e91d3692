// The box's line and point tests: the sky box never asks them, but they answer for any box
// from its centre and unscaled extents alone, with their borders outside. Its world matrix.
#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <tuple>

#include "render/TexturedCuboid.h"

namespace {

TexturedCuboid makeBox(glm::vec3 centre, glm::vec3 extent) {
    return TexturedCuboid(centre.x, centre.y, centre.z, extent.x, extent.y, extent.z, "t.png", "s.vs", "s.fs");
}

TEST(TexturedCuboid, LineHitsAFaceOnlyStrictlyInsideItsEdges) {
    // What, the box's centre and extents, the line's origin and direction, hit.
    const std::tuple<const char*, glm::vec3, glm::vec3, glm::vec3, glm::vec3, bool> cases[] = {
        {"straight through the +x face", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {1, 0, 0}, true},
        {"slanted through the +x face", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {1, 0.5f, 0.25f}, true},
        {"through the corners only", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {1, 1, 1}, false},
        {"box wholly behind the origin", {0, 0, 0}, {1, 1, 1}, {5, 0, 0}, {1, 0, 0}, true},
        {"parallel line beside the box", {0, 0, 0}, {1, 1, 1}, {0, 2, 0}, {1, 0, 0}, false},
        {"passes above the box", {0, 0, 0}, {1, 1, 1}, {-5, 0, 3}, {1, 0, 0.1f}, false},
        {"drops onto a wide, flat box", {10, 20, 0}, {30, 20, 2}, {12, 25, 50}, {0, 0, -1}, true},
        {"drops beside the wide box", {10, 20, 0}, {30, 20, 2}, {12, 31, 50}, {0, 0, -1}, false},
        {"grazes the top face edge", {0, 0, 0}, {2, 2, 2}, {-5, 1, 0}, {1, 0, 0}, false},
    };
    for (const auto& [what, centre, extent, origin, direction, hit] : cases) {
        EXPECT_EQ(makeBox(centre, extent).checkCollision(origin, direction), hit) << what;
    }
    // Only the centre and the extents count: the box turned an eighth about z reaches x = 0.7,
    // but the line is tested against the box as it stands unturned.
    TexturedCuboid turned = makeBox({0, 0, 0}, {1, 1, 1});
    turned.rotationZ = 0.7853982f;
    EXPECT_FALSE(turned.checkCollision({0.6f, -5, 0}, {0, 1, 0}));
}

TEST(TexturedCuboid, PointInsideLeavesOutTheChosenAxes) {
    // Box centred at (1, 2, 3), 2 wide (x), 4 high (y), 6 deep (z).
    const TexturedCuboid box = makeBox({1, 2, 3}, {2, 4, 6});
    const std::tuple<glm::vec3, int, bool> cases[] = {
        {{1, 2, 3}, CUBOID_AXIS_NONE, true},
        {{2, 2, 3}, CUBOID_AXIS_NONE, false},     // on the +x face
        {{1, 0.01f, 3}, CUBOID_AXIS_NONE, true},  // just inside the -y face
        {{1, 2, 7}, CUBOID_AXIS_IGNORE_Z, true},
        {{1, 2, 7}, CUBOID_AXIS_IGNORE_X, false},
        {{9, 2, 3}, CUBOID_AXIS_IGNORE_X, true},
        {{1, -9, 3}, CUBOID_AXIS_IGNORE_Y, true},
        {{1, 4, 3}, CUBOID_AXIS_IGNORE_X, false},
        {{90, 90, 90}, CUBOID_AXIS_IGNORE_ALL, true},
        {{1, 2, 7}, 9, false}};  // an unknown value leaves no axis out
    for (const auto& [point, axis, inside] : cases) {
        EXPECT_EQ(box.pointInside(point, static_cast<cuboid_axis>(axis)), inside)
            << point.x << ", " << point.y << ", " << point.z << " axis " << axis;
    }
}

// The draw scales the unit box to its extents, turns it about its centre and moves it there:
// a quarter turn about z takes the corner on +x to +y.
TEST(TexturedCuboid, WorldMatrixScalesThenTurnsThenMoves) {
    TexturedCuboid box = makeBox({10, 0, 5}, {2, 4, 6});
    const glm::vec4 corner(0.5f, 0.5f, 0.5f, 1.0f);
    const std::tuple<float, glm::vec3> cases[] = {{0.0f, {11, 2, 8}}, {1.5707964f, {8, 1, 8}}};
    for (const auto& [turn, placed] : cases) {
        box.rotationZ = turn;
        EXPECT_LT(glm::distance(glm::vec3(box.worldMatrix() * corner), placed), 1e-5f) << turn;
    }
}

}  // namespace
