// The vertex data of the water and the orbit ring, built without an OpenGL context.
#include <gtest/gtest.h>

#include <cmath>
#include <glm/glm.hpp>

#include "render/Circle.h"
#include "render/Water.h"

namespace {

TEST(Water, GridOfOneUnitCellsTwoTextureRepeatsAndTwoTrianglesEach) {
    struct Case {
        int size;
        size_t vertices;
        int indices;
    };
    const Case cases[] = {{28, 784, 4374}, {3, 9, 24}, {1, 1, 0}, {0, 0, 0}, {-4, 0, 0}};
    for (const Case& c : cases) {
        Water water(c.size, glm::vec3(24.6f, 37.7f, 0.3f), "w.jpg");
        water.buildGrid();
        const std::vector<WaterVertex>& vertices = water.getVertices();
        ASSERT_EQ(vertices.size(), c.vertices) << c.size;
        EXPECT_EQ(water.getIndexCount(), c.indices) << c.size;
        for (size_t i = 0; i < vertices.size(); ++i) {
            // Row i / n, column i % n: x follows the column.
            const glm::vec2 cell(static_cast<float>(i % c.size), static_cast<float>(i / c.size));
            EXPECT_EQ(vertices[i].position, glm::vec3(cell, 0.0f));
            EXPECT_FLOAT_EQ(vertices[i].texCoord.x, 2.0f * cell.x / static_cast<float>(c.size));
        }
        const std::vector<unsigned int>& indices = water.getIndices();
        for (size_t t = 0; t < indices.size(); t += 3) {
            const glm::vec3 a = vertices[indices[t]].position;
            const glm::vec3 b = vertices[indices[t + 1]].position;
            const glm::vec3 d = vertices[indices[t + 2]].position;
            EXPECT_EQ(glm::cross(b - a, d - a), glm::vec3(0.0f, 0.0f, -1.0f)) << "triangle " << t / 3;
        }
    }
}

TEST(Circle, VerticesRunOnceRoundTheRingFromPlusX) {
    const int cases[][2] = {{100, 100}, {7, 7}, {0, 1}, {-3, 1}};  // asked, made
    for (const auto& c : cases) {
        const Circle circle(5.0f, 6.0f, 7.0f, 2.0f, c[0]);
        ASSERT_EQ(circle.getSegments(), c[1]);
        const std::vector<float>& v = circle.getVertices();
        ASSERT_EQ(v.size(), static_cast<size_t>(c[1]) * 3);
        for (int i = 0; i < c[1]; ++i) {
            const float angle = 2.0f * 3.14159265f * static_cast<float>(i) / static_cast<float>(c[1]);
            EXPECT_NEAR(v[i * 3], 2.0f * std::cos(angle), 1e-4f) << c[0] << " segment " << i;
            EXPECT_NEAR(v[i * 3 + 1], 2.0f * std::sin(angle), 1e-4f) << c[0] << " segment " << i;
            EXPECT_EQ(v[i * 3 + 2], 0.0f);
        }
    }
}

}  // namespace
