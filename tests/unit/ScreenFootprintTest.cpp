// Where a small sphere's triangles can land on the screen: the footprint must never leave out
// a pixel centre that the exact projection of a triangle covers, and must leave out most of
// those that it does not, or it saves nothing.
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <random>

#include "render/ScreenFootprint.h"

namespace {

struct Scene {
    const char* what;
    glm::vec3 eye, centre;
    glm::ivec4 viewport;
    bool prunes;  // a close shot is seen through too coarse a footprint to leave much out
};

// The exact window position of a point, as a renderer without rounding would have it.
glm::dvec2 projected(const glm::dmat4& objectToClip, const glm::ivec4& viewport, const glm::vec3& point) {
    const glm::dvec4 clip = objectToClip * glm::dvec4(glm::dvec3(point), 1.0);
    return glm::dvec2(viewport.x, viewport.y) +
           (glm::dvec2(clip.x, clip.y) / clip.w + 1.0) * 0.5 * glm::dvec2(viewport[2], viewport[3]);
}

bool inside(const glm::dvec2& p, const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c) {
    const auto side = [&](const glm::dvec2& from, const glm::dvec2& to) {
        return (to.x - from.x) * (p.y - from.y) - (to.y - from.y) * (p.x - from.x);
    };
    const double ab = side(a, b), bc = side(b, c), ca = side(c, a);
    return (ab >= 0 && bc >= 0 && ca >= 0) || (ab <= 0 && bc <= 0 && ca <= 0);
}

TEST(ScreenFootprint, NoCoveredSampleIsLeftOutAndMostUncoveredOnesAre) {
    // Shots near and far, at the edge of the view, far from the origin, and in a cell of a
    // window whose viewport does not start at the corner.
    const Scene scenes[] = {
        {"ahead", {0, 0, 2}, {12, 0.5f, 2.2f}, {0, 0, 1280, 720}, true},
        {"close", {0, 0, 2}, {0.6f, 0.1f, 2.0f}, {0, 0, 1280, 720}, false},
        {"far", {0, 0, 2}, {150, -30, 8}, {0, 0, 1280, 720}, true},
        {"at the edge", {0, 0, 2}, {10, 17.5f, 2}, {0, 0, 1280, 720}, true},
        {"far out", {2400, -1800, 3}, {2410, -1805, 3.5f}, {0, 0, 1280, 720}, true},
        {"in a cell", {0, 0, 2}, {5, 0.3f, 2.1f}, {640, 0, 640, 720}, true},
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (const Scene& scene : scenes) {
        const glm::ivec4& viewport = scene.viewport;
        const glm::dmat4 objectToClip =
            glm::dmat4(glm::perspectiveRH(1.5707964f, float(viewport[2]) / float(viewport[3]), 0.01f, 400.0f)) *
            glm::dmat4(glm::lookAtRH(scene.eye, scene.centre, glm::vec3(0, 0, 1))) *
            glm::translate(glm::dmat4(1.0), glm::dvec3(scene.centre));
        const ScreenFootprint footprint(objectToClip, viewport, glm::vec3(0.0f), 0.1f, 0.0, 0.0);
        int covering = 0, leftOut = 0;
        for (int triangle = 0; triangle < 3000; ++triangle) {
            // A small triangle somewhere on a sphere of radius 0.1, of about a shot's size.
            const glm::vec3 middle = 0.097f * glm::normalize(glm::vec3(unit(random), unit(random), unit(random)));
            const float size = 0.004f * std::abs(unit(random)) + 0.0005f;
            const glm::vec3 a = middle + size * glm::vec3(unit(random), unit(random), unit(random));
            const glm::vec3 b = middle + size * glm::vec3(unit(random), unit(random), unit(random));
            const glm::vec3 c = middle + size * glm::vec3(unit(random), unit(random), unit(random));
            const glm::dvec2 pa = projected(objectToClip, viewport, a), pb = projected(objectToClip, viewport, b),
                             pc = projected(objectToClip, viewport, c);
            std::vector<glm::dvec2> covered;
            const glm::ivec2 low(glm::floor(glm::min(glm::min(pa, pb), pc)) - 1.0);
            const glm::ivec2 high(glm::ceil(glm::max(glm::max(pa, pb), pc)) + 1.0);
            for (int y = std::max(low.y, viewport.y); y <= std::min(high.y, viewport.y + viewport[3] - 1); ++y) {
                for (int x = std::max(low.x, viewport.x); x <= std::min(high.x, viewport.x + viewport[2] - 1); ++x) {
                    if (inside(glm::dvec2(x + 0.5, y + 0.5), pa, pb, pc)) {
                        covered.emplace_back(x + 0.5, y + 0.5);
                    }
                }
            }
            SampleSet near{};
            const int across = footprint.narrow(footprint.place(a), footprint.place(b), footprint.place(c), 0.0f,
                                                SampleSet::box(viewport), &near);
            covering += covered.empty() ? 0 : 1;
            leftOut += across == 0 ? 1 : 0;
            EXPECT_TRUE(covered.empty() || across > 0) << scene.what << " triangle " << triangle;
            for (const glm::dvec2& sample : covered) {
                const bool listed = std::any_of(near.samples, near.samples + std::max(near.listed, 0),
                                                [&](const glm::dvec2& s) { return s == sample; });
                EXPECT_TRUE(near.listed < 0 || listed) << scene.what << " triangle " << triangle;
            }
        }
        // Most of these triangles cover no sample, and most of those are found out.
        EXPECT_TRUE(!scene.prunes || leftOut > (3000 - covering) / 2) << scene.what << " " << leftOut;
    }
}

TEST(ScreenFootprint, ThicknessAndRoundingWidenTheReachAndTheEyesPlaneEndsIt) {
    const glm::ivec4 viewport(0, 0, 1280, 720);
    const glm::dmat4 objectToClip =
        glm::dmat4(glm::perspectiveRH(1.5707964f, 1280.0f / 720.0f, 0.01f, 400.0f)) *
        glm::dmat4(glm::lookAtRH(glm::vec3(0, 0, 0), glm::vec3(1, 0, 0), glm::vec3(0, 0, 1)));
    // At 12 units, 30 pixels per unit: a triangle a tenth of a pixel left of the middle
    // sample of a pixel (640.5, 360.5), the one below it a hundredth to the left.
    const double perPixel = 12.0 / 360.0;
    const auto at = [&](double x, double y) {
        return glm::vec3(12.0f, float(-(x - 640.0) * perPixel), float((y - 360.0) * perPixel));
    };
    const glm::vec3 a = at(640.30, 360.40), b = at(640.40, 360.40), c = at(640.40, 360.60);
    // How far off the sample lies from the triangle, and what widens the reach: thickness in
    // object units, rounding in object units, margin in pixels.
    const std::tuple<double, float, double, double, bool> cases[] = {
        {0.10, 0.0f, 0.0, 0.0, false},
        {0.10, float(0.12 * perPixel), 0.0, 0.0, true},
        {0.10, 0.0f, 0.12 * perPixel, 0.0, true},
        {0.10, 0.0f, 0.0, 0.12, true},
        {0.10, 0.0f, 0.0, 0.05, false},
    };
    for (const auto& [off, thickness, rounding, margin, reaches] : cases) {
        const ScreenFootprint footprint(objectToClip, viewport, at(640.4, 360.5), 0.01, rounding, margin);
        SampleSet near{};
        EXPECT_EQ(footprint.narrow(footprint.place(a), footprint.place(b), footprint.place(c), thickness,
                                   SampleSet::box(viewport), &near) > 0,
                  reaches)
            << off << " " << thickness << " " << rounding << " " << margin;
    }
    // A region that reaches the eye's plane is not narrowed down at all.
    const ScreenFootprint aroundTheEye(objectToClip, viewport, glm::vec3(0.05f, 0, 0), 0.1, 0.0, 0.0);
    SampleSet near{};
    EXPECT_EQ(
        aroundTheEye.narrow(glm::dvec2(0.0), glm::dvec2(0.0), glm::dvec2(0.0), 0.0f, SampleSet::box(viewport), &near),
        ScreenFootprint::kUnbounded);
    EXPECT_TRUE(near.listed < 0 && near.size == glm::ivec2(1280, 720));
}

}  // namespace
