// The water's vertex grid, built without an OpenGL context.
#include <gtest/gtest.h>

#include <glm/glm.hpp>

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

}  // namespace
