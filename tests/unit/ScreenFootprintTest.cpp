// Where a small sphere's triangles can land on the screen: the footprint must never leave out
// a pixel centre that the exact projection of a triangle covers, and must leave out most of
// those that it does not, or it saves nothing. Where it says the near side hides the far
// side, the two must lie apart in depth at every sample it names.
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

glm::dmat4 objectToClipOf(const Scene& scene) {
    const glm::ivec4& viewport = scene.viewport;
    return glm::dmat4(glm::perspectiveRH(1.5707964f, float(viewport[2]) / float(viewport[3]), 0.01f, 400.0f)) *
           glm::dmat4(glm::lookAtRH(scene.eye, scene.centre, glm::vec3(0, 0, 1))) *
           glm::translate(glm::dmat4(1.0), glm::dvec3(scene.centre));
}

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

// Shots near and far, at the edge of the view, far from the origin, and in a cell of a
// window whose viewport does not start at the corner.
const Scene kScenes[] = {
    {"ahead", {0, 0, 2}, {12, 0.5f, 2.2f}, {0, 0, 1280, 720}, true},
    {"close", {0, 0, 2}, {0.6f, 0.1f, 2.0f}, {0, 0, 1280, 720}, false},
    {"far", {0, 0, 2}, {150, -30, 8}, {0, 0, 1280, 720}, true},
    {"at the edge", {0, 0, 2}, {10, 17.5f, 2}, {0, 0, 1280, 720}, true},
    {"far out", {2400, -1800, 3}, {2410, -1805, 3.5f}, {0, 0, 1280, 720}, true},
    {"in a cell", {0, 0, 2}, {5, 0.3f, 2.1f}, {640, 0, 640, 720}, true},
};

TEST(ScreenFootprint, NoCoveredSampleIsLeftOutAndMostUncoveredOnesAre) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (const Scene& scene : kScenes) {
        const glm::ivec4& viewport = scene.viewport;
        const glm::dmat4 objectToClip = objectToClipOf(scene);
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
            bool covers = false;
            const glm::ivec2 low(glm::floor(glm::min(glm::min(pa, pb), pc)) - 1.0);
            const glm::ivec2 high(glm::ceil(glm::max(glm::max(pa, pb), pc)) + 1.0);
            for (int y = std::max(low.y, viewport.y); y <= std::min(high.y, viewport.y + viewport[3] - 1); ++y) {
                for (int x = std::max(low.x, viewport.x); x <= std::min(high.x, viewport.x + viewport[2] - 1); ++x) {
                    covers = covers || inside(glm::dvec2(x + 0.5, y + 0.5), pa, pb, pc);
                }
            }
            const bool near = footprint.nearSample(footprint.place(a), footprint.place(b), footprint.place(c), 0.0f);
            covering += covers ? 1 : 0;
            leftOut += near ? 0 : 1;
            EXPECT_TRUE(!covers || near) << scene.what << " triangle " << triangle;
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
        EXPECT_EQ(footprint.nearSample(footprint.place(a), footprint.place(b), footprint.place(c), thickness), reaches)
            << off << " " << thickness << " " << rounding << " " << margin;
    }
    // A region that reaches the eye's plane may cover anything, and hides nothing.
    const ScreenFootprint aroundTheEye(objectToClip, viewport, glm::vec3(0.05f, 0, 0), 0.1, 0.0, 0.0);
    EXPECT_FALSE(aroundTheEye.isBounded());
    EXPECT_TRUE(aroundTheEye.nearSample(glm::dvec2(-5.0), glm::dvec2(-5.0), glm::dvec2(-6.0), 0.0f));
    EXPECT_EQ(aroundTheEye.farSideHidden(0.09, 0.0), 0.0);
}

// The window depth of the point of the line of sight through a sample at parameter t, and
// the point: the line runs from the near plane's point to the far plane's.
struct SightLine {
    glm::dvec3 from, direction;
};

SightLine sightLineThrough(const glm::dmat4& objectToClip, const glm::ivec4& viewport, const glm::dvec2& sample) {
    const glm::dmat4 clipToObject = glm::inverse(objectToClip);
    const glm::dvec2 device =
        (sample - glm::dvec2(viewport.x, viewport.y)) / glm::dvec2(viewport[2], viewport[3]) * 2.0 - 1.0;
    const glm::dvec4 nearer = clipToObject * glm::dvec4(device, -1.0, 1.0);
    const glm::dvec4 farther = clipToObject * glm::dvec4(device, 1.0, 1.0);
    const glm::dvec3 from = glm::dvec3(nearer) / nearer.w;
    return {from, glm::normalize(glm::dvec3(farther) / farther.w - from)};
}

double windowDepth(const glm::dmat4& objectToClip, const glm::dvec3& point) {
    const glm::dvec4 clip = objectToClip * glm::dvec4(point, 1.0);
    return 0.5 * clip.z / clip.w + 0.5;
}

TEST(ScreenFootprint, TheFarSideIsHiddenOnlyWhereTheDepthsPartWellInside) {
    constexpr double kInner = 0.0999;
    constexpr double kHalfChord = 0.003;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // Shots from under a unit to far off, at the edge of the view, far from the origin and in
    // a cell; and where nothing may be hidden: cut by the near plane, beyond the far plane's
    // reach of depth, around the eye.
    const std::pair<Scene, bool> scenes[] = {
        {{"a unit ahead", {0, 0, 2}, {1, 0.1f, 2.1f}, {0, 0, 1280, 720}, true}, true},
        {{"three ahead", {0, 0, 2}, {3, -0.4f, 2.3f}, {0, 0, 1280, 720}, true}, true},
        {{"twelve ahead", {0, 0, 2}, {12, 0.5f, 2.2f}, {0, 0, 1280, 720}, true}, true},
        {{"at the edge", {0, 0, 2}, {4, 6.9f, 2}, {0, 0, 1280, 720}, true}, true},
        {{"far out", {2400, -1800, 3}, {2403, -1801.5f, 3.5f}, {0, 0, 1280, 720}, true}, true},
        {{"in a cell", {0, 0, 2}, {5, 0.3f, 2.1f}, {640, 0, 640, 720}, true}, true},
        {{"cut by the near plane", {0, 0, 2}, {0.105f, 0, 2}, {0, 0, 1280, 720}, true}, false},
        {{"too far for the depth", {0, 0, 2}, {390, 0, 2}, {0, 0, 1280, 720}, true}, false},
    };
    for (const auto& [scene, hides] : scenes) {
        const glm::dmat4 objectToClip = objectToClipOf(scene);
        const ScreenFootprint footprint(objectToClip, scene.viewport, glm::vec3(0.0f), 0.1, 1e-6, 0.0025);
        const double radius = footprint.farSideHidden(kInner, kHalfChord);
        EXPECT_EQ(radius > 0.0, hides) << scene.what << " " << radius;
        const glm::dvec2 centre = footprint.place(glm::vec3(0.0f));
        for (int i = 0; i < 2000 && radius > 0.0; ++i) {
            // Samples anywhere in the disc, many near its rim.
            const double angle = 6.283185307179586 * unit(random);
            const double along = radius * std::sqrt(i % 2 == 0 ? unit(random) : 1.0 - 0.01 * unit(random));
            const glm::dvec2 sample = centre + along * glm::dvec2(std::cos(angle), std::sin(angle));
            const SightLine line = sightLineThrough(objectToClip, scene.viewport, sample);
            const double middle = -glm::dot(line.from, line.direction);
            const glm::dvec3 closest = line.from + middle * line.direction;
            const double halfChordSquared = kInner * kInner - glm::dot(closest, closest);
            ASSERT_GE(halfChordSquared, kHalfChord * kHalfChord) << scene.what << " sample " << i;
            // The inner ball's near and far points along the line lie well apart in depth.
            const double halfChord = std::sqrt(halfChordSquared);
            const double nearDepth = windowDepth(objectToClip, closest - halfChord * line.direction);
            const double farDepth = windowDepth(objectToClip, closest + halfChord * line.direction);
            EXPECT_GT(farDepth - nearDepth, 1.0 / 1048576.0) << scene.what << " sample " << i;
        }
    }
    // The triangles seen well within that disc are told apart from those reaching past it.
    const ScreenFootprint threeAhead(objectToClipOf(scenes[1].first), scenes[1].first.viewport, glm::vec3(0.0f), 0.1,
                                     1e-6, 0.0025);
    const double radius = threeAhead.farSideHidden(kInner, kHalfChord);
    const glm::dvec2 centre = threeAhead.place(glm::vec3(0.0f));
    const glm::dvec2 right(0.25 * radius, 0.0), down(0.0, -0.25 * radius);
    EXPECT_TRUE(threeAhead.nearCentre(centre, centre + right, centre + down, 0.0f, radius));
    EXPECT_FALSE(threeAhead.nearCentre(centre, centre + 4.0 * right, centre + down, 0.0f, radius));
    EXPECT_FALSE(threeAhead.nearCentre(centre, centre + right, centre + down, 0.05f, radius));
}

}  // namespace
