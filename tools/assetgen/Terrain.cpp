// Heightmaps and usage maps of the fourteen terrain tiles. A tile is 128 x 128 pixels, one
// world unit apart; the game reads a grey level g as the height 15 * sqrt(3) * g / 255. The
// level lays tiles side by side in any order, so every tile ends in the same border height,
// and the shared corner of four tiles (where the rocket lands) is flat at that height.
#include "Generators.h"

#include "AssetWriter.h"

#include <stb_perlin.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kTileCount = 14;
constexpr int kTileSize = 128;
// Grey 118 is 12.02 units: the rocket's base point stands at z = 12 on the shared corner, so
// its feet reach 0.02 units into the ground there.
constexpr int kBorderGrey = 118;

constexpr double kMaxHeight = 25.980762113533160;  // 15 * sqrt(3): the height of grey 255
constexpr double kBorderHeight = kMaxHeight * kBorderGrey / 255.0;
constexpr double kMargin = 12.0;  // the blend from the tile's own shape to the border
constexpr double kPadFlat = 6.0;  // around each corner the ground stays exactly at the border
constexpr double kPadBlend = 16.0;
constexpr double kSoftCeiling = 19.0;     // heights above this are squeezed towards kHardCeiling
constexpr double kHardCeiling = 21.0;     // the UFOs fly at 22
constexpr double kLowestDryGround = 6.5;  // a dry hollow stays above the ponds' water level of 5

double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

double fbm(double x, double y, double frequency, int seed) {
    return stb_perlin_fbm_noise3(static_cast<float>(x * frequency), static_cast<float>(y * frequency),
                                 static_cast<float>(seed) * 7.31f, 2.0f, 0.5f, 4);
}

// A round hill: full height at the centre, none beyond the radius.
double hill(double x, double y, double cx, double cy, double radius, double height) {
    const double d = std::hypot(x - cx, y - cy) / radius;
    if (d >= 1.0) {
        return 0.0;
    }
    const double falloff = 1.0 - d * d;
    return height * falloff * falloff;
}

double distanceToSegment(double x, double y, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

// A ridge (or, with a negative height, a valley) along a segment.
double ridge(double x, double y, double ax, double ay, double bx, double by, double halfWidth, double height) {
    const double d = distanceToSegment(x, y, ax, ay, bx, by) / halfWidth;
    return d >= 1.0 ? 0.0 : height * (1.0 - smoothstep(0.0, 1.0, d));
}

// A flat-topped mesa with steep sides.
double plateau(double x, double y, double cx, double cy, double radius, double edge, double height) {
    return height * (1.0 - smoothstep(radius - edge, radius, std::hypot(x - cx, y - cy)));
}

// Rounds heights into a few flat steps joined by short slopes.
double terrace(double height, double step) {
    const double level = std::floor(height / step);
    const double within = height / step - level;
    return (level + smoothstep(0.65, 1.0, within)) * step;
}

// The tile's own shape before the border blend and the lakes.
double landShape(int tile, double x, double y) {
    const double noise = fbm(x, y, 1.0 / 38.0, tile);
    const double detail = fbm(x, y, 1.0 / 11.0, tile + 40);
    double h = kBorderHeight - 1.5 + 3.4 * noise + 0.9 * detail;
    switch (tile) {
        case 0:  // a valley lake under a hill and a ridge
            h += hill(x, y, 95, 100, 30, 7.0) + ridge(x, y, 84, 18, 112, 62, 12, 6.0);
            break;
        case 1:  // rolling hills by a pond
            h += hill(x, y, 62, 42, 28, 7.5) + hill(x, y, 96, 92, 22, 6.0) + hill(x, y, 30, 30, 16, 4.0);
            break;
        case 2:  // a long ridge below a high pond
            h += ridge(x, y, 18, 22, 110, 48, 13, 7.5) + hill(x, y, 100, 100, 20, 4.0);
            break;
        case 3:  // broad rolling ground
            h += 3.0 * fbm(x, y, 1.0 / 20.0, tile + 80) + hill(x, y, 40, 85, 24, 6.0) + hill(x, y, 88, 40, 22, 5.5);
            break;
        case 4:  // a mesa
            h = kBorderHeight - 2.0 + 2.0 * noise + plateau(x, y, 62, 66, 36, 6, 7.0) + 0.4 * detail;
            break;
        case 5:  // a diagonal ridge
            h += ridge(x, y, 16, 108, 108, 18, 15, 8.0) * (0.8 + 0.3 * detail);
            break;
        case 6:  // a valley across the tile
            h += ridge(x, y, 64, 14, 60, 113, 20, -5.5) + hill(x, y, 100, 64, 18, 5.0) + hill(x, y, 24, 40, 16, 4.0);
            break;
        case 7:  // hills around a pond
            h += hill(x, y, 90, 30, 24, 7.0) + hill(x, y, 24, 40, 20, 5.0) + hill(x, y, 96, 102, 18, 5.5);
            break;
        case 8:  // a crater
        {
            const double d = std::hypot(x - 64, y - 62);
            h += 7.5 * std::exp(-std::pow((d - 30.0) / 6.0, 2.0)) - 3.5 * (1.0 - smoothstep(0.0, 26.0, d));
            break;
        }
        case 9:  // hillocks
        {
            unsigned state = 12345u;
            for (int i = 0; i < 22; ++i) {
                state = state * 1103515245u + 12345u;
                const double cx = 16 + (state >> 8) % 96;
                state = state * 1103515245u + 12345u;
                const double cy = 16 + (state >> 8) % 96;
                state = state * 1103515245u + 12345u;
                h += hill(x, y, cx, cy, 7 + (state >> 8) % 5, 2.5 + ((state >> 12) % 30) / 10.0);
            }
            break;
        }
        case 10:  // terraces climbing towards one side
            h = terrace(kBorderHeight - 3.5 + 8.5 * smoothstep(20, 110, x + 0.4 * y - 20) + 2.0 * noise, 2.5);
            break;
        case 11:  // a gentle plain with two mounds
            h = kBorderHeight - 0.5 + 1.5 * noise + hill(x, y, 50, 70, 16, 3.5) + hill(x, y, 92, 48, 14, 3.0);
            break;
        default:  // 12 and 13: a lake fills most of the tile; the shore carries the shape
            h += 2.0 * fbm(x, y, 1.0 / 20.0, tile + 90);
            break;
    }
    return std::max(h, kLowestDryGround);
}

struct Lake {
    double cx, cy;  // centre of the water square as drawn
    double radius;  // where the basin meets the water level
    double shore;   // width of the rise from the water to the land's own shape
    double level;   // the water's height
    double depth;
    double wobble;  // irregularity of the shoreline
};

// The basins lie inside the water squares the game gives these heightmaps.
bool lakeOf(int tile, Lake* lake) {
    switch (tile) {
        case 0: *lake = {38.1, 51.2, 9.5, 8.0, 0.3, 2.0, 0.10}; return true;
        case 1: *lake = {15.8, 79.9, 3.2, 4.0, 5.0, 1.6, 0.05}; return true;
        case 2: *lake = {53.5, 84.6, 5.0, 5.0, 5.0, 1.8, 0.08}; return true;
        case 7: *lake = {49.0, 70.0, 5.8, 5.0, 5.0, 2.0, 0.08}; return true;
        case 12: *lake = {65.0, 64.0, 33.0, 11.0, 0.3, 2.0, 0.12}; return true;
        case 13: *lake = {65.0, 64.0, 32.0, 12.0, 0.3, 2.0, 0.15}; return true;
        default: return false;
    }
}

double island(int tile, double x, double y) {
    if (tile == 12) {
        return hill(x, y, 60, 68, 11, 4.5);
    }
    if (tile == 13) {
        return std::max(hill(x, y, 52, 54, 9, 3.8), hill(x, y, 80, 78, 7, 3.0));
    }
    return 0.0;
}

double withLake(int tile, double x, double y, double land) {
    Lake lake{};
    if (!lakeOf(tile, &lake)) {
        return land;
    }
    const double angle = std::atan2(y - lake.cy, x - lake.cx);
    const double radius = lake.radius * (1.0 + lake.wobble * std::sin(3.0 * angle + tile));
    const double distance = std::hypot(x - lake.cx, y - lake.cy);
    double h = 0.0;
    if (distance < radius) {
        const double d = distance / radius;
        h = lake.level - lake.depth * (1.0 - d * d);
    } else {
        // A quick rise to a bank just above the water, then the land's own shape.
        const double bank = lake.level + 0.9 * std::min(1.0, (distance - radius) / 1.5);
        h = bank + (land - bank) * smoothstep(radius, radius + lake.shore, distance);
    }
    return std::max(h, island(tile, x, y));
}

double ceilingSqueeze(double h) {
    if (h <= kSoftCeiling) {
        return h;
    }
    const double room = kHardCeiling - kSoftCeiling;
    return kSoftCeiling + room * std::tanh((h - kSoftCeiling) / room);
}

// Weight of the tile's own shape: 0 on the border and around the corners, 1 inside.
double borderWeight(double x, double y) {
    const double last = kTileSize - 1;
    const double edge = std::min(std::min(x, y), std::min(last - x, last - y));
    const double corner = std::min(std::min(std::hypot(x, y), std::hypot(last - x, y)),
                                   std::min(std::hypot(x, last - y), std::hypot(last - x, last - y)));
    return std::min(smoothstep(0.0, kMargin, edge), smoothstep(kPadFlat, kPadBlend, corner));
}

std::vector<int> heightmapGreys(int tile) {
    std::vector<int> greys(kTileSize * kTileSize);
    for (int row = 0; row < kTileSize; ++row) {
        for (int column = 0; column < kTileSize; ++column) {
            const double x = column;
            const double y = row;
            const double shaped = ceilingSqueeze(withLake(tile, x, y, landShape(tile, x, y)));
            const double h = kBorderHeight + borderWeight(x, y) * (shaped - kBorderHeight);
            greys[row * kTileSize + column] = std::clamp(static_cast<int>(std::lround(h / kMaxHeight * 255.0)), 0, 255);
        }
    }
    return greys;
}

// Rows in the file run from the top, while the game counts tile rows from the bottom.
std::vector<uint8_t> greyImage(const std::vector<int>& greys) {
    std::vector<uint8_t> pixels(kTileSize * kTileSize * 3, 0);
    for (int row = 0; row < kTileSize; ++row) {
        for (int column = 0; column < kTileSize; ++column) {
            uint8_t* pixel = &pixels[((kTileSize - 1 - row) * kTileSize + column) * 3];
            std::fill(pixel, pixel + 3, static_cast<uint8_t>(greys[row * kTileSize + column]));
        }
    }
    return pixels;
}

// Usage map: red = steep ground (rock), green = high ground, blue = low, wet ground. The
// level shader mixes the terrain's looks with these weights.
std::vector<uint8_t> usagePixels(const std::vector<int>& greys) {
    auto heightAt = [&](int column, int row) {
        column = std::clamp(column, 0, kTileSize - 1);
        row = std::clamp(row, 0, kTileSize - 1);
        return greys[row * kTileSize + column] * kMaxHeight / 255.0;
    };
    std::vector<uint8_t> pixels(kTileSize * kTileSize * 3, 0);
    for (int row = 0; row < kTileSize; ++row) {
        for (int column = 0; column < kTileSize; ++column) {
            const double h = heightAt(column, row);
            const double slope = std::hypot(heightAt(column + 1, row) - heightAt(column - 1, row),
                                            heightAt(column, row + 1) - heightAt(column, row - 1)) /
                                 2.0;
            const double speckle = 0.08 * fbm(column, row, 1.0 / 6.0, 200);
            const double rock = smoothstep(0.35, 0.9, slope + speckle);
            const double high = smoothstep(15.0, 18.5, h + 2.0 * speckle);
            const double low = 1.0 - smoothstep(5.5, 8.5, h - 2.0 * speckle);
            uint8_t* pixel = &pixels[((kTileSize - 1 - row) * kTileSize + column) * 3];
            pixel[0] = static_cast<uint8_t>(std::lround(255.0 * rock));
            pixel[1] = static_cast<uint8_t>(std::lround(255.0 * high));
            pixel[2] = static_cast<uint8_t>(std::lround(255.0 * low));
        }
    }
    return pixels;
}

}  // namespace

bool generateTerrain(const std::string& outDir) {
    for (int tile = 0; tile < kTileCount; ++tile) {
        const std::vector<int> greys = heightmapGreys(tile);
        char heightmapName[64];
        char usageName[64];
        snprintf(heightmapName, sizeof heightmapName, "textures/heightmaps/hm_%d.png", tile);
        snprintf(usageName, sizeof usageName, "textures/heightmaps/tu_%d.png", tile);
        if (!assetgen::writePng(outDir, heightmapName, kTileSize, kTileSize, 3, greyImage(greys)) ||
            !assetgen::writePng(outDir, usageName, kTileSize, kTileSize, 3, usagePixels(greys))) {
            return false;
        }
    }
    return true;
}
