#include "NatureNoise.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace nature {

uint32_t hash(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

uint32_t hash(int x, int y, int z, uint32_t seed) {
    return hash(x, y, seed ^ (static_cast<uint32_t>(z) * 0x27D4EB2Fu + 0x165667B1u));
}

float hashUnit(uint32_t h) {
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float mix(float a, float b, float t) {
    return a + (b - a) * t;
}

namespace {

// Quintic fade: continuous second derivative, so normal maps built from the noise show no
// creases along the lattice lines.
float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

// Gradients are picked from a fixed ring of directions: far cheaper than a sine and a
// cosine per lattice corner, and just as free of visible grid bias.
constexpr int kGradientCount = 32;

struct GradientRing {
    float x[kGradientCount];
    float y[kGradientCount];
    GradientRing() {
        for (int i = 0; i < kGradientCount; ++i) {
            const float angle = (static_cast<float>(i) + 0.5f) * 2.0f * kPi / kGradientCount;
            x[i] = std::cos(angle);
            y[i] = std::sin(angle);
        }
    }
};

float gradientDot(uint32_t h, float dx, float dy) {
    static const GradientRing ring;
    const uint32_t index = (h >> 11) % kGradientCount;
    return ring.x[index] * dx + ring.y[index] * dy;
}

int wrapIndex(int i, int period) {
    return ((i % period) + period) % period;
}

// Lattice noise with lattice coordinates reduced by `period` (0: no reduction).
float latticeNoise2(float x, float y, int period, uint32_t seed) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const float dx = x - fx;
    const float dy = y - fy;
    auto corner = [&](int ox, int oy) {
        const int cx = period > 0 ? wrapIndex(x0 + ox, period) : x0 + ox;
        const int cy = period > 0 ? wrapIndex(y0 + oy, period) : y0 + oy;
        return gradientDot(hash(cx, cy, seed), dx - static_cast<float>(ox), dy - static_cast<float>(oy));
    };
    const float sx = fade(dx);
    const float sy = fade(dy);
    const float bottom = mix(corner(0, 0), corner(1, 0), sx);
    const float top = mix(corner(0, 1), corner(1, 1), sx);
    // A unit gradient reaches about 0.7 at most; scale to about [-1, 1].
    return mix(bottom, top, sy) * 1.41f;
}

// The twelve cube-edge directions of classic 3D gradient noise.
float gradientDot3(uint32_t h, float dx, float dy, float dz) {
    switch (h % 12u) {
        case 0: return dx + dy;
        case 1: return -dx + dy;
        case 2: return dx - dy;
        case 3: return -dx - dy;
        case 4: return dx + dz;
        case 5: return -dx + dz;
        case 6: return dx - dz;
        case 7: return -dx - dz;
        case 8: return dy + dz;
        case 9: return -dy + dz;
        case 10: return dy - dz;
        default: return -dy - dz;
    }
}

// Sums `octaves` layers, each with `gain` times the amplitude of the one before, normalised
// by the total amplitude; layer(frequency, octave) is the noise of one layer, the frequency
// doubling from 1.
template <typename Layer>
float sumOctaves(int octaves, float gain, Layer layer) {
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    float frequency = 1.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * layer(frequency, octave);
        total += amplitude;
        amplitude *= gain;
        frequency *= 2.0f;
    }
    return sum / total;
}

uint32_t octaveSeed(uint32_t seed, int octave) {
    return seed + static_cast<uint32_t>(octave) * 101u;
}

}  // namespace

float tiledNoise(float u, float v, int period, uint32_t seed) {
    return latticeNoise2(u * static_cast<float>(period), v * static_cast<float>(period), period, seed);
}

float tiledFbm(float u, float v, int period, int octaves, float gain, uint32_t seed) {
    return sumOctaves(octaves, gain,
                      [&](float, int octave) { return tiledNoise(u, v, period << octave, octaveSeed(seed, octave)); });
}

CellSample tiledCells(float u, float v, int period, uint32_t seed) {
    const float x = u * static_cast<float>(period);
    const float y = v * static_cast<float>(period);
    const int cellX = static_cast<int>(std::floor(x));
    const int cellY = static_cast<int>(std::floor(y));
    CellSample sample;
    sample.nearest = 1e9f;
    sample.second = 1e9f;
    for (int oy = -2; oy <= 2; ++oy) {
        for (int ox = -2; ox <= 2; ++ox) {
            const int cx = cellX + ox;
            const int cy = cellY + oy;
            const uint32_t h = hash(wrapIndex(cx, period), wrapIndex(cy, period), seed);
            const float px = static_cast<float>(cx) + 0.1f + 0.8f * hashUnit(h);
            const float py = static_cast<float>(cy) + 0.1f + 0.8f * hashUnit(h * 0x2C1B3C6Du + 1u);
            const float distance = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (distance < sample.nearest) {
                sample.second = sample.nearest;
                sample.nearest = distance;
                sample.cellId = h;
            } else if (distance < sample.second) {
                sample.second = distance;
            }
        }
    }
    return sample;
}

float noise2(float x, float y, uint32_t seed) {
    return latticeNoise2(x, y, 0, seed);
}

float noise3(float x, float y, float z, uint32_t seed) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const float fz = std::floor(z);
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const int z0 = static_cast<int>(fz);
    const float dx = x - fx;
    const float dy = y - fy;
    const float dz = z - fz;
    auto corner = [&](int ox, int oy, int oz) {
        return gradientDot3(hash(x0 + ox, y0 + oy, z0 + oz, seed), dx - static_cast<float>(ox),
                            dy - static_cast<float>(oy), dz - static_cast<float>(oz));
    };
    const float sx = fade(dx);
    const float sy = fade(dy);
    const float sz = fade(dz);
    const float near = mix(mix(corner(0, 0, 0), corner(1, 0, 0), sx), mix(corner(0, 1, 0), corner(1, 1, 0), sx), sy);
    const float far = mix(mix(corner(0, 0, 1), corner(1, 0, 1), sx), mix(corner(0, 1, 1), corner(1, 1, 1), sx), sy);
    return mix(near, far, sz);
}

float fbm2(float x, float y, int octaves, float gain, uint32_t seed) {
    return sumOctaves(octaves, gain, [&](float frequency, int octave) {
        return noise2(x * frequency, y * frequency, octaveSeed(seed, octave));
    });
}

float fbm3(float x, float y, float z, int octaves, float gain, uint32_t seed) {
    return sumOctaves(octaves, gain, [&](float frequency, int octave) {
        return noise3(x * frequency, y * frequency, z * frequency, octaveSeed(seed, octave));
    });
}

Rgb mix(const Rgb& a, const Rgb& b, float t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}

Rgb scale(const Rgb& colour, float factor) {
    return {colour.r * factor, colour.g * factor, colour.b * factor};
}

Rgb add(const Rgb& a, const Rgb& b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

Rgb hex(uint32_t rgb) {
    return {static_cast<float>((rgb >> 16) & 0xFFu) / 255.0f, static_cast<float>((rgb >> 8) & 0xFFu) / 255.0f,
            static_cast<float>(rgb & 0xFFu) / 255.0f};
}

namespace {

uint8_t toByte(float value) {
    return static_cast<uint8_t>(std::lround(clamp01(value) * 255.0f));
}

}  // namespace

void Image::set(int x, int y, const Rgb& colour) {
    uint8_t* pixel = &pixels[(static_cast<size_t>(y) * width + x) * channels];
    pixel[0] = toByte(colour.r);
    pixel[1] = toByte(colour.g);
    pixel[2] = toByte(colour.b);
}

void Image::setAlpha(int x, int y, float alpha) {
    pixels[(static_cast<size_t>(y) * width + x) * channels + 3] = toByte(alpha);
}

void Image::setGrey(int x, int y, float grey) {
    pixels[(static_cast<size_t>(y) * width + x) * channels] = toByte(grey);
}

Image normalMapFromHeights(const Field& heights, float strength) {
    Image image(heights.size, heights.size, 3);
    for (int y = 0; y < heights.size; ++y) {
        for (int x = 0; x < heights.size; ++x) {
            const float slopeU = 0.5f * (heights.wrapped(x + 1, y) - heights.wrapped(x - 1, y));
            // Rows run down the picture while v runs up it.
            const float slopeV = 0.5f * (heights.wrapped(x, y - 1) - heights.wrapped(x, y + 1));
            float nx = -slopeU * strength;
            float ny = -slopeV * strength;
            float nz = 1.0f;
            const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
            nx /= length;
            ny /= length;
            nz /= length;
            image.set(x, y, {0.5f + 0.5f * nx, 0.5f + 0.5f * ny, 0.5f + 0.5f * nz});
        }
    }
    return image;
}

void forEachRow(int rows, void (*body)(int row, void* context), void* context) {
    const unsigned threadCount = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (unsigned worker = 0; worker < threadCount; ++worker) {
        threads.emplace_back([=] {
            for (int row = static_cast<int>(worker); row < rows; row += static_cast<int>(threadCount)) {
                body(row, context);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

}  // namespace nature
