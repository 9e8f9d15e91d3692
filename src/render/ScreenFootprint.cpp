#include "render/ScreenFootprint.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <glm/gtc/matrix_access.hpp>

namespace {

// The division by w and the viewport transform round in single precision, relative to the
// size of the window co-ordinate: sixteen times the unit roundoff is wide of that.
constexpr double kRelativeRounding = 1.0 / 1048576.0;

// Two window depths that differ by less than this may be taken for one by the renderer,
// which interpolates them in single precision and keeps 24 bits: sixteen of its steps, far
// more than that rounding.
constexpr double kDepthTie = 1.0 / 1048576.0;

// The fewest pixels that a move of one object unit within a plane of equal w makes at w = 1:
// the smaller singular value of the screen's rows on that plane.
double leastPixelsPerUnit(const glm::dmat4& objectToClip, const glm::dvec2& half) {
    const glm::dvec3 alongW = glm::normalize(glm::dvec3(glm::row(objectToClip, 3)));
    const glm::dvec3 helper = std::abs(alongW.x) < 0.6 ? glm::dvec3(1, 0, 0) : glm::dvec3(0, 1, 0);
    const glm::dvec3 first = glm::normalize(glm::cross(alongW, helper));
    const glm::dvec3 second = glm::cross(alongW, first);
    const glm::dvec3 rowX = glm::dvec3(glm::row(objectToClip, 0)) * half.x;
    const glm::dvec3 rowY = glm::dvec3(glm::row(objectToClip, 1)) * half.y;
    const glm::dvec2 columnA(glm::dot(rowX, first), glm::dot(rowY, first));
    const glm::dvec2 columnB(glm::dot(rowX, second), glm::dot(rowY, second));
    const double p = glm::dot(columnA, columnA);
    const double q = glm::dot(columnA, columnB);
    const double r = glm::dot(columnB, columnB);
    return std::sqrt(std::max(0.5 * (p + r) - std::sqrt(0.25 * (p - r) * (p - r) + q * q), 0.0));
}

// A box of no more samples than this is tested sample by sample.
constexpr int kTestedSamples = 4;

// Window co-ordinates are brought within this much of 0 before they are rounded, so that
// truncation after adding it rounds down, without a library call.
constexpr double kRoundingOffset = 1048576.0;

int roundedDown(double value) {
    return static_cast<int>(std::clamp(value, -0.5 * kRoundingOffset, 0.5 * kRoundingOffset) + kRoundingOffset) -
           static_cast<int>(kRoundingOffset);
}

}  // namespace

ScreenFootprint::ScreenFootprint(const glm::dmat4& objectToClip, const glm::ivec4& viewport, const glm::vec3& centre,
                                 double radius, double roundingReach, double pixelMargin)
    : origin(centre), viewport(viewport), objectToClip(objectToClip), roundingReach(roundingReach) {
    const glm::dvec4 rowX = glm::row(objectToClip, 0);
    const glm::dvec4 rowY = glm::row(objectToClip, 1);
    const glm::dvec4 rowW = glm::row(objectToClip, 3);
    const glm::dvec4 point(origin, 1.0);
    const double x = glm::dot(rowX, point);
    const double y = glm::dot(rowY, point);
    const double w = glm::dot(rowW, point);
    const double reach = radius + roundingReach;
    // Every point of the region lies at least this far in front of the eye's plane.
    const double alongW = glm::length(glm::dvec3(rowW));
    const double nearest = w - reach * alongW;
    if (!(nearest > 0.0)) {
        return;
    }
    // A point moved by d from the centre is seen at x/w + u.d / (w^2 (1 + rowW.d / w)), with
    // u = w rowX - x rowW; likewise for y.
    const glm::dvec2 half(0.5 * viewport[2], 0.5 * viewport[3]);
    const glm::dvec3 towardsX = (w * glm::dvec3(rowX) - x * glm::dvec3(rowW)) * (half.x / (w * w));
    const glm::dvec3 towardsY = (w * glm::dvec3(rowY) - y * glm::dvec3(rowW)) * (half.y / (w * w));
    const glm::dvec2 corner(viewport.x, viewport.y);
    toScreenX = rowX * half.x + rowW * (corner.x + half.x);
    toScreenY = rowY * half.y + rowW * (corner.y + half.y);
    toW = rowW;
    originOnScreen = corner + (glm::dvec2(x, y) / w + 1.0) * half;
    // The derivative of that over the region, which says how far a point moved by a given
    // distance can move on the screen, is at most this.
    const double atCentre = glm::length(glm::dvec2(glm::length(towardsX), glm::length(towardsY)));
    stretch = atCentre * (w / nearest) * (1.0 + reach * alongW / nearest);
    centreW = w;
    regionReach = reach;
    const double farthest = glm::length(originOnScreen) + stretch * reach;
    slack = stretch * roundingReach + pixelMargin * 1.4142135623730951 + kRelativeRounding * farthest;
    bounded = std::isfinite(farthest + slack);
}

bool ScreenFootprint::nearSample(const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c, float thickness) const {
    if (!bounded) {
        return true;
    }
    // Each point counted lands within `reach` of the triangle of the corners' places, so in
    // this box.
    const double reach = slack + stretch * static_cast<double>(thickness);
    const glm::dvec2 low = glm::min(glm::min(a, b), c) - reach;
    const glm::dvec2 high = glm::max(glm::max(a, b), c) + reach;
    // Pixel i has its sample at i + 0.5: the first at or after low, the last at or before
    // high, within the viewport.
    const glm::ivec2 first(std::max(-roundedDown(0.5 - low.x), viewport.x),
                           std::max(-roundedDown(0.5 - low.y), viewport.y));
    const glm::ivec2 last(std::min(roundedDown(high.x - 0.5), viewport.x + viewport[2] - 1),
                          std::min(roundedDown(high.y - 0.5), viewport.y + viewport[3] - 1));
    if (!(first.x <= last.x && first.y <= last.y)) {
        return false;
    }
    if ((last.x - first.x + 1) * (last.y - first.y + 1) > kTestedSamples) {
        return true;
    }
    for (int row = first.y; row <= last.y; ++row) {
        for (int column = first.x; column <= last.x; ++column) {
            if (isNear(glm::dvec2(column + 0.5, row + 0.5), a, b, c, reach)) {
                return true;
            }
        }
    }
    return false;
}

double ScreenFootprint::farSideHidden(double innerRadius, double leastHalfChord) const {
    if (!bounded) {
        return 0.0;
    }
    // Depth must grow with w alone, z / w = depthBase - depthScale / w with depthScale > 0,
    // and the region must lie between the near and far planes.
    const glm::dvec4 rowZ = glm::row(objectToClip, 2);
    const glm::dvec4 rowW = glm::row(objectToClip, 3);
    const double alongW = glm::length(glm::dvec3(rowW));
    const double depthBase = glm::dot(glm::dvec3(rowZ), glm::dvec3(rowW)) / (alongW * alongW);
    const glm::dvec4 depthRest = rowZ - depthBase * rowW;
    const double depthScale = -depthRest.w;
    const glm::dvec4 point(origin, 1.0);
    const double nearMargin = glm::dot(rowZ + rowW, point) - glm::length(glm::dvec3(rowZ + rowW)) * regionReach;
    const double farMargin = glm::dot(rowW - rowZ, point) - glm::length(glm::dvec3(rowW - rowZ)) * regionReach;
    if (!(depthScale > 0.0) || glm::length(glm::dvec3(depthRest)) > 1e-9 * std::abs(depthScale) ||
        !(nearMargin > 0.0) || !(farMargin > 0.0)) {
        return 0.0;
    }
    // How steeply w grows along a line of sight, at least: at a corner of the view.
    const glm::dmat4 clipToObject = glm::inverse(objectToClip);
    double steepest = 1.0;
    for (const glm::dvec2 corner : {glm::dvec2(-1, -1), glm::dvec2(1, -1), glm::dvec2(-1, 1), glm::dvec2(1, 1)}) {
        const glm::dvec4 nearer = clipToObject * glm::dvec4(corner, -1.0, 1.0);
        const glm::dvec4 farther = clipToObject * glm::dvec4(corner, 1.0, 1.0);
        const glm::dvec3 direction = glm::normalize(glm::dvec3(farther) / farther.w - glm::dvec3(nearer) / nearer.w);
        steepest = std::min(steepest, std::abs(glm::dot(direction, glm::dvec3(rowW))) / alongW);
    }
    // A line of sight that passes the centre at m meets two such surfaces at least
    // 2 sqrt(inner^2 - m^2) apart, in w that much times alongW * steepest, less the rounding
    // of each; their window depths then differ by depthScale / 2 times that over farW^2.
    const double farW = centreW + regionReach * alongW;
    const double halfGap =
        std::max((kDepthTie * farW * farW / depthScale + roundingReach * alongW) / (alongW * steepest), leastHalfChord);
    const double pixelsPerUnit = leastPixelsPerUnit(objectToClip, glm::dvec2(0.5 * viewport[2], 0.5 * viewport[3]));
    if (!(halfGap < innerRadius) || !(pixelsPerUnit > 0.0)) {
        return 0.0;
    }
    // The sample must also lie within the nearer surface as the renderer has it: `slack`
    // inside the inner ball's outline.
    const double passing = std::sqrt(innerRadius * innerRadius - halfGap * halfGap) - slack * farW / pixelsPerUnit;
    return passing > 0.0 ? passing * pixelsPerUnit / centreW : 0.0;
}

bool ScreenFootprint::nearCentre(const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c, float thickness,
                                 double radius) const {
    const double reach = slack + stretch * static_cast<double>(thickness);
    const glm::dvec2 low = glm::min(glm::min(a, b), c) - reach - originOnScreen;
    const glm::dvec2 high = glm::max(glm::max(a, b), c) + reach - originOnScreen;
    const glm::dvec2 farthest = glm::max(-low, high);
    return glm::dot(farthest, farthest) < radius * radius;
}

bool ScreenFootprint::isNear(const glm::dvec2& point, const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c,
                             double reach) {
    // Within `reach` of the triangle, a point lies at most `reach` outside each side, whichever
    // way round the corners go; a flat triangle leaves the strip along its line. Squared, so
    // that no root is taken: |side| <= reach |edge| reads side^2 <= reach^2 edge^2.
    const double reachSquared = reach * reach;
    const auto sideOf = [&](const glm::dvec2& from, const glm::dvec2& to, double* allowance) {
        const double edgeX = to.x - from.x;
        const double edgeY = to.y - from.y;
        *allowance = reachSquared * (edgeX * edgeX + edgeY * edgeY);
        return edgeX * (point.y - from.y) - edgeY * (point.x - from.x);
    };
    double allowances[3];
    const double sides[3] = {sideOf(a, b, &allowances[0]), sideOf(b, c, &allowances[1]), sideOf(c, a, &allowances[2])};
    bool leftOfAll = true;
    bool rightOfAll = true;
    for (int i = 0; i < 3; ++i) {
        const bool close = sides[i] * sides[i] <= allowances[i];
        leftOfAll = leftOfAll && (sides[i] >= 0.0 || close);
        rightOfAll = rightOfAll && (sides[i] <= 0.0 || close);
    }
    return leftOfAll || rightOfAll;
}
