// Where geometry of one ball of object space can land in the viewport once a draw takes it
// through one matrix to clip space: never less than the renderer could cover, whatever its
// rounding. A triangle that can cover no pixel's sample makes no fragment, so a draw may
// leave it out without changing a pixel.
#pragma once

#include <climits>

#include <glm/glm.hpp>

// Samples of the viewport that some geometry may cover: every one in a box of them, or a
// few listed; a box of no more than kListed is listed.
struct SampleSet {
    static constexpr int kListed = 16;
    int listed;                   // how many of `samples` hold the set; -1: the whole box
    glm::ivec2 first;             // the box's lowest column and row
    glm::ivec2 size;              // its columns and rows
    glm::dvec2 samples[kListed];  // where they lie, in pixels

    static SampleSet box(const glm::ivec4& viewport);
};

class ScreenFootprint {
public:
    // The region within `radius` of `centre`. objectToClip: projection * view * world.
    // viewport: x, y, width, height in pixels. roundingReach: how far, in object units, the
    // renderer's single-precision arithmetic may move a point before the projection.
    // pixelMargin: how far from a pixel's centre, in pixels, a sample may lie once the
    // rasterizer has snapped and smoothed.
    ScreenFootprint(const glm::dmat4& objectToClip, const glm::ivec4& viewport, const glm::vec3& centre, double radius,
                    double roundingReach, double pixelMargin);

    // Where a point of the region is seen, in pixels, to within `slack`: 1 / (1 + t) is taken
    // as 1 - t.
    glm::dvec2 place(const glm::vec3& point) const {
        const glm::dvec3 offset = glm::dvec3(point) - origin;
        return originOnScreen + glm::dvec2(glm::dot(towardsX, offset), glm::dot(towardsY, offset)) *
                                    (1.0 - glm::dot(towardsEye, offset));
    }
    // Of the samples `within`, those that lie within reach of the triangle whose corners are
    // placed at a, b and c go to `near`: within `thickness` of it, moved by the rounding and
    // snapped. Its corners, and whatever lies within `thickness` of it that counts, must lie
    // in the region. Gives about how many samples that reach spans in its narrower direction,
    // 0 when `near` is empty, and kUnbounded, with `near` as `within`, when the region reaches
    // the eye's plane and can fill any part of the view.
    int narrow(const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c, float thickness, const SampleSet& within,
               SampleSet* near) const;
    static constexpr int kUnbounded = INT_MAX;
    // Whether the sample lies within reach of the triangle whose corners are placed at a, b
    // and c, what counts being the triangle itself, moved by the rounding and snapped.
    bool reaches(const glm::dvec2& sample, const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c) const;
    // How far from its place a point of the region, moved by the rounding and snapped, can be
    // seen, in pixels.
    double getSlack() const { return slack; }
    // How far on the screen a move along `direction` by one object unit goes, at the origin.
    glm::dvec2 onScreen(const glm::vec3& direction) const {
        return glm::dvec2(glm::dot(towardsX, glm::dvec3(direction)), glm::dot(towardsY, glm::dvec3(direction)));
    }
    // How far, in pixels, the place of a point of the region can lie from where the places of
    // a triangle's corners put it by their weights, moved on by onScreen(normal) times the
    // middle of [lowest, highest], when the point itself lies that far from its weighted spot
    // along the triangle's unit `normal` and within `across` of it otherwise. `longestSide` is
    // the triangle's; the triangle lies in the region.
    double bendAllowance(const glm::vec3& normal, double lowest, double highest, double across,
                         double longestSide) const;

private:
    // Whether a point lies within `reach` of the triangle abc on the screen; some a little
    // farther off pass too, never fewer.
    static bool isNear(const glm::dvec2& point, const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c,
                       double reach);
    // The samples in [low, high] of a row of `count` pixels starting at `first`: the first
    // one's index and how many.
    static int samplesBetween(double low, double high, int first, int count, int* firstSample);

    bool bounded = false;
    glm::dvec3 origin;
    glm::dvec2 originOnScreen = glm::dvec2(0.0);
    // Pixels per object unit along x and y of the screen at the origin, and how w grows
    // relative to the origin's: together they place any point of the region.
    glm::dvec3 towardsX = glm::dvec3(0.0);
    glm::dvec3 towardsY = glm::dvec3(0.0);
    glm::dvec3 towardsEye = glm::dvec3(0.0);
    double stretch = 0.0;  // how far a point of the region can move on the screen per object unit
    double stretchAtOrigin = 0.0;
    double eyeRate = 0.0;  // |rowW| / w at the origin
    double regionReach = 0.0;
    // How far from its place a point of the region, moved by the rounding and snapped, can
    // be seen.
    double slack = 0.0;
};
