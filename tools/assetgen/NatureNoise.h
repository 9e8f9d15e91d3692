// Noise, colour and image helpers of the nature textures. Everything is built on an integer
// hash with fixed seeds, so the pictures come out byte for byte the same on every run. The
// "tiled" functions repeat over the unit square, which keeps the ground and water maps
// seamless when a tile repeats them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Raster.h"

namespace nature {

constexpr float kPi = 3.14159265f;

// A well mixed 32-bit hash of two or three lattice coordinates and a seed.
uint32_t hash(int x, int y, uint32_t seed);
uint32_t hash(int x, int y, int z, uint32_t seed);

// The hash mapped to [0, 1).
float hashUnit(uint32_t h);

// Shaped as the interface art shapes its values.
using raster::clamp01;
using raster::smoothstep;
float mix(float a, float b, float t);

// Gradient noise in about [-1, 1] on a lattice of `period` cells across the unit square,
// repeating with period 1 in u and v.
float tiledNoise(float u, float v, int period, uint32_t seed);

// Sum of `octaves` layers of tiledNoise, each with twice the period and `gain` times the
// amplitude of the one before; normalised to about [-1, 1].
float tiledFbm(float u, float v, int period, int octaves, float gain, uint32_t seed);

// Cellular (Worley) distances on a `period` x `period` grid of jittered points that repeats
// over the unit square; distances are in cell units.
struct CellSample {
    float nearest = 0.0f;  // distance to the closest point
    float second = 0.0f;   // distance to the second closest point
    uint32_t cellId = 0;   // hash of the closest point's cell, to colour cells apart
};
CellSample tiledCells(float u, float v, int period, uint32_t seed);

// Plain (non-repeating) gradient noise in 2D and 3D, for the sky.
float noise2(float x, float y, uint32_t seed);
float noise3(float x, float y, float z, uint32_t seed);
float fbm2(float x, float y, int octaves, float gain, uint32_t seed);
float fbm3(float x, float y, float z, int octaves, float gain, uint32_t seed);

struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};
Rgb mix(const Rgb& a, const Rgb& b, float t);
Rgb scale(const Rgb& colour, float factor);
Rgb add(const Rgb& a, const Rgb& b);
// 0xRRGGBB as a colour with channels in [0, 1].
Rgb hex(uint32_t rgb);

// A square single-channel field of floats, addressed with wrap-around.
struct Field {
    int size = 0;
    std::vector<float> values;

    explicit Field(int fieldSize) : size(fieldSize), values(static_cast<size_t>(fieldSize) * fieldSize, 0.0f) {}
    float& at(int x, int y) { return values[static_cast<size_t>(y) * size + x]; }
    float wrapped(int x, int y) const {
        return values[static_cast<size_t>((y % size + size) % size) * size + (x % size + size) % size];
    }
};

// 8-bit pixel buffer, rows from the top, as the image writers take it.
struct Image {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;

    Image(int imageWidth, int imageHeight, int imageChannels)
        : width(imageWidth),
          height(imageHeight),
          channels(imageChannels),
          pixels(static_cast<size_t>(imageWidth) * imageHeight * imageChannels, 0) {}
    void set(int x, int y, const Rgb& colour);
    void setAlpha(int x, int y, float alpha);
    void setGrey(int x, int y, float grey);
};

// Tangent-space normal map of a wrapping height field (heights in texels of the field),
// OpenGL convention: red along +u, green along +v (up the picture), blue out of the surface.
Image normalMapFromHeights(const Field& heights, float strength);

// Runs body(row) for every row in 0..rows-1 on a few threads; rows are independent, so the
// result does not depend on how they were shared out.
void forEachRow(int rows, void (*body)(int row, void* context), void* context);

template <typename Body>
void forEachRow(int rows, Body& body) {
    forEachRow(
        rows, [](int row, void* context) { (*static_cast<Body*>(context))(row); }, &body);
}

// Calls paint(x, y, u, v) for every pixel of a width x height picture, u = x / width and
// v = y / height, the rows shared out as forEachRow does.
template <typename Paint>
void forEachPixel(int width, int height, Paint paint) {
    auto paintRow = [&](int y) {
        for (int x = 0; x < width; ++x) {
            paint(x, y, static_cast<float>(x) / static_cast<float>(width),
                  static_cast<float>(y) / static_cast<float>(height));
        }
    };
    forEachRow(height, paintRow);
}

}  // namespace nature
