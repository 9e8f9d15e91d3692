// The water's vertex grid, built without an OpenGL context.
#include <gtest/gtest.h>

#include <glm/glm.hpp>

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

}  // namespace
