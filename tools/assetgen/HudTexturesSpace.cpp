// Space pictures: the pause menu's scrolling backdrop (tiles both ways), the star map's
// panorama, the glowing energy of the projectile sphere laid out on the icosphere's net,
// the sun and the particle sprite.
#include "AssetWriter.h"
#include "HudArt.h"

#include <algorithm>
#include <cmath>
#include <vector>

using glm::vec2;
using glm::vec3;
using raster::Color;
using raster::Image;

namespace hudart {

namespace {

// Standard-normal-ish blob, for stars and glows.
float gaussian(float distanceSquared, float radius) {
    return std::exp(-distanceSquared / (radius * radius));
}

// Distance from p to the nearest edge of a pointy-top hexagonal grid, and that cell's index.
struct HexHit {
    float edgeDistance;
    int column;
    int row;
};

HexHit hexCell(vec2 p, float cornerRadius) {
    const float width = std::sqrt(3.0f) * cornerRadius;
    const float rowStep = 1.5f * cornerRadius;
    const float inradius = width * 0.5f;
    HexHit best{-1.0f, 0, 0};
    float bestDistance = 1e9f;
    // The nearest centre is in one of two rectangular lattices: even rows, and odd rows shifted by half.
    for (int parity = 0; parity < 2; ++parity) {
        const vec2 offset(parity * width * 0.5f, parity * rowStep);
        const vec2 cellSize(width, 2.0f * rowStep);
        const vec2 index = glm::floor((p - offset) / cellSize + 0.5f);
        const vec2 centre = index * cellSize + offset;
        const float distance = glm::length(p - centre);
        if (distance < bestDistance) {
            bestDistance = distance;
            const vec2 q = glm::abs(p - centre);
            best.edgeDistance = inradius - std::max(q.x, 0.5f * q.x + 0.8660254f * q.y);
            best.column = static_cast<int>(index.x);
            best.row = static_cast<int>(index.y) * 2 + parity;
        }
    }
    return best;
}

}  // namespace

bool writePauseBackground(const std::string& outDir) {
    constexpr int kWidth = 1280;
    constexpr int kHeight = 720;
    // The hexagon rows repeat every 3 corner radii (10 times down the picture); across,
    // the grid is stretched a hair so that 31 columns fill the width and it tiles.
    constexpr float kCorner = 24.0f;
    constexpr int kColumns = 31;
    constexpr int kRows = 20;
    const float stretch = (std::sqrt(3.0f) * kCorner * kColumns) / kWidth;
    constexpr int kNoisePeriodX = 8;
    constexpr int kNoisePeriodY = 5;
    Image background(kWidth, kHeight, kNavyDeep);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float u = (x + 0.5f) / kWidth;
            const float v = (y + 0.5f) / kHeight;
            const float cloud =
                raster::fbm(u * kNoisePeriodX, v * kNoisePeriodY, 0.3f, 5, kNoisePeriodX, kNoisePeriodY, 1);
            const float wisp = raster::fbm(u * kNoisePeriodX * 2, v * kNoisePeriodY * 2, 4.1f, 4, kNoisePeriodX * 2,
                                           kNoisePeriodY * 2, 2);
            Color color = raster::mix(kNavyDeep, raster::hex(0x0f3a52), raster::smoothstep(-0.6f, 0.8f, cloud));
            color = raster::mix(color, raster::hex(0x2a7f8f), raster::smoothstep(0.35f, 1.0f, cloud) * 0.6f);
            color = raster::mix(color, raster::hex(0x6a3a22), raster::smoothstep(0.45f, 1.0f, wisp) * 0.45f);

            const HexHit hex = hexCell(vec2((x + 0.5f) * stretch, y + 0.5f), kCorner);
            const int column = ((hex.column % kColumns) + kColumns) % kColumns;
            const int row = ((hex.row % kRows) + kRows) % kRows;
            const float lit = raster::hash01(column, row, 7);
            if (lit > 0.9f) {
                color = raster::mix(color, kTeal, 0.18f);
            }
            // Grid lines glow brighter where the clouds are thick.
            const float line = 1.0f - raster::smoothstep(0.4f, 1.6f, hex.edgeDistance);
            const float lineStrength = 0.25f + 0.45f * raster::smoothstep(-0.2f, 0.9f, cloud);
            color = raster::mix(color, kCyan, line * lineStrength);
            background.setPixel(x, y, color);
        }
    }
    return assetgen::writeJpg(outDir, "textures/paused_background.jpg", kWidth, kHeight, 3, background.bytes(3), 92);
}

namespace {

// Nebula colour at a point of the panorama, u and v in 0..1.
Color nebulaAt(float u, float v) {
    const float aspect = 1.78f;
    const float wx = raster::fbm(u * 2.0f * aspect, v * 2.0f, 11.0f, 3);
    const float wy = raster::fbm(u * 2.0f * aspect, v * 2.0f, 17.0f, 3);
    const float px = u * 3.0f * aspect + wx * 0.8f;
    const float py = v * 3.0f + wy * 0.8f;
    const float density = raster::fbm(px, py, 3.0f, 6);
    const float tint = raster::fbm(px * 0.5f, py * 0.5f, 7.0f, 3);
    // A broad band across the sky carries most of the gas.
    const float band = std::exp(-std::pow((v - 0.35f - 0.3f * u) / 0.32f, 2.0f));
    const float amount = raster::smoothstep(-0.3f, 0.9f, density) * (0.25f + 0.75f * band);
    Color gas = raster::mix(raster::hex(0x5a2c96), raster::hex(0x1b84a0), raster::smoothstep(-0.5f, 0.5f, tint));
    gas = raster::mix(gas, raster::hex(0xd07a34), raster::smoothstep(0.35f, 0.9f, density * band) * 0.7f);
    Color sky = raster::mix(raster::hex(0x02040a), raster::hex(0x08101e), v);
    sky = raster::mix(sky, gas, amount * 0.85f);
    // Dark dust lanes cut the brightest gas.
    const float dust = raster::smoothstep(0.2f, 0.7f, raster::fbm(px * 2.0f, py * 2.0f, 21.0f, 4));
    return raster::scaled(sky, 1.0f - 0.55f * dust * band);
}

void addStar(Image& image, vec2 centre, float radius, const Color& color, float brightness, bool spikes) {
    const int reach = static_cast<int>(std::ceil(radius * (spikes ? 14.0f : 3.0f)));
    for (int y = static_cast<int>(centre.y) - reach; y <= static_cast<int>(centre.y) + reach; ++y) {
        for (int x = static_cast<int>(centre.x) - reach; x <= static_cast<int>(centre.x) + reach; ++x) {
            const vec2 d = vec2(x + 0.5f, y + 0.5f) - centre;
            const float r2 = glm::dot(d, d);
            float light = gaussian(r2, radius) + 0.15f * gaussian(r2, radius * 4.0f);
            if (spikes) {
                light += 0.5f * gaussian(d.y * d.y, 0.6f) * gaussian(d.x * d.x, radius * 12.0f);
                light += 0.5f * gaussian(d.x * d.x, 0.6f) * gaussian(d.y * d.y, radius * 12.0f);
            }
            if (light > 0.003f) {
                image.add(x, y, color, light * brightness);
            }
        }
    }
}

Color starColour(float temperature) {
    if (temperature < 0.15f) {
        return raster::hex(0xffb27a);
    }
    if (temperature < 0.35f) {
        return raster::hex(0xfff0d0);
    }
    if (temperature < 0.8f) {
        return raster::hex(0xffffff);
    }
    return raster::hex(0xb8d4ff);
}

}  // namespace

bool writeStarPanorama(const std::string& outDir) {
    // Only a 0.75 window of the picture fills the 1280 x 720 window, so it is drawn 4/3 as large.
    constexpr int kWidth = 1708;
    constexpr int kHeight = 960;
    constexpr int kNebulaStep = 2;
    constexpr int kFaintStars = 5200;
    constexpr int kBrightStars = 36;
    const int gridWidth = kWidth / kNebulaStep + 2;
    const int gridHeight = kHeight / kNebulaStep + 2;
    // The gas changes slowly: sample it on a coarser grid and interpolate.
    std::vector<Color> gas(static_cast<size_t>(gridWidth) * gridHeight);
    for (int gy = 0; gy < gridHeight; ++gy) {
        for (int gx = 0; gx < gridWidth; ++gx) {
            gas[static_cast<size_t>(gy) * gridWidth + gx] =
                nebulaAt(gx * kNebulaStep / float(kWidth), gy * kNebulaStep / float(kHeight));
        }
    }
    Image sky(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float fx = (x + 0.5f) / kNebulaStep;
            const float fy = (y + 0.5f) / kNebulaStep;
            const int ix = std::min(gridWidth - 2, static_cast<int>(fx));
            const int iy = std::min(gridHeight - 2, static_cast<int>(fy));
            const float tx = fx - ix;
            const float ty = fy - iy;
            const Color top = raster::mix(gas[static_cast<size_t>(iy) * gridWidth + ix],
                                          gas[static_cast<size_t>(iy) * gridWidth + ix + 1], tx);
            const Color bottom = raster::mix(gas[static_cast<size_t>(iy + 1) * gridWidth + ix],
                                             gas[static_cast<size_t>(iy + 1) * gridWidth + ix + 1], tx);
            Color color = raster::mix(top, bottom, ty);
            color.a = 1.0f;
            sky.setPixel(x, y, color);
        }
    }
    for (int star = 0; star < kFaintStars; ++star) {
        const vec2 position(raster::hash01(star, 1) * kWidth, raster::hash01(star, 2) * kHeight);
        const float size = raster::hash01(star, 3);
        const float brightness = 0.25f + 0.9f * std::pow(size, 6.0f) + 0.2f * raster::hash01(star, 5);
        addStar(sky, position, 0.55f + 0.5f * size * size, starColour(raster::hash01(star, 4)), brightness, false);
    }
    for (int star = 0; star < kBrightStars; ++star) {
        const vec2 position(raster::hash01(star, 21) * kWidth, raster::hash01(star, 22) * kHeight);
        const float size = raster::hash01(star, 23);
        addStar(sky, position, 1.1f + 0.9f * size, starColour(raster::hash01(star, 24)), 0.9f + 0.6f * size, true);
    }
    return assetgen::writeJpg(outDir, "textures/104382.jpg", kWidth, kHeight, 3, sky.bytes(3), 92);
}

namespace {

// The icosphere's flat net: the twelve corners of the icosahedron, the net point of each of
// the 22 net vertices, and the 20 triangles, so that every texel maps back to the sphere.
struct NetVertex {
    int corner;
    float a;
    float b;
};

const NetVertex kNetVertices[22] = {
    {0, 1, 0},  {0, 3, 0},   {0, 5, 0}, {0, 7, 0},  {0, 9, 0}, {11, 2, 3}, {11, 4, 3}, {11, 6, 3},
    {11, 8, 3}, {11, 10, 3}, {1, 0, 1}, {1, 10, 1}, {6, 1, 2}, {6, 11, 2}, {2, 2, 1},  {3, 4, 1},
    {4, 6, 1},  {5, 8, 1},   {7, 3, 2}, {8, 5, 2},  {9, 7, 2}, {10, 9, 2},
};

const int kNetTriangles[20][3] = {
    {0, 10, 14},  {1, 14, 15},  {2, 15, 16},  {3, 16, 17},  {4, 17, 11},  {10, 12, 14}, {12, 18, 14},
    {14, 18, 15}, {18, 19, 15}, {15, 19, 16}, {19, 20, 16}, {16, 20, 17}, {20, 21, 17}, {17, 21, 11},
    {21, 13, 11}, {5, 18, 12},  {6, 19, 18},  {7, 20, 19},  {8, 21, 20},  {9, 13, 21},
};

std::vector<vec3> icosahedronCorners() {
    const float elevation = std::atan(0.5f);
    const float ringZ = std::sin(elevation);
    const float ringR = std::cos(elevation);
    std::vector<vec3> corners(12);
    corners[0] = vec3(0, 0, 1);
    corners[11] = vec3(0, 0, -1);
    for (int k = 0; k < 5; ++k) {
        const float upper = (-126.0f + 72.0f * k) * raster::kPi / 180.0f;
        const float lower = (-90.0f + 72.0f * k) * raster::kPi / 180.0f;
        corners[1 + k] = vec3(ringR * std::cos(upper), ringR * std::sin(upper), ringZ);
        corners[6 + k] = vec3(ringR * std::cos(lower), ringR * std::sin(lower), -ringZ);
    }
    return corners;
}

// The point of the unit sphere that a net point (a, b) shows; points off the net take the
// nearest triangle's closest point, so that the border texels blend in.
vec3 netPointToSphere(vec2 point, const std::vector<vec3>& corners) {
    float bestInside = -1e9f;
    vec3 best(0, 0, 1);
    for (const auto& triangle : kNetTriangles) {
        const NetVertex& p0 = kNetVertices[triangle[0]];
        const NetVertex& p1 = kNetVertices[triangle[1]];
        const NetVertex& p2 = kNetVertices[triangle[2]];
        const vec2 v0(p1.a - p0.a, p1.b - p0.b);
        const vec2 v1(p2.a - p0.a, p2.b - p0.b);
        const vec2 v2 = point - vec2(p0.a, p0.b);
        const float denominator = v0.x * v1.y - v1.x * v0.y;
        const float w1 = (v2.x * v1.y - v1.x * v2.y) / denominator;
        const float w2 = (v0.x * v2.y - v2.x * v0.y) / denominator;
        const float w0 = 1.0f - w1 - w2;
        const float inside = std::min(w0, std::min(w1, w2));
        if (inside > bestInside) {
            bestInside = inside;
            vec3 weights = glm::max(vec3(w0, w1, w2), vec3(0.0f));
            weights /= (weights.x + weights.y + weights.z);
            best = glm::normalize(corners[p0.corner] * weights.x + corners[p1.corner] * weights.y +
                                  corners[p2.corner] * weights.z);
        }
    }
    return best;
}

}  // namespace

bool writeEnergyMap(const std::string& outDir) {
    constexpr int kWidth = 2048;
    constexpr int kHeight = 1024;
    // One net cell is 186 x 322 texels.
    constexpr float kCellWidth = 186.0f;
    constexpr float kCellHeight = 322.0f;
    constexpr float kNoiseScale = 2.6f;
    const std::vector<vec3> corners = icosahedronCorners();
    Image energy(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const vec2 net((x + 0.5f) / kCellWidth, (y + 0.5f) / kCellHeight);
            const vec3 p = netPointToSphere(net, corners) * kNoiseScale;
            const float swirl = raster::fbm(p.x, p.y, p.z, 4, 0, 0, 5);
            const float filaments =
                1.0f - std::fabs(raster::fbm(p.x * 1.7f + swirl, p.y * 1.7f, p.z * 1.7f, 4, 0, 0, 6));
            const float heat = raster::clamp01(0.22f + 0.45f * swirl + 0.6f * std::pow(filaments, 5.0f));
            Color color;
            if (heat > 0.7f) {
                color = raster::mix(kAmberPale, kWhite, (heat - 0.7f) / 0.3f);
            } else if (heat > 0.4f) {
                color = raster::mix(kAmber, kAmberPale, (heat - 0.4f) / 0.3f);
            } else {
                color = raster::mix(raster::hex(0x8a1a0a), kAmber, heat / 0.4f);
            }
            color.a = 1.0f;
            energy.setPixel(x, y, color);
        }
    }
    return assetgen::writeJpg(outDir, "textures/sunmap.jpg", kWidth, kHeight, 3, energy.bytes(3), 92);
}

bool writeSun(const std::string& outDir) {
    constexpr int kSize = 512;
    constexpr float kDiscRadius = 170.0f;
    const vec2 centre(kSize * 0.5f);
    Image sun(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const vec2 d = vec2(x + 0.5f, y + 0.5f) - centre;
            const float r = glm::length(d) / kDiscRadius;
            const float angle = std::atan2(d.y, d.x);
            // Corona: streamers that fade with distance.
            const float streamers =
                0.6f + 0.4f * raster::fbm(std::cos(angle) * 3.0f + 10.0f, std::sin(angle) * 3.0f, r * 0.8f, 4, 0, 0, 8);
            const float corona = std::exp(-(r - 1.0f) * 3.2f) * streamers;
            Color color = raster::withAlpha(raster::mix(kAmber, kAmberPale, raster::clamp01(corona - 0.3f)),
                                            raster::clamp01(corona) * (1.0f - raster::smoothstep(1.9f, 2.4f, r)));
            if (r < 1.0f) {
                // Granulated disc, darker toward the limb.
                const float granules = raster::fbm(d.x / 9.0f, d.y / 9.0f, 2.0f, 3, 0, 0, 9);
                const float limb = std::sqrt(1.0f - r * r);
                const float heat = raster::clamp01(0.2f + 0.7f * limb + 0.25f * granules);
                const Color disc = heat < 0.6f ? raster::mix(raster::hex(0xd04a10), kAmber, heat / 0.6f)
                                               : raster::mix(kAmber, kAmberPale, (heat - 0.6f) / 0.4f);
                color = raster::mix(color, raster::withAlpha(disc, 1.0f), raster::clamp01((1.0f - r) * kDiscRadius));
            }
            sun.setPixel(x, y, color);
        }
    }
    sun.fadeEdges(24.0f, 24.0f, 24.0f, 24.0f);
    return assetgen::writePng(outDir, "textures/sun.png", kSize, kSize, 4, sun.bytes(4));
}

bool writeParticle(const std::string& outDir) {
    // Light for additive blending: colour and alpha both fall off, so the sprite stays round
    // whether the shader weighs by the colour or by the alpha.
    constexpr int kSize = 64;
    std::vector<uint8_t> pixels(static_cast<size_t>(kSize) * kSize * 4);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const vec2 d = (vec2(x + 0.5f, y + 0.5f) - vec2(kSize * 0.5f)) / (kSize * 0.5f);
            const float r2 = glm::dot(d, d);
            const float light = raster::clamp01((gaussian(r2, 0.45f) * 0.85f + gaussian(r2, 0.12f) * 0.15f) *
                                                (1.0f - raster::smoothstep(0.8f, 1.0f, r2)));
            const uint8_t value = static_cast<uint8_t>(std::lround(light * 255.0f));
            uint8_t* texel = &pixels[(static_cast<size_t>(y) * kSize + x) * 4];
            texel[0] = value;
            texel[1] = value;
            texel[2] = value;
            texel[3] = value;
        }
    }
    return assetgen::writeBmp(outDir, "textures/particle.bmp", kSize, kSize, 4, pixels);
}

}  // namespace hudart
