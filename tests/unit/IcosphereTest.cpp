#include <gtest/gtest.h>

#include <algorithm>
#include <glm/glm.hpp>
#include <memory>
#include <set>

#include "render/Icosphere.h"

namespace {

std::unique_ptr<Icosphere> buildSphere(float radius, int subdivisions) {
    auto sphere = std::make_unique<Icosphere>(0.0f, 0.0f, 0.0f, "textures/sunmap.jpg", 0.0f, radius, subdivisions);
    sphere->buildVerticesSmooth();
    return sphere;
}

glm::vec3 positionAt(const Icosphere& sphere, unsigned int index) {
    const std::vector<float>& p = sphere.getPositions();
    return glm::vec3(p[index * 3], p[index * 3 + 1], p[index * 3 + 2]);
}

TEST(Icosphere, CountsGrowWithEachSubdivisionPass) {
    struct Case {
        int subdivisions;
        unsigned int vertices;
        unsigned int indices;
    };
    const Case cases[] = {{-2, 22, 60},   {0, 22, 60},      {1, 63, 240},     {2, 205, 960},
                          {3, 729, 3840}, {4, 2737, 15360}, {5, 10593, 61440}};
    for (const Case& c : cases) {
        const std::unique_ptr<Icosphere> owned = buildSphere(1.0f, c.subdivisions);
        const Icosphere& sphere = *owned;
        EXPECT_EQ(sphere.getVertexCount(), c.vertices) << c.subdivisions << " passes";
        EXPECT_EQ(sphere.getIndexCount(), c.indices) << c.subdivisions << " passes";
        EXPECT_EQ(sphere.getInterleavedVertices().size(), c.vertices * 8u);
    }
}

TEST(Icosphere, EveryVertexLiesOnTheSphereWithItsOwnDirectionAsNormal) {
    const float radius = 0.1f;
    const std::unique_ptr<Icosphere> owned = buildSphere(radius, 3);
    const Icosphere& sphere = *owned;
    const std::vector<float>& normals = sphere.getNormals();
    const std::vector<float>& uv = sphere.getTexCoords();
    for (unsigned int i = 0; i < sphere.getVertexCount(); ++i) {
        const glm::vec3 position = positionAt(sphere, i);
        ASSERT_NEAR(glm::length(position), radius, 1e-6f) << "vertex " << i;
        const glm::vec3 normal(normals[i * 3], normals[i * 3 + 1], normals[i * 3 + 2]);
        ASSERT_LT(glm::length(normal - position / radius), 1e-5f) << "vertex " << i;
        // The net spans 11 cells across and 3 down.
        ASSERT_GE(uv[i * 2], 0.0f);
        ASSERT_LE(uv[i * 2], 0.9990235f);
        ASSERT_GE(uv[i * 2 + 1], 0.0f);
        ASSERT_LE(uv[i * 2 + 1], 0.9433594f);
    }
}

TEST(Icosphere, TrianglesFaceOutwardAndIndexExistingVertices) {
    for (int passes : {0, 2}) {
        const std::unique_ptr<Icosphere> owned = buildSphere(2.0f, passes);
        const Icosphere& sphere = *owned;
        const std::vector<unsigned int>& indices = sphere.getIndices();
        for (size_t t = 0; t < indices.size(); t += 3) {
            ASSERT_LT(std::max({indices[t], indices[t + 1], indices[t + 2]}), sphere.getVertexCount());
            const glm::vec3 a = positionAt(sphere, indices[t]);
            const glm::vec3 b = positionAt(sphere, indices[t + 1]);
            const glm::vec3 c = positionAt(sphere, indices[t + 2]);
            EXPECT_GT(glm::dot(glm::cross(b - a, c - a), a + b + c), 0.0f) << "triangle " << t / 3;
        }
    }
}

// How many triangles use the vertex whose texture coordinate is (s, t), and how many such
// vertices there are.
struct Usage {
    int vertices = 0;
    int triangles = 0;
};
Usage usageOf(const Icosphere& sphere, float s, float t) {
    Usage usage;
    std::set<unsigned int> matching;
    const std::vector<float>& uv = sphere.getTexCoords();
    for (unsigned int i = 0; i < sphere.getVertexCount(); ++i) {
        if (std::abs(uv[i * 2] - s) < 1e-6f && std::abs(uv[i * 2 + 1] - t) < 1e-6f) {
            matching.insert(i);
        }
    }
    usage.vertices = static_cast<int>(matching.size());
    for (unsigned int index : sphere.getIndices()) {
        usage.triangles += matching.count(index) > 0 ? 1 : 0;
    }
    return usage;
}

TEST(Icosphere, MidpointsInsideTheNetAreSharedAndSeamMidpointsAreNot) {
    const float cellS = 186.0f / 2048.0f;
    const float cellT = 322.0f / 1024.0f;
    const std::unique_ptr<Icosphere> owned = buildSphere(1.0f, 1);
    const Icosphere& sphere = *owned;
    // Between base vertices 14 and 15, net points (2, 1) and (4, 1): inside the net.
    const Usage inner = usageOf(sphere, 3 * cellS, 1 * cellT);
    EXPECT_EQ(inner.vertices, 1);
    // A midpoint is a corner of three children of each triangle that made it.
    EXPECT_EQ(inner.triangles, 6);
    // Between base vertices 0 and 10, net points (1, 0) and (0, 1): on the cut edge.
    const Usage seam = usageOf(sphere, 0.5f * cellS, 0.5f * cellT);
    EXPECT_EQ(seam.vertices, 1);
    EXPECT_EQ(seam.triangles, 3);
}

}  // namespace
