// The vertex data of the small drawables, built without an OpenGL context.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <set>
#include <utility>

#include "render/Circle.h"
#include "render/Model.h"
#include "render/TexturedQuad.h"
#include "render/Water.h"

namespace {

TEST(Water, GridSpansOneUnitPerVertexWithTwoTextureRepeats) {
    Water water(28, glm::vec3(24.6f, 37.7f, 0.3f), "textures/water.jpg");
    water.buildGrid();
    const std::vector<WaterVertex>& vertices = water.getVertices();
    ASSERT_EQ(vertices.size(), 784u);
    EXPECT_EQ(water.getIndexCount(), 4374);
    EXPECT_EQ(vertices.front().position, glm::vec3(0.0f));
    EXPECT_EQ(vertices.back().position, glm::vec3(27.0f, 27.0f, 0.0f));
    EXPECT_FLOAT_EQ(vertices.back().texCoord.x, 2.0f * 27.0f / 28.0f);
    EXPECT_FLOAT_EQ(vertices.back().texCoord.y, 2.0f * 27.0f / 28.0f);
    // Row i, column j is vertex i * n + j: x follows the column.
    EXPECT_EQ(vertices[28 + 3].position, glm::vec3(3.0f, 1.0f, 0.0f));

    for (const WaterVertex& vertex : vertices) {
        EXPECT_TRUE(glm::all(glm::greaterThanEqual(glm::vec2(vertex.drift), glm::vec2(0.0f))));
        EXPECT_TRUE(glm::all(glm::lessThan(glm::vec2(vertex.drift), glm::vec2(0.2f))));
        EXPECT_EQ(vertex.drift.z, 1.0f);
        EXPECT_TRUE(glm::all(glm::greaterThanEqual(vertex.wave, glm::vec2(0.05f, 0.0f))));
        EXPECT_TRUE(glm::all(glm::lessThan(vertex.wave, glm::vec2(0.15f, 10.0f))));
    }
    // Every cell is two triangles of the cell's own corners, wound alike (normal +z).
    const std::vector<unsigned int>& indices = water.getIndices();
    for (size_t t = 0; t < indices.size(); t += 3) {
        const glm::vec3 a = vertices[indices[t]].position;
        const glm::vec3 b = vertices[indices[t + 1]].position;
        const glm::vec3 c = vertices[indices[t + 2]].position;
        EXPECT_EQ(glm::cross(b - a, c - a), glm::vec3(0.0f, 0.0f, -1.0f)) << "triangle " << t / 3;
    }
}

TEST(Water, DrawsSixteenValuesPerVertexAndDegenerateSizesDrawNothing) {
    struct Case {
        int size;
        int draws;
        size_t vertices;
        int indices;
    };
    const Case cases[] = {{3, 16 * 9, 9, 24}, {1, 16, 1, 0}, {0, 0, 0, 0}, {-4, 0, 0, 0}};
    for (const Case& c : cases) {
        Water water(c.size, glm::vec3(0.0f), "textures/water.jpg");
        srand(99);
        water.buildGrid();
        const int next = rand();
        srand(99);
        int draws = 0;
        while (rand() != next && draws < 100000) {
            ++draws;
        }
        EXPECT_EQ(draws, c.draws) << "size " << c.size;
        EXPECT_EQ(water.getVertices().size(), c.vertices) << "size " << c.size;
        EXPECT_EQ(water.getIndexCount(), c.indices) << "size " << c.size;
    }
}

TEST(Circle, VerticesRunOnceRoundTheRingFromPlusX) {
    struct Case {
        float radius;
        int segments;
        int expectedSegments;
    };
    const Case cases[] = {{1.0f, 100, 100}, {25.0f, 7, 7}, {2.0f, 0, 1}, {2.0f, -3, 1}};
    for (const Case& c : cases) {
        const Circle circle(5.0f, 6.0f, 7.0f, c.radius, c.segments);
        ASSERT_EQ(circle.getSegments(), c.expectedSegments);
        const std::vector<float>& v = circle.getVertices();
        ASSERT_EQ(v.size(), static_cast<size_t>(c.expectedSegments) * 3);
        // The centre is not in the vertices: the world matrix moves the ring.
        EXPECT_FLOAT_EQ(v[0], c.radius);
        EXPECT_FLOAT_EQ(v[1], 0.0f);
        std::set<std::pair<float, float>> distinct;
        for (int i = 0; i < c.expectedSegments; ++i) {
            EXPECT_NEAR(std::hypot(v[i * 3], v[i * 3 + 1]), c.radius, c.radius * 1e-6f);
            EXPECT_EQ(v[i * 3 + 2], 0.0f);
            distinct.insert({v[i * 3], v[i * 3 + 1]});
            if (i > 0) {
                // Counter-clockwise seen from +z, by equal steps.
                const float turn = v[(i - 1) * 3] * v[i * 3 + 1] - v[(i - 1) * 3 + 1] * v[i * 3];
                EXPECT_GT(turn, 0.0f);
            }
        }
        EXPECT_EQ(distinct.size(), static_cast<size_t>(c.expectedSegments)) << "the loop repeats no vertex";
    }
}

TEST(TexturedQuad, TexturesRepeatPerTextureSizeAndTheFrameIsFlat) {
    struct Case {
        float width, height, textureSize;
        glm::vec2 uvMax;
    };
    const Case cases[] = {{4, 2, 1, {4, 2}}, {10, 5, 2.5f, {4, 2}}, {1, 1, 4, {0.25f, 0.25f}}};
    for (const Case& c : cases) {
        const TexturedQuad quad(1, 2, 3, c.width, c.height, "d.png", "n.png", "v.vs", "f.fs", c.textureSize);
        const float* v = quad.getVertexData();
        glm::vec2 uvMax(0.0f);
        for (int i = 0; i < TexturedQuad::kVertexCount; ++i) {
            const float* vertex = v + i * TexturedQuad::kFloatsPerVertex;
            EXPECT_FLOAT_EQ(std::fabs(vertex[0]), c.width / 2);
            EXPECT_FLOAT_EQ(std::fabs(vertex[1]), c.height / 2);
            EXPECT_EQ(glm::vec3(vertex[3], vertex[4], vertex[5]), glm::vec3(0, 0, 1));
            uvMax = glm::max(uvMax, glm::vec2(vertex[6], vertex[7]));
            EXPECT_NEAR(glm::distance(glm::vec3(vertex[8], vertex[9], vertex[10]), glm::vec3(1, 0, 0)), 0.0f, 1e-6f);
            EXPECT_NEAR(glm::distance(glm::vec3(vertex[11], vertex[12], vertex[13]), glm::vec3(0, 1, 0)), 0.0f, 1e-6f);
        }
        EXPECT_EQ(uvMax, c.uvMax);
        // Both triangles wind counter-clockwise seen from +z.
        const unsigned int* indices = quad.getIndexData();
        for (int t = 0; t < TexturedQuad::kIndexCount; t += 3) {
            const glm::vec3 a = glm::make_vec3(v + indices[t] * TexturedQuad::kFloatsPerVertex);
            const glm::vec3 b = glm::make_vec3(v + indices[t + 1] * TexturedQuad::kFloatsPerVertex);
            const glm::vec3 cc = glm::make_vec3(v + indices[t + 2] * TexturedQuad::kFloatsPerVertex);
            EXPECT_GT(glm::cross(b - a, cc - a).z, 0.0f);
        }
    }
}

TEST(Model, BasePathIsEverythingBeforeTheLastSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"models/planets/planets.obj", "models/planets"},
        {"models\\ufo1\\Low_poly_UFO.obj", "models\\ufo1"},
        {"models/mixed\\deep/file.obj", "models/mixed\\deep"},
        {"crystal.obj", "crystal.obj"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Model::getBasePath(c.first), c.second) << c.first;
    }
}

}  // namespace
