#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <set>

#include "render/Icosphere.h"

namespace {

struct Built {
    Icosphere sphere;
    Built(float radius, int subdivisions) : sphere(0, 0, 0, "t.jpg", 0.0f, radius, subdivisions) {
        sphere.buildVerticesSmooth();
    }
    glm::vec3 at(const std::vector<float>& values, unsigned int i) const {
        return glm::vec3(values[i * 3], values[i * 3 + 1], values[i * 3 + 2]);
    }
};

TEST(Icosphere, CountsRadiiNormalsAndWindingForEachSubdivision) {
    struct Case {
        int subdivisions;
        unsigned int vertices, indices;
    };
    const Case cases[] = {{-2, 22, 60},   {0, 22, 60},      {1, 63, 240},     {2, 205, 960},
                          {3, 729, 3840}, {4, 2737, 15360}, {5, 10593, 61440}};
    for (const Case& c : cases) {
        const float radius = 0.1f * static_cast<float>(c.subdivisions + 3);
        const Built built(radius, c.subdivisions);
        const Icosphere& sphere = built.sphere;
        ASSERT_EQ(sphere.getVertexCount(), c.vertices) << c.subdivisions;
        ASSERT_EQ(sphere.getIndexCount(), c.indices) << c.subdivisions;
        ASSERT_EQ(sphere.getInterleavedVertices().size(), c.vertices * 8u);
        for (unsigned int i = 0; i < c.vertices; ++i) {
            const glm::vec3 position = built.at(sphere.getPositions(), i);
            ASSERT_NEAR(glm::length(position), radius, 1e-5f) << c.subdivisions << " vertex " << i;
            ASSERT_LT(glm::length(built.at(sphere.getNormals(), i) - position / radius), 1e-5f) << i;
        }
        const std::vector<unsigned int>& indices = sphere.getIndices();
        for (size_t t = 0; t < indices.size(); t += 3) {
            const glm::vec3 a = built.at(sphere.getPositions(), indices[t]);
            const glm::vec3 b = built.at(sphere.getPositions(), indices[t + 1]);
            const glm::vec3 d = built.at(sphere.getPositions(), indices[t + 2]);
            ASSERT_GT(glm::dot(glm::cross(b - a, d - a), a + b + d), 0.0f) << c.subdivisions << " triangle " << t;
        }
    }
}

TEST(Icosphere, MidpointsInsideTheNetAreSharedAndSeamMidpointsAreNot) {
    const float cellS = 186.0f / 2048.0f;
    const float cellT = 322.0f / 1024.0f;
    const Built built(1.0f, 1);
    struct Case {
        const char* where;
        float s, t;
        int triangles;  // a shared midpoint is a corner of three children of each parent
    };
    // Between net points (2, 1) and (4, 1), inside the net; between (1, 0) and (0, 1), on the cut.
    const Case cases[] = {{"inside", 3 * cellS, cellT, 6}, {"seam", 0.5f * cellS, 0.5f * cellT, 3}};
    for (const Case& c : cases) {
        std::set<unsigned int> matching;
        const std::vector<float>& uv = built.sphere.getTexCoords();
        for (unsigned int i = 0; i < built.sphere.getVertexCount(); ++i) {
            if (std::abs(uv[i * 2] - c.s) < 1e-6f && std::abs(uv[i * 2 + 1] - c.t) < 1e-6f) {
                matching.insert(i);
            }
        }
        int triangles = 0;
        for (unsigned int index : built.sphere.getIndices()) {
            triangles += static_cast<int>(matching.count(index));
        }
        EXPECT_EQ(matching.size(), 1u) << c.where;
        EXPECT_EQ(triangles, c.triangles) << c.where;
    }
}

}  // namespace
