// Geometry built without an OpenGL context: the water's vertex grid, the subdivided sphere of
// the shots with its shared and seam vertices, and the frame timing of the animated sprite.
#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <set>
#include <tuple>

#include "render/AnimatedSprite.h"
#include "render/Icosphere.h"
#include "render/Water.h"

namespace {

TEST(Water, GridOfOneUnitCellsWithTwoTextureRepeats) {
    const int cases[][3] = {{28, 784, 4374}, {3, 9, 24}, {1, 1, 0}, {0, 0, 0}, {-4, 0, 0}};  // size, vertices, indices
    for (const auto& c : cases) {
        Water water(c[0], glm::vec3(24.6f, 37.7f, 0.3f), "w.jpg");
        water.buildGrid();
        const std::vector<WaterVertex>& vertices = water.getVertices();
        ASSERT_EQ(vertices.size(), static_cast<size_t>(c[1])) << c[0];
        EXPECT_EQ(water.getIndexCount(), c[2]) << c[0];
        for (size_t i = 0; i < vertices.size(); ++i) {
            // Row i / n, column i % n: x follows the column.
            const glm::vec2 cell(static_cast<float>(i % c[0]), static_cast<float>(i / c[0]));
            EXPECT_EQ(vertices[i].position, glm::vec3(cell, 0.0f));
            EXPECT_FLOAT_EQ(vertices[i].texCoord.x, 2.0f * cell.x / static_cast<float>(c[0]));
        }
    }
}

glm::vec3 at(const std::vector<float>& values, unsigned int i) {
    return glm::vec3(values[i * 3], values[i * 3 + 1], values[i * 3 + 2]);
}

TEST(Icosphere, CountsRadiiAndNormalsForEachSubdivision) {
    // Passes, vertices, indices; no pass below 0.
    const int cases[][3] = {{0, 22, 60},      {1, 63, 240},      {2, 205, 960}, {3, 729, 3840},
                            {4, 2737, 15360}, {5, 10593, 61440}, {-2, 22, 60}};
    for (const auto& c : cases) {
        const int passes = c[0];
        const unsigned int vertices = static_cast<unsigned int>(c[1]);
        const float radius = 0.1f + 0.2f * static_cast<float>(passes + 2);
        Icosphere sphere(0, 0, 0, "t.jpg", 0.0f, radius, passes);
        sphere.buildVerticesSmooth();
        ASSERT_EQ(sphere.getVertexCount(), vertices) << passes;
        ASSERT_EQ(sphere.getIndexCount(), static_cast<unsigned int>(c[2])) << passes;
        for (unsigned int i = 0; i < vertices; ++i) {
            const glm::vec3 position = at(sphere.getPositions(), i);
            ASSERT_NEAR(glm::length(position), radius, 1e-5f) << passes << " vertex " << i;
            ASSERT_LT(glm::length(at(sphere.getNormals(), i) - position / radius), 1e-5f) << passes << " vertex " << i;
        }
    }
}

// After one pass, net points (2, 1) and (4, 1) lie inside the net, so the midpoint of their
// edge is one vertex that the children of both parents use; net points (1, 0) and (0, 1) lie
// on the cut, so their midpoint is a vertex of the one parent beside it. A midpoint is a
// corner of three children of each parent that has it.
TEST(Icosphere, MidpointsInsideTheNetAreSharedAndSeamMidpointsAreNot) {
    Icosphere sphere(0, 0, 0, "t.jpg", 0.0f, 1.0f, 1);
    sphere.buildVerticesSmooth();
    const float cellS = 186.0f / 2048.0f, cellT = 322.0f / 1024.0f;
    // The texture point, how many triangles use it.
    const std::tuple<glm::vec2, int> cases[] = {{{3 * cellS, cellT}, 6}, {{0.5f * cellS, 0.5f * cellT}, 3}};
    for (const auto& [point, triangles] : cases) {
        std::set<unsigned int> matching;
        const std::vector<float>& uv = sphere.getTexCoords();
        for (unsigned int i = 0; i < sphere.getVertexCount(); ++i) {
            if (glm::distance(glm::vec2(uv[i * 2], uv[i * 2 + 1]), point) < 1e-6f) {
                matching.insert(i);
            }
        }
        int used = 0;
        for (unsigned int index : sphere.getIndices()) {
            used += static_cast<int>(matching.count(index));
        }
        EXPECT_EQ(matching.size(), 1u) << triangles;
        EXPECT_EQ(used, triangles);
    }
}

// Frame timing needs no window: a sprite that is not set up counts frames all the same.
TEST(AnimatedSprite, FramesAdvanceOnePerUpdateDroppingTheExcess) {
    AnimatedSprite sprite(0, 0, 64, 64, "sprites/flash.png", 16);
    sprite.activate(0.2f, 1);  // 0.0125 s a frame; a long update drops its excess
    const std::pair<float, int> steps[] = {{0.0125f, 0}, {0.0001f, 1}, {0.01f, 1}, {0.01f, 2}, {1.0f, 3}};
    for (const auto& [dt, frame] : steps) {
        sprite.update(dt);
        EXPECT_EQ(sprite.getCurrentFrame(), frame) << dt;
    }
}

// Each play shows every frame once, from the first; a request while playing is ignored, and
// once the plays are over the sprite plays again.
TEST(AnimatedSprite, EveryPlayShowsEachFrameOnce) {
    const std::pair<int, int> plays[] = {{16, 2}, {10, 3}, {1, 1}};  // frames, plays
    for (const auto& [frameCount, count] : plays) {
        AnimatedSprite played(0, 0, 64, 64, "sprites/flash.png", frameCount);
        played.activate(1.0f, count);
        int shown = 0;
        for (; played.getPlaysLeft() > 0 && shown < 1000; ++shown) {
            played.activate(1.0f, 5);
            played.update(2.0f);
            EXPECT_EQ(played.getCurrentFrame(), (shown + 1) % frameCount) << frameCount << " frames, update " << shown;
        }
        EXPECT_EQ(shown, frameCount * count) << frameCount << " frames";
        played.activate(1.0f, 1);
        EXPECT_EQ(played.getPlaysLeft(), 1) << frameCount << " frames";
    }
}

}  // namespace
