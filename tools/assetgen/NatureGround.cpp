// The ground of the planets: one set of diffuse, normal and specular maps per ground type.
// A terrain tile repeats each map 50 times, so every feature comes from noise that repeats
// over the picture, and the largest features are kept small and soft: a big blotch would
// show as a grid of copies across the landscape.
#include "AssetWriter.h"
#include "NatureNoise.h"
#include "NatureTextures.h"

#include <cmath>

namespace nature {
namespace {

constexpr int kGroundSize = 512;

struct GroundSample {
    float height = 0.0f;  // 0 low to 1 high
    Rgb colour;
    float specular = 0.0f;
};

// Fine grain shared by all ground types: breaks up flat areas at the scale of a texel.
float grain(float u, float v, uint32_t seed) {
    return tiledNoise(u, v, 256, seed);
}

// Grass with darker clumps, olive moss patches and a few dry stalks.
GroundSample grassAndMoss(float u, float v) {
    const float clumps = 0.5f + 0.5f * tiledFbm(u, v, 8, 5, 0.55f, 101u);
    const float moss = smoothstep(0.1f, 0.35f, tiledFbm(u, v, 6, 4, 0.5f, 102u));
    const float blades = 0.5f + 0.5f * tiledFbm(u, v, 64, 3, 0.6f, 103u);
    const float stalks = smoothstep(0.55f, 0.75f, tiledNoise(u, v, 96, 104u) * tiledNoise(u, v, 48, 105u) * 3.0f);

    GroundSample sample;
    sample.height = 0.45f * clumps + 0.35f * blades + 0.2f * (0.5f + 0.5f * grain(u, v, 106u)) - 0.15f * moss;
    Rgb grass = mix(hex(0x3E6B2C), hex(0x6F9A3C), clumps * 0.8f + blades * 0.2f);
    grass = mix(grass, hex(0x7C8A3A), moss * 0.5f);
    grass = mix(grass, hex(0xA6A05A), stalks * 0.6f);
    sample.colour = scale(grass, 0.82f + 0.28f * sample.height);
    sample.specular = 0.08f + 0.1f * blades * (1.0f - moss);
    return sample;
}

// Rippled sand with scattered red desert stones half buried in it.
constexpr float kStoneShare = 0.1f;  // share of the stone grid's cells that hold a stone
GroundSample sandAndStones(float u, float v) {
    const float warp = tiledFbm(u, v, 4, 3, 0.5f, 201u);
    // Whole-number wave counts keep the ripples continuous across the picture's borders.
    const float ripple = 0.5f + 0.5f * std::sin(2.0f * kPi * (10.0f * u + 2.0f * v + 1.5f * warp));
    const float tone = 0.5f + 0.5f * tiledFbm(u, v, 6, 3, 0.5f, 202u);
    const CellSample stones = tiledCells(u, v, 20, 203u);
    const float stoneChance = hashUnit(stones.cellId);
    const float stoneSize = 0.18f + 0.25f * hashUnit(stones.cellId * 747796405u + 1u);
    const float stone =
        stoneChance < kStoneShare ? 1.0f - smoothstep(stoneSize - 0.06f, stoneSize, stones.nearest) : 0.0f;
    const float speck = smoothstep(0.8f, 0.95f, 0.5f + 0.5f * grain(u, v, 204u));

    const float sandHeight = 0.3f * ripple + 0.05f * (0.5f + 0.5f * grain(u, v, 205u));
    const float rise = std::max(0.0f, 1.0f - stones.nearest / stoneSize);
    // Domes that start at the sand's mean height, so the stones rise out of it without a step.
    const float stoneHeight = 0.2f + 0.45f * rise * (2.0f - rise);

    GroundSample sample;
    sample.height = stoneChance < kStoneShare ? std::max(sandHeight, stoneHeight) : sandHeight;
    const Rgb sand = mix(hex(0xC8975C), hex(0xDCB47C), ripple * 0.55f + 0.45f * tone);
    const Rgb rock = mix(hex(0x8E5234), hex(0xA8683F), hashUnit(stones.cellId * 2891336453u + 3u));
    // Stones sit in a faint shadow ring on the sand.
    const float ring =
        stoneChance < kStoneShare ? 1.0f - smoothstep(stoneSize, stoneSize + 0.1f, stones.nearest) : 0.0f;
    sample.colour = mix(scale(sand, 1.0f - 0.15f * ring), scale(rock, 0.8f + 0.3f * stoneHeight), stone);
    sample.colour = mix(sample.colour, hex(0xF0D8A8), speck * 0.25f * (1.0f - stone));
    sample.specular = mix(0.1f + 0.45f * speck, 0.22f, stone);
    return sample;
}

// Soft wind-blown snow with patches of blue ice showing through and glittering crystals.
GroundSample snowAndIce(float u, float v) {
    const float drifts = 0.5f + 0.5f * tiledFbm(u, v, 6, 5, 0.5f, 301u);
    const float iceMask = smoothstep(0.2f, 0.32f, tiledFbm(u, v, 10, 3, 0.5f, 302u));
    const CellSample cells = tiledCells(u, v, 12, 303u);
    const float crack = 1.0f - smoothstep(0.015f, 0.05f, cells.second - cells.nearest);
    const float glitter = smoothstep(0.86f, 0.97f, 0.5f + 0.5f * grain(u, v, 304u));
    const float depthTone = 0.5f + 0.5f * tiledFbm(u, v, 12, 3, 0.5f, 305u);

    const float snowHeight = 0.6f * drifts + 0.15f * (0.5f + 0.5f * tiledFbm(u, v, 32, 3, 0.5f, 306u));
    const float iceHeight = 0.35f - 0.1f * crack;

    GroundSample sample;
    sample.height = mix(snowHeight, iceHeight, iceMask);
    const Rgb snow = mix(hex(0xCAD8E6), hex(0xF2F6FA), smoothstep(0.2f, 0.8f, drifts));
    Rgb ice = mix(hex(0xA8CCE0), hex(0xC4DEEC), depthTone);
    ice = mix(ice, hex(0xE8F4FA), crack * 0.7f);
    sample.colour = mix(snow, ice, iceMask);
    sample.colour = mix(sample.colour, hex(0xFFFFFF), glitter * 0.5f);
    sample.specular = mix(0.3f + 0.6f * glitter, 0.75f - 0.3f * crack, iceMask);
    return sample;
}

// Dark basalt broken into column tops, with ash settled in the hollows and a faint glow
// deep in some cracks.
GroundSample basaltAndAsh(float u, float v) {
    const CellSample cells = tiledCells(u, v, 9, 501u);
    const float crack = 1.0f - smoothstep(0.03f, 0.1f, cells.second - cells.nearest);
    const float columnTop = hashUnit(cells.cellId);
    const float ash = smoothstep(0.0f, 0.25f, tiledFbm(u, v, 4, 4, 0.5f, 502u));
    const float roughness = 0.5f + 0.5f * tiledFbm(u, v, 32, 3, 0.55f, 503u);
    const float ember = crack * smoothstep(0.55f, 0.8f, 0.5f + 0.5f * tiledFbm(u, v, 6, 3, 0.5f, 504u)) * (1.0f - ash);

    const float rockHeight = 0.5f + 0.25f * columnTop + 0.12f * roughness - 0.45f * crack;
    const float ashHeight = 0.35f + 0.05f * (0.5f + 0.5f * grain(u, v, 505u));

    GroundSample sample;
    sample.height = mix(rockHeight, std::max(rockHeight, ashHeight), ash);
    Rgb basalt = mix(hex(0x2A2829), hex(0x423D3C), columnTop * 0.6f + roughness * 0.4f);
    basalt = mix(basalt, hex(0x121011), crack * 0.9f);
    // Ash drifted into the cracks lies in their shadow.
    const Rgb ashColour =
        scale(mix(hex(0x5A5552), hex(0x6E6964), 0.5f + 0.5f * grain(u, v, 506u)), 1.0f - 0.4f * crack);
    sample.colour = mix(basalt, ashColour, ash * smoothstep(0.0f, 0.1f, ashHeight - rockHeight + 0.1f));
    sample.colour = mix(sample.colour, hex(0x8A2A10), ember * 0.7f);
    sample.specular = mix(0.25f + 0.2f * roughness * (1.0f - crack), 0.04f, ash);
    return sample;
}

struct GroundType {
    const char* prefix;  // "textures/p1" ...
    GroundSample (*sample)(float u, float v);
    float bumpiness;  // strength of the normal map
};

const GroundType kGroundTypes[] = {
    {"textures/p1", grassAndMoss, 8.0f},
    {"textures/p2", sandAndStones, 12.0f},
    {"textures/p3", snowAndIce, 8.0f},
    {"textures/p5", basaltAndAsh, 12.0f},
};

bool writeGround(const std::string& outDir, const GroundType& type) {
    Field heights(kGroundSize);
    Image diffuse(kGroundSize, kGroundSize, 3);
    Image specular(kGroundSize, kGroundSize, 1);
    forEachPixel(kGroundSize, kGroundSize, [&](int x, int y, float u, float v) {
        const GroundSample sample = type.sample(u, v);
        heights.at(x, y) = sample.height;
        diffuse.set(x, y, sample.colour);
        specular.setGrey(x, y, sample.specular);
    });
    const Image normals = normalMapFromHeights(heights, type.bumpiness);
    const std::string prefix = type.prefix;
    return assetgen::writePng(outDir, prefix + "_diffuse_map.png", diffuse.width, diffuse.height, 3, diffuse.pixels) &&
           assetgen::writePng(outDir, prefix + "_normal_map.png", normals.width, normals.height, 3, normals.pixels) &&
           assetgen::writePng(outDir, prefix + "_specular_map.png", specular.width, specular.height, 1,
                              specular.pixels);
}

}  // namespace

bool writeGroundTextures(const std::string& outDir) {
    for (const GroundType& type : kGroundTypes) {
        if (!writeGround(outDir, type)) {
            return false;
        }
    }
    return true;
}

}  // namespace nature
