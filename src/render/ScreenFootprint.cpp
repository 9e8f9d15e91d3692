#include "render/ScreenFootprint.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <glm/gtc/matrix_access.hpp>

namespace {

// The division by w and the viewport transform round in single precision, relative to the
// size of the window co-ordinate: sixteen times the unit roundoff is wide of that.
constexpr double kRelativeRounding = 1.0 / 1048576.0;

}  // namespace

SampleSet SampleSet::box(const glm::ivec4& viewport) {
    SampleSet all{};
    all.first = glm::ivec2(viewport.x, viewport.y);
    all.size = glm::ivec2(viewport[2], viewport[3]);
    all.listed = -1;
    return all;
}

ScreenFootprint::ScreenFootprint(const glm::dmat4& objectToClip, const glm::ivec4& viewport, const glm::vec3& centre,
                                 double radius, double roundingReach, double pixelMargin)
    : origin(centre) {
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
    towardsX = (w * glm::dvec3(rowX) - x * glm::dvec3(rowW)) * (half.x / (w * w));
    towardsY = (w * glm::dvec3(rowY) - y * glm::dvec3(rowW)) * (half.y / (w * w));
    towardsEye = glm::dvec3(rowW) / w;
    originOnScreen = glm::dvec2(viewport.x, viewport.y) + (glm::dvec2(x, y) / w + 1.0) * half;
    // The derivative of that over the region, which says how far a point moved by a given
    // distance can move on the screen, is at most this.
    const double atCentre = glm::length(glm::dvec2(glm::length(towardsX), glm::length(towardsY)));
    stretch = atCentre * (w / nearest) * (1.0 + reach * alongW / nearest);
    stretchAtOrigin = atCentre;
    eyeRate = alongW / w;
    regionReach = reach;
    // Taking 1 / (1 + t) as 1 - t leaves out u.d t^2 / (w^2 (1 + t)).
    const double t = reach * alongW / w;
    const double secondOrder = atCentre * reach * t * t / (1.0 - t);
    const double farthest = glm::length(originOnScreen) + stretch * reach;
    slack = secondOrder + stretch * roundingReach + pixelMargin * 1.4142135623730951 + kRelativeRounding * farthest;
    bounded = std::isfinite(farthest + slack);
}

int ScreenFootprint::narrow(const glm::dvec2& a, const glm::dvec2& b, const glm::dvec2& c, float thickness,
                            const SampleSet& within, SampleSet* near) const {
    if (!bounded) {
        *near = within;
        return kUnbounded;
    }
    // A triangle is seen as the triangle of its corners' places; each point counted lands
    // within `reach` of it, so in this box.
    const double reach = slack + stretch * static_cast<double>(thickness);
    const double lowX = std::min(std::min(a.x, b.x), c.x) - reach;
    const double lowY = std::min(std::min(a.y, b.y), c.y) - reach;
    const double highX = std::max(std::max(a.x, b.x), c.x) + reach;
    const double highY = std::max(std::max(a.y, b.y), c.y) + reach;
    near->listed = 0;
    const auto take = [&](const glm::dvec2& sample) {
        if (lowX <= sample.x && sample.x <= highX && lowY <= sample.y && sample.y <= highY &&
            isNear(sample, a, b, c, reach)) {
            near->samples[near->listed++] = sample;
        }
    };
    if (within.listed >= 0) {
        for (int i = 0; i < within.listed; ++i) {
            take(within.samples[i]);
        }
    } else {
        near->size.x = samplesBetween(lowX, highX, within.first.x, within.size.x, &near->first.x);
        near->size.y =
            near->size.x == 0 ? 0 : samplesBetween(lowY, highY, within.first.y, within.size.y, &near->first.y);
        if (near->size.y == 0) {
            return 0;
        }
        if (near->size.x * near->size.y > SampleSet::kListed) {
            near->listed = -1;
            return std::min(near->size.x, near->size.y);
        }
        for (int row = near->first.y; row < near->first.y + near->size.y; ++row) {
            for (int column = near->first.x; column < near->first.x + near->size.x; ++column) {
                take(glm::dvec2(column + 0.5, row + 0.5));
            }
        }
    }
    if (near->listed == 0) {
        return 0;
    }
    // No more than a pixel's worth of samples each way when the box spans fewer than two.
    return 1 + static_cast<int>(std::min(highX - lowX, highY - lowY));
}

bool ScreenFootprint::reaches(const glm::dvec2& sample, const glm::dvec2& a, const glm::dvec2& b,
                              const glm::dvec2& c) const {
    if (!bounded) {
        return true;
    }
    const glm::dvec2 low = glm::min(glm::min(a, b), c) - slack;
    const glm::dvec2 high = glm::max(glm::max(a, b), c) + slack;
    return low.x <= sample.x && sample.x <= high.x && low.y <= sample.y && sample.y <= high.y &&
           isNear(sample, a, b, c, slack);
}

double ScreenFootprint::bendAllowance(const glm::vec3& normal, double lowest, double highest, double across,
                                      double longestSide) const {
    if (!bounded) {
        return std::numeric_limits<double>::infinity();
    }
    // place(d) is P + (J d)(1 - q.d) for d from the origin: J's rows are towardsX and towardsY,
    // q is towardsEye. Moving a point by e = e_n n + e_a moves its place by
    // (J e)(1 - q.d) - (J d)(q.e): that is (J n) e_n, which the middle of the range takes up
    // to half of it, and the rest, J e_a being at most |J| |e_a|.
    const double alongNormal = glm::length(onScreen(normal));
    const double farthest = std::max(std::abs(lowest), std::abs(highest));
    const double bend = eyeRate * regionReach;
    const double moved = alongNormal * (0.5 * (highest - lowest) + farthest * bend) +
                         stretchAtOrigin * across * (1.0 + bend) + stretchAtOrigin * bend * (farthest + across);
    // The places of a triangle's points differ from the weighted places of its corners by the
    // quadratic part, (J e)(q.e) for e at most the longest side.
    return moved + stretchAtOrigin * eyeRate * longestSide * longestSide;
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

int ScreenFootprint::samplesBetween(double low, double high, int first, int count, int* firstSample) {
    // Pixel first + i has its sample at first + i + 0.5. Both ends are brought to within a
    // pixel of the row, where truncation rounds them up and down without a library call.
    const double lowest = std::clamp(low - first - 0.5, -1.0, count + 1.0);
    const double highest = std::clamp(high - first - 0.5, -1.0, count + 1.0);
    const int lowIndex = std::max(0, count + 3 - static_cast<int>(count + 3 - lowest));
    const int highIndex = std::min(count - 1, static_cast<int>(highest + 2.0) - 2);
    *firstSample = first + lowIndex;
    return std::max(0, highIndex - lowIndex + 1);
}
