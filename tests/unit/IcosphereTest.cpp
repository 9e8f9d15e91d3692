#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include "render/Icosphere.h"

namespace {

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

}  // namespace
