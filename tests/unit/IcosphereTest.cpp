#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <set>

#include "render/Icosphere.h"

namespace {

glm::vec3 at(const std::vector<float>& values, unsigned int i) {
    return glm::vec3(values[i * 3], values[i * 3 + 1], values[i * 3 + 2]);
}

TEST(Icosphere, CountsRadiiAndNormalsForEachSubdivision) {
    // Passes, vertices, indices; no pass below 0.
    const int cases[][3] = {{0, 22, 60},   {1, 63, 240},     {2, 205, 960},     {3, 729, 3840},
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

TEST(Icosphere, MidpointsInsideTheNetAreSharedAndSeamMidpointsAreNot) {
    Icosphere sphere(0, 0, 0, "t.jpg", 0.0f, 1.0f, 1);
    sphere.buildVerticesSmooth();
    const float cellS = 186.0f / 2048.0f;
    const float cellT = 322.0f / 1024.0f;
    // Texture points between net points (2, 1) and (4, 1), inside the net, and between (1, 0)
    // and (0, 1), on the cut; a shared midpoint is a corner of three children of each parent.
    const float cases[][3] = {{3 * cellS, cellT, 6}, {0.5f * cellS, 0.5f * cellT, 3}};
    for (const auto& c : cases) {
        std::set<unsigned int> matching;
        const std::vector<float>& uv = sphere.getTexCoords();
        for (unsigned int i = 0; i < sphere.getVertexCount(); ++i) {
            if (std::abs(uv[i * 2] - c[0]) < 1e-6f && std::abs(uv[i * 2 + 1] - c[1]) < 1e-6f) {
                matching.insert(i);
            }
        }
        int triangles = 0;
        for (unsigned int index : sphere.getIndices()) {
            triangles += static_cast<int>(matching.count(index));
        }
        EXPECT_EQ(matching.size(), 1u) << c[2];
        EXPECT_EQ(triangles, static_cast<int>(c[2]));
    }
}

}  // namespace
