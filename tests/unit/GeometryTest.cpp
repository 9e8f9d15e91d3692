// Geometry built without an OpenGL context: the water's vertex grid, the orbit ring, the
// normal-mapped quad, the subdivided sphere of the shots with its shared and seam vertices, and
// the frame timing of the animated sprite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <set>
#include <tuple>
#include <utility>

#include "render/AnimatedSprite.h"
#include "render/Circle.h"
#include "render/Icosphere.h"
#include "render/Model.h"
#include "render/TexturedQuad.h"
#include "render/Water.h"

namespace {

// The water's draws are part of a level's seeded world: four random values a vertex, each of
// four rand() values, and none for a size with no vertex.
int randDrawsOf(Water& water) {
    srand(99);
    water.buildGrid();
    const int next = rand();
    srand(99);
    int draws = 0;
    while (rand() != next && draws < 100000) {
        ++draws;
    }
    return draws;
}

TEST(Water, GridOfOneUnitCellsTwoTextureRepeatsAndTwoTrianglesEach) {
    const int cases[][3] = {{28, 784, 4374}, {3, 9, 24}, {1, 1, 0}, {0, 0, 0}, {-4, 0, 0}};  // size, vertices, indices
    for (const auto& c : cases) {
        Water water(c[0], glm::vec3(24.6f, 37.7f, 0.3f), "w.jpg");
        EXPECT_EQ(randDrawsOf(water), 16 * c[1]) << c[0];
        const std::vector<WaterVertex>& vertices = water.getVertices();
        ASSERT_EQ(vertices.size(), static_cast<size_t>(c[1])) << c[0];
        EXPECT_EQ(water.getIndexCount(), c[2]) << c[0];
        for (size_t i = 0; i < vertices.size(); ++i) {
            // Row i / n, column i % n: x follows the column.
            const glm::vec2 cell(static_cast<float>(i % c[0]), static_cast<float>(i / c[0]));
            const WaterVertex& vertex = vertices[i];
            EXPECT_EQ(vertex.position, glm::vec3(cell, 0.0f));
            EXPECT_EQ(vertex.texCoord, 2.0f * cell / static_cast<float>(c[0]));
            EXPECT_TRUE(vertex.drift.x >= 0.0f && vertex.drift.x < 0.2f && vertex.drift.y >= 0.0f &&
                        vertex.drift.y < 0.2f && vertex.drift.z == 1.0f)
                << c[0] << " vertex " << i;
            EXPECT_TRUE(vertex.wave.x >= 0.05f && vertex.wave.x < 0.15f && vertex.wave.y >= 0.0f &&
                        vertex.wave.y < 10.0f)
                << c[0] << " vertex " << i;
        }
        // Every cell is two triangles of its own corners, wound alike.
        const std::vector<unsigned int>& indices = water.getIndices();
        for (size_t t = 0; t < indices.size(); t += 3) {
            const glm::vec3 a = vertices[indices[t]].position;
            const glm::vec3 b = vertices[indices[t + 1]].position;
            const glm::vec3 d = vertices[indices[t + 2]].position;
            EXPECT_EQ(glm::cross(b - a, d - a), glm::vec3(0, 0, -1)) << c[0] << " triangle " << t / 3;
        }
    }
}

// The orbit ring: its vertices run once round from +x, counter-clockwise by equal steps, with
// the centre left to the world matrix; a ring asked for no segment still has one vertex.
TEST(Circle, VerticesRunOnceRoundTheRingFromPlusX) {
    const std::tuple<float, int, int> cases[] = {{1.0f, 100, 100}, {25.0f, 7, 7}, {2.0f, 0, 1}, {2.0f, -3, 1}};
    for (const auto& [radius, asked, made] : cases) {
        const Circle circle(5.0f, 6.0f, 7.0f, radius, asked);
        ASSERT_EQ(circle.getSegments(), made) << asked;
        const std::vector<float>& v = circle.getVertices();
        ASSERT_EQ(v.size(), static_cast<size_t>(made) * 3) << asked;
        for (int i = 0; i < made; ++i) {
            const float angle = 6.2831853f * static_cast<float>(i) / static_cast<float>(made);
            EXPECT_NEAR(v[i * 3], radius * std::cos(angle), radius * 1e-5f) << asked << " segment " << i;
            EXPECT_NEAR(v[i * 3 + 1], radius * std::sin(angle), radius * 1e-5f) << asked << " segment " << i;
            EXPECT_EQ(v[i * 3 + 2], 0.0f);
        }
    }
}

// The normal-mapped quad lies flat on its centre, its texture repeating once per texture size,
// with tangent +x and bitangent +y everywhere and both triangles facing +z.
TEST(TexturedQuad, TexturesRepeatPerTextureSizeAndTheFrameIsFlat) {
    const std::tuple<glm::vec3, glm::vec2> cases[] = {
        {{4, 2, 1}, {4, 2}}, {{10, 5, 2.5f}, {4, 2}}, {{1, 1, 4}, {0.25f, 0.25f}}};
    for (const auto& [size, uvMost] : cases) {  // width, height, texture size
        const TexturedQuad quad(1, 2, 3, size.x, size.y, "d.png", "n.png", "v.vs", "f.fs", size.z);
        const float* v = quad.getVertexData();
        glm::vec2 uvMax(0.0f);
        for (int i = 0; i < TexturedQuad::kVertexCount; ++i) {
            const float* vertex = v + i * TexturedQuad::kFloatsPerVertex;
            EXPECT_EQ(glm::abs(glm::make_vec3(vertex)), glm::vec3(size.x / 2, size.y / 2, 0))
                << size.x << " corner " << i;
            EXPECT_EQ(glm::make_vec3(vertex + 3), glm::vec3(0, 0, 1));
            uvMax = glm::max(uvMax, glm::make_vec2(vertex + 6));
            EXPECT_LT(glm::distance(glm::make_vec3(vertex + 8), glm::vec3(1, 0, 0)), 1e-6f)
                << size.x << " corner " << i;
            EXPECT_LT(glm::distance(glm::make_vec3(vertex + 11), glm::vec3(0, 1, 0)), 1e-6f)
                << size.x << " corner " << i;
        }
        EXPECT_EQ(uvMax, uvMost) << size.x;
        const unsigned int* indices = quad.getIndexData();
        for (int t = 0; t < TexturedQuad::kIndexCount; t += 3) {
            const glm::vec3 a = glm::make_vec3(v + indices[t] * TexturedQuad::kFloatsPerVertex);
            const glm::vec3 b = glm::make_vec3(v + indices[t + 1] * TexturedQuad::kFloatsPerVertex);
            const glm::vec3 d = glm::make_vec3(v + indices[t + 2] * TexturedQuad::kFloatsPerVertex);
            EXPECT_GT(glm::cross(b - a, d - a).z, 0.0f) << size.x << " triangle " << t / 3;
        }
    }
}

// The importer looks beside the model file, whichever separator its path uses.
TEST(Model, BasePathIsEverythingBeforeTheLastSeparator) {
    const std::pair<const char*, const char*> cases[] = {{"models/planets/planets.obj", "models/planets"},
                                                         {"models\\ufo1\\Low_poly_UFO.obj", "models\\ufo1"},
                                                         {"models/mixed\\deep/file.obj", "models/mixed\\deep"}};
    for (const auto& [path, base] : cases) {
        EXPECT_EQ(Model::getBasePath(path), base) << path;
    }
}

glm::vec3 at(const std::vector<float>& values, unsigned int i) {
    return glm::vec3(values[i * 3], values[i * 3 + 1], values[i * 3 + 2]);
}

// Every vertex lies on the sphere with its own direction as normal and its texture point
// within the net (11 cells across, 3 down); every triangle uses existing vertices and faces
// outward, which is what leaving out the triangles that face away from the eye relies on.
TEST(Icosphere, CountsRadiiNormalsNetAndWindingForEachSubdivision) {
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
            const float s = sphere.getTexCoords()[i * 2], t = sphere.getTexCoords()[i * 2 + 1];
            ASSERT_TRUE(s >= 0.0f && s <= 0.9990235f && t >= 0.0f && t <= 0.9433594f) << passes << " vertex " << i;
        }
        const std::vector<unsigned int>& indices = sphere.getIndices();
        for (size_t t = 0; t < indices.size(); t += 3) {
            ASSERT_LT(std::max({indices[t], indices[t + 1], indices[t + 2]}), vertices)
                << passes << " triangle " << t / 3;
            const glm::vec3 a = at(sphere.getPositions(), indices[t]);
            const glm::vec3 b = at(sphere.getPositions(), indices[t + 1]);
            const glm::vec3 d = at(sphere.getPositions(), indices[t + 2]);
            ASSERT_GT(glm::dot(glm::cross(b - a, d - a), a + b + d), 0.0f) << passes << " triangle " << t / 3;
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
