// Water and lava. The water square repeats its picture twice across and adds it onto the
// terrain, so the pictures are seamless, keep their darks dark (dark adds nothing) and put
// the light into ripple crests and caustic lines.
#include "AssetWriter.h"
#include "NatureNoise.h"
#include "NatureTextures.h"

#include <cmath>

namespace nature {
namespace {

constexpr int kLiquidSize = 512;

struct WaterLook {
    uint32_t seed;
    Rgb deep, shallow, crest;
};

// Ripple height and the bright web of light that waves focus on the bottom.
struct WaterSample {
    float ripple = 0.0f;
    float caustic = 0.0f;
};

WaterSample waterAt(float u, float v, uint32_t seed) {
    const float warpU = 0.08f * tiledFbm(u, v, 3, 3, 0.5f, seed + 1u);
    const float warpV = 0.08f * tiledFbm(u, v, 3, 3, 0.5f, seed + 2u);
    const float wu = u + warpU;
    const float wv = v + warpV;
    WaterSample sample;
    sample.ripple = 0.5f + 0.5f * tiledFbm(wu, wv, 6, 4, 0.55f, seed + 3u);
    const CellSample cells = tiledCells(wu, wv, 8, seed + 4u);
    const CellSample fine = tiledCells(wu, wv, 16, seed + 5u);
    sample.caustic = std::exp(-(cells.second - cells.nearest) / 0.06f) * 0.8f +
                     std::exp(-(fine.second - fine.nearest) / 0.05f) * 0.35f;
    return sample;
}

Rgb waterColour(const WaterLook& look, const WaterSample& sample) {
    Rgb colour = mix(look.deep, look.shallow, sample.ripple);
    return mix(colour, look.crest, clamp01(sample.caustic * (0.5f + 0.6f * sample.ripple)));
}

const WaterLook kBlueWater = {601u, hex(0x0E3A66), hex(0x2A78A8), hex(0xA8DCF0)};
const WaterLook kGreenWater = {701u, hex(0x0C3B30), hex(0x25705A), hex(0x9EE0B8)};

bool writeBlueWater(const std::string& outDir) {
    Image image(kLiquidSize, kLiquidSize, 3);
    forEachPixel(kLiquidSize, kLiquidSize, [&](int x, int y, float u, float v) {
        image.set(x, y, waterColour(kBlueWater, waterAt(u, v, kBlueWater.seed)));
    });
    return assetgen::writeJpg(outDir, "textures/water.jpg", image.width, image.height, 3, image.pixels, 90);
}

// The green water carries its own opacity: caustic lines and crests show most.
bool writeGreenWater(const std::string& outDir) {
    Image image(kLiquidSize, kLiquidSize, 4);
    forEachPixel(kLiquidSize, kLiquidSize, [&](int x, int y, float u, float v) {
        const WaterSample sample = waterAt(u, v, kGreenWater.seed);
        image.set(x, y, waterColour(kGreenWater, sample));
        image.setAlpha(x, y, 0.55f + 0.25f * sample.ripple + 0.2f * clamp01(sample.caustic));
    });
    return assetgen::writePng(outDir, "textures/water2.png", image.width, image.height, 4, image.pixels);
}

// Heat 0 (cold crust) to 1 (white-hot) through dark red, orange and yellow.
Rgb lavaRamp(float heat) {
    struct Stop {
        float at;
        Rgb colour;
    };
    const Stop stops[] = {{0.0f, hex(0x120908)},
                          {0.3f, hex(0x3A0E06)},
                          {0.55f, hex(0xB0300A)},
                          {0.78f, hex(0xF58A1C)},
                          {1.0f, hex(0xFFE27A)}};
    const float t = clamp01(heat);
    for (size_t i = 1; i < sizeof(stops) / sizeof(stops[0]); ++i) {
        if (t <= stops[i].at) {
            return mix(stops[i - 1].colour, stops[i].colour, (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
        }
    }
    return stops[4].colour;
}

// Plates of black crust drifting on molten rock that glows through the seams; the seams
// widen where the flow is hot, and here and there the crust has melted away into a pool.
float lavaHeat(float u, float v) {
    const float warpU = 0.06f * tiledFbm(u, v, 4, 3, 0.5f, 801u);
    const float warpV = 0.06f * tiledFbm(u, v, 4, 3, 0.5f, 802u);
    const CellSample plates = tiledCells(u + warpU, v + warpV, 6, 803u);
    const float flow = 0.5f + 0.5f * tiledFbm(u, v, 4, 5, 0.55f, 804u);
    const float crustGrain = 0.5f + 0.5f * tiledFbm(u, v, 32, 3, 0.5f, 805u);
    const float pools = smoothstep(0.6f, 0.72f, 0.5f + 0.5f * tiledFbm(u, v, 4, 4, 0.55f, 806u));
    const float seamWidth = 0.03f + 0.09f * flow;
    const float seam = std::exp(-(plates.second - plates.nearest) / seamWidth);
    // Some plates are thinner and still glow a dull red all over.
    const float plateWarmth = 0.18f * smoothstep(0.6f, 1.0f, hashUnit(plates.cellId));
    const float crustHeat = 0.1f * crustGrain + plateWarmth * (1.0f - 0.5f * plates.nearest);
    const float moltenHeat = 0.7f + 0.3f * flow;
    return std::max(std::max(crustHeat, seam * (0.7f + 0.4f * flow)), pools * moltenHeat);
}

bool writeLava(const std::string& outDir) {
    Image image(kLiquidSize, kLiquidSize, 3);
    forEachPixel(kLiquidSize, kLiquidSize,
                 [&](int x, int y, float u, float v) { image.set(x, y, lavaRamp(lavaHeat(u, v))); });
    return assetgen::writeJpg(outDir, "textures/lava.jpg", image.width, image.height, 3, image.pixels, 90);
}

}  // namespace

bool writeLiquidTextures(const std::string& outDir) {
    return writeBlueWater(outDir) && writeGreenWater(outDir) && writeLava(outDir);
}

}  // namespace nature
