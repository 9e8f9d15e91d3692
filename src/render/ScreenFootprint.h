// Where geometry of one ball of object space can land in the viewport once a draw takes it
// through one matrix to clip space: never less than the renderer could cover, whatever its
// rounding. A triangle that can cover no pixel's sample makes no fragment, so a draw may
// leave it out without changing a pixel.
#pragma once

#include <glm/glm.hpp>

class ScreenFootprint {
public:
    // The region within `radius` of `centre`. objectToClip: projection * view * world.
    // viewport: x, y, width, height in pixels. roundingReach: how far, in object units, the
    // renderer's single-precision arithmetic may move a point before the projection.
    // pixelMargin: how far from a pixel's centre, in pixels, a sample may lie once the
    // rasterizer has snapped and smoothed.
    ScreenFootprint(const glm::dmat4& objectToClip, const glm::ivec4& viewport, const glm::vec3& centre, double radius,
                    double roundingReach, double pixelMargin);

    // False when the region reaches the eye's plane and can fill any part of the view.
    bool isBounded() const { return bounded; }
    // Where a point is seen, in pixels: without the renderer's rounding, which `slack` covers
    // for the points of the region.
    glm::dvec2 place(const glm::vec3& point) const {
        const glm::dvec4 at(glm::dvec3(point), 1.0);
        return glm::dvec2(glm::dot(toScreenX, at), glm::dot(toScreenY, at)) / glm::dot(toW, at);
    }
    // Whether a sample of the viewport may lie within reach of the triangle whose corners are
    // placed at a, b and c: within `thickness` of it, moved by the rounding and snapped. Its
    // corners, and whatever lies within `thickness` of it that counts, must lie in the region.
    // Some samples a little farther off count too, never fewer.
    bool nearSample(const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c, float thickness) const;
    // How far from its place a point of the region, moved by the rounding and snapped, can be
    // seen, in pixels.
    double getSlack() const { return slack; }
    // Where a closed surface of the region that encloses the ball of `innerRadius` about the
    // centre hides its far side: within the returned distance, in pixels, of the centre's
    // place, the line of sight through a sample passes the ball's surface at least
    // `leastHalfChord` from its middle, the sample lies inside the near side as the renderer
    // draws it, and the far side's depth there exceeds the near side's by more than the
    // renderer's rounding, whichever is drawn first. 0 where no sample is sure of it: the
    // region crosses the near or far plane, or lies too far off for the depth to part them.
    double farSideHidden(double innerRadius, double leastHalfChord) const;
    // Whether every sample that nearSample would count for the triangle lies within `radius`
    // of the centre's place.
    bool nearCentre(const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c, float thickness,
                    double radius) const;

private:
    // Whether a point lies within `reach` of the triangle abc on the screen; some a little
    // farther off pass too, never fewer.
    static bool isNear(const glm::dvec2& point, const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c,
                       double reach);

    bool bounded = false;
    glm::dvec3 origin;
    glm::ivec4 viewport;
    glm::dmat4 objectToClip;
    double roundingReach;
    double centreW = 0.0;
    double regionReach = 0.0;
    glm::dvec2 originOnScreen = glm::dvec2(0.0);
    // Window x and y times w, and w, of a point.
    glm::dvec4 toScreenX = glm::dvec4(0.0);
    glm::dvec4 toScreenY = glm::dvec4(0.0);
    glm::dvec4 toW = glm::dvec4(0.0, 0.0, 0.0, 1.0);
    double stretch = 0.0;  // how far a point of the region can move on the screen per object unit
    // How far from its place a point of the region, moved by the rounding and snapped, can
    // be seen.
    double slack = 0.0;
};
