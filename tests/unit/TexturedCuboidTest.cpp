#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include "render/TexturedCuboid.h"

namespace {

TexturedCuboid makeBox(glm::vec3 centre, glm::vec3 extent) {
    return TexturedCuboid(centre.x, centre.y, centre.z, extent.x, extent.y, extent.z, "textures/none.png",
                          "shaders/none.vs", "shaders/none.fs");
}

TEST(TexturedCuboid, LineHitsAFaceOnlyStrictlyInsideItsEdges) {
    struct Case {
        const char* name;
        glm::vec3 centre, extent, origin, direction;
        bool hit;
    };
    const Case cases[] = {
        {"along +x from the centre", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {1, 0, 0}, true},
        {"slanted through the +x face", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {1, 0.5f, 0.25f}, true},
        {"through the corners only", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {1, 1, 1}, false},
        {"box wholly behind the origin", {0, 0, 0}, {1, 1, 1}, {5, 0, 0}, {1, 0, 0}, true},
        {"parallel line beside the box", {0, 0, 0}, {1, 1, 1}, {0, 2, 0}, {1, 0, 0}, false},
        {"passes above the box", {0, 0, 0}, {1, 1, 1}, {-5, 0, 3}, {1, 0, 0.1f}, false},
        {"drops onto a wide, flat box", {10, 20, 0}, {30, 20, 2}, {12, 25, 50}, {0, 0, -1}, true},
        {"drops beside the wide box", {10, 20, 0}, {30, 20, 2}, {12, 31, 50}, {0, 0, -1}, false},
        {"grazes the top face edge", {0, 0, 0}, {2, 2, 2}, {-5, 1, 0}, {1, 0, 0}, false},
    };
    for (const Case& c : cases) {
        TexturedCuboid box = makeBox(c.centre, c.extent);
        EXPECT_EQ(box.checkCollision(c.origin, c.direction), c.hit) << c.name;
    }
}

TEST(TexturedCuboid, ScaleAndRotationDoNotMoveTheCollisionBox) {
    TexturedCuboid box = makeBox({0, 0, 0}, {1, 1, 1});
    box.rotationZ = 0.7f;
    box.rotationY = 0.3f;
    EXPECT_TRUE(box.checkCollision({0, 0, 0}, {1, 0.45f, 0}));
    EXPECT_FALSE(box.checkCollision({0, 0.6f, 0}, {1, 0, 0}));
}

TEST(TexturedCuboid, PointInsideLeavesOutTheChosenAxes) {
    struct Case {
        const char* name;
        glm::vec3 point;
        int axis;
        bool inside;
    };
    // Box centred at (1, 2, 3), 2 wide (x), 4 high (y), 6 deep (z).
    const Case cases[] = {
        {"centre", {1, 2, 3}, CUBOID_AXIS_NONE, true},
        {"on the +x face", {2, 2, 3}, CUBOID_AXIS_NONE, false},
        {"just inside the -y face", {1, 0.01f, 3}, CUBOID_AXIS_NONE, true},
        {"outside in z only", {1, 2, 7}, CUBOID_AXIS_NONE, false},
        {"outside in z only, z left out", {1, 2, 7}, CUBOID_AXIS_IGNORE_Z, true},
        {"outside in z only, x left out", {1, 2, 7}, CUBOID_AXIS_IGNORE_X, false},
        {"outside in x only, x left out", {9, 2, 3}, CUBOID_AXIS_IGNORE_X, true},
        {"outside in y only, y left out", {1, -9, 3}, CUBOID_AXIS_IGNORE_Y, true},
        {"outside everywhere, all left out", {90, 90, 90}, CUBOID_AXIS_IGNORE_ALL, true},
        {"unknown value leaves none out", {1, 2, 7}, 9, false},
    };
    const TexturedCuboid box = makeBox({1, 2, 3}, {2, 4, 6});
    for (const Case& c : cases) {
        EXPECT_EQ(box.pointInside(c.point, static_cast<cuboid_axis>(c.axis)), c.inside) << c.name;
    }
}

TEST(TexturedCuboid, WorldMatrixScalesThenTurnsAboutThePivotThenMoves) {
    TexturedCuboid box = makeBox({10, 0, 5}, {2, 4, 6});
    const glm::vec4 corner(0.5f, 0.5f, 0.5f, 1.0f);
    glm::vec3 placed = glm::vec3(box.worldMatrix() * corner);
    EXPECT_NEAR(placed.x, 11.0f, 1e-5f);
    EXPECT_NEAR(placed.y, 2.0f, 1e-5f);
    EXPECT_NEAR(placed.z, 8.0f, 1e-5f);

    // A quarter turn about z takes +x to +y.
    box.rotationZ = 1.5707964f;
    placed = glm::vec3(box.worldMatrix() * corner);
    EXPECT_NEAR(placed.x, 8.0f, 1e-5f);
    EXPECT_NEAR(placed.y, 1.0f, 1e-5f);
    EXPECT_NEAR(placed.z, 8.0f, 1e-5f);
}

}  // namespace
