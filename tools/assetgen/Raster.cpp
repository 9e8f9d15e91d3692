#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <stb_perlin.h>

namespace raster {

Color hex(uint32_t rgb, float alpha) {
    return Color{((rgb >> 16) & 0xff) / 255.0f, ((rgb >> 8) & 0xff) / 255.0f, (rgb & 0xff) / 255.0f, alpha};
}

Color mix(const Color& from, const Color& to, float t) {
    return Color{from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
                 from.a + (to.a - from.a) * t};
}

Color withAlpha(const Color& color, float alpha) {
    return Color{color.r, color.g, color.b, alpha};
}

Color scaled(const Color& color, float factor) {
    return Color{color.r * factor, color.g * factor, color.b * factor, color.a};
}

float clamp01(float value) {
    return std::min(1.0f, std::max(0.0f, value));
}

float smoothstep(float edge0, float edge1, float value) {
    const float t = clamp01((value - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

Image::Image(int width, int height, const Color& fill)
    : width_(width), height_(height), data_(static_cast<size_t>(width) * height * 4) {
    for (size_t i = 0; i < data_.size(); i += 4) {
        data_[i] = fill.r * fill.a;
        data_[i + 1] = fill.g * fill.a;
        data_[i + 2] = fill.b * fill.a;
        data_[i + 3] = fill.a;
    }
}

Color Image::pixel(int x, int y) const {
    const float* p = at(x, y);
    if (p[3] <= 0.0f) {
        return Color{};
    }
    return Color{p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void Image::setPixel(int x, int y, const Color& color) {
    float* p = at(x, y);
    p[0] = color.r * color.a;
    p[1] = color.g * color.a;
    p[2] = color.b * color.a;
    p[3] = color.a;
}

void Image::blend(int x, int y, const Color& color, float coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    const float alpha = clamp01(color.a * coverage);
    float* p = at(x, y);
    const float keep = 1.0f - alpha;
    p[0] = color.r * alpha + p[0] * keep;
    p[1] = color.g * alpha + p[1] * keep;
    p[2] = color.b * alpha + p[2] * keep;
    p[3] = alpha + p[3] * keep;
}

void Image::add(int x, int y, const Color& color, float amount) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    const float alpha = color.a * amount;
    float* p = at(x, y);
    p[0] += color.r * alpha;
    p[1] += color.g * alpha;
    p[2] += color.b * alpha;
    p[3] = std::min(1.0f, p[3] + alpha);
}

void Image::composite(const Image& layer, float opacity) {
    for (size_t i = 0; i < data_.size() && i < layer.data_.size(); i += 4) {
        const float keep = 1.0f - clamp01(layer.data_[i + 3] * opacity);
        for (int c = 0; c < 4; ++c) {
            data_[i + c] = layer.data_[i + c] * opacity + data_[i + c] * keep;
        }
    }
}

void Image::addLayer(const Image& layer, float amount) {
    for (size_t i = 0; i < data_.size() && i < layer.data_.size(); i += 4) {
        for (int c = 0; c < 3; ++c) {
            data_[i + c] += layer.data_[i + c] * amount;
        }
        data_[i + 3] = std::min(1.0f, data_[i + 3] + layer.data_[i + 3] * amount);
    }
}

void Image::blurAxis(int radius, bool horizontal, bool wrap) {
    const int length = horizontal ? width_ : height_;
    const int lines = horizontal ? height_ : width_;
    const float norm = 1.0f / (2 * radius + 1);
    std::vector<float> line(static_cast<size_t>(length) * 4);
    for (int l = 0; l < lines; ++l) {
        auto sample = [&](int i) -> const float* {
            if (wrap) {
                i = ((i % length) + length) % length;
            } else {
                i = std::min(length - 1, std::max(0, i));
            }
            return horizontal ? at(i, l) : at(l, i);
        };
        float sum[4] = {0, 0, 0, 0};
        for (int i = -radius; i <= radius; ++i) {
            const float* p = sample(i);
            for (int c = 0; c < 4; ++c) {
                sum[c] += p[c];
            }
        }
        for (int i = 0; i < length; ++i) {
            for (int c = 0; c < 4; ++c) {
                line[static_cast<size_t>(i) * 4 + c] = sum[c] * norm;
            }
            const float* incoming = sample(i + radius + 1);
            const float* outgoing = sample(i - radius);
            for (int c = 0; c < 4; ++c) {
                sum[c] += incoming[c] - outgoing[c];
            }
        }
        for (int i = 0; i < length; ++i) {
            float* p = horizontal ? at(i, l) : at(l, i);
            std::copy_n(&line[static_cast<size_t>(i) * 4], 4, p);
        }
    }
}

void Image::blur(int radius, bool wrap) {
    if (radius <= 0) {
        return;
    }
    // Three box passes of a third of the radius each approximate a Gaussian.
    const int box = std::max(1, radius / 2);
    for (int pass = 0; pass < 3; ++pass) {
        blurAxis(box, true, wrap);
        blurAxis(box, false, wrap);
    }
}

void Image::multiplyAlpha(const std::function<float(float x, float y)>& factor) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const float f = clamp01(factor(x + 0.5f, y + 0.5f));
            float* p = at(x, y);
            for (int c = 0; c < 4; ++c) {
                p[c] *= f;
            }
        }
    }
}

void Image::fadeEdges(float left, float top, float right, float bottom) {
    auto ramp = [](float distance, float width) { return width > 0.0f ? clamp01((distance - 1.0f) / width) : 1.0f; };
    multiplyAlpha([&](float x, float y) {
        return ramp(x, left) * ramp(y, top) * ramp(width_ - x, right) * ramp(height_ - y, bottom);
    });
}

std::vector<uint8_t> Image::bytes(int channels) const {
    std::vector<uint8_t> out(static_cast<size_t>(width_) * height_ * channels);
    auto toByte = [](float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); };
    for (size_t i = 0, o = 0; i < data_.size(); i += 4, o += channels) {
        const float alpha = clamp01(data_[i + 3]);
        if (channels == 4) {
            // Transparent texels keep a zero colour; visible ones are un-premultiplied.
            const float inv = alpha > 0.0f ? 1.0f / alpha : 0.0f;
            for (int c = 0; c < 3; ++c) {
                out[o + c] = toByte(data_[i + c] * inv);
            }
            out[o + 3] = toByte(alpha);
        } else if (channels == 3) {
            for (int c = 0; c < 3; ++c) {
                out[o + c] = toByte(data_[i + c]);
            }
        } else if (channels == 2) {
            const float inv = alpha > 0.0f ? 1.0f / alpha : 0.0f;
            out[o] = toByte((0.299f * data_[i] + 0.587f * data_[i + 1] + 0.114f * data_[i + 2]) * inv);
            out[o + 1] = toByte(alpha);
        } else {
            out[o] = toByte(0.299f * data_[i] + 0.587f * data_[i + 1] + 0.114f * data_[i + 2]);
        }
    }
    return out;
}

Paint solid(const Color& color) {
    return [color](float, float) { return color; };
}

Paint linearGradient(glm::vec2 from, const Color& fromColor, glm::vec2 to, const Color& toColor) {
    const glm::vec2 axis = to - from;
    const float lengthSquared = std::max(1e-6f, glm::dot(axis, axis));
    return [=](float x, float y) {
        const float t = clamp01(glm::dot(glm::vec2(x, y) - from, axis) / lengthSquared);
        return mix(fromColor, toColor, t);
    };
}

Paint radialGradient(glm::vec2 centre, float radius, const Color& inner, const Color& outer) {
    return [=](float x, float y) { return mix(inner, outer, clamp01(glm::length(glm::vec2(x, y) - centre) / radius)); };
}

float sdCircle(glm::vec2 p, glm::vec2 centre, float radius) {
    return glm::length(p - centre) - radius;
}

float sdBox(glm::vec2 p, glm::vec2 centre, glm::vec2 halfSize, float cornerRadius) {
    const glm::vec2 q = glm::abs(p - centre) - halfSize + glm::vec2(cornerRadius);
    return glm::length(glm::max(q, glm::vec2(0.0f))) + std::min(std::max(q.x, q.y), 0.0f) - cornerRadius;
}

float sdSegment(glm::vec2 p, glm::vec2 a, glm::vec2 b, float halfWidth) {
    const glm::vec2 pa = p - a;
    const glm::vec2 ba = b - a;
    const float h = clamp01(glm::dot(pa, ba) / std::max(1e-6f, glm::dot(ba, ba)));
    return glm::length(pa - ba * h) - halfWidth;
}

void fillSdf(Image& image, int x0, int y0, int x1, int y1, const std::function<float(glm::vec2)>& sdf,
             const Paint& paint) {
    x0 = std::max(0, x0);
    y0 = std::max(0, y0);
    x1 = std::min(image.width(), x1);
    y1 = std::min(image.height(), y1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const glm::vec2 p(x + 0.5f, y + 0.5f);
            const float coverage = clamp01(0.5f - sdf(p));
            if (coverage > 0.0f) {
                image.blend(x, y, paint(p.x, p.y), coverage);
            }
        }
    }
}

namespace {

// Bounds of a shape grown by a margin, as whole pixels.
struct Bounds {
    int x0, y0, x1, y1;
};

Bounds boundsAround(glm::vec2 lo, glm::vec2 hi, float margin) {
    return Bounds{static_cast<int>(std::floor(lo.x - margin)), static_cast<int>(std::floor(lo.y - margin)),
                  static_cast<int>(std::ceil(hi.x + margin)) + 1, static_cast<int>(std::ceil(hi.y + margin)) + 1};
}

}  // namespace

void fillCircle(Image& image, glm::vec2 centre, float radius, const Paint& paint) {
    const Bounds b = boundsAround(centre - radius, centre + radius, 2.0f);
    fillSdf(
        image, b.x0, b.y0, b.x1, b.y1, [&](glm::vec2 p) { return sdCircle(p, centre, radius); }, paint);
}

void strokeCircle(Image& image, glm::vec2 centre, float radius, float width, const Paint& paint) {
    const Bounds b = boundsAround(centre - radius, centre + radius, width + 2.0f);
    fillSdf(
        image, b.x0, b.y0, b.x1, b.y1,
        [&](glm::vec2 p) { return std::fabs(sdCircle(p, centre, radius)) - width * 0.5f; }, paint);
}

void fillRoundedRect(Image& image, glm::vec2 topLeft, glm::vec2 size, float cornerRadius, const Paint& paint) {
    const glm::vec2 half = size * 0.5f;
    const glm::vec2 centre = topLeft + half;
    const Bounds b = boundsAround(topLeft, topLeft + size, 2.0f);
    fillSdf(
        image, b.x0, b.y0, b.x1, b.y1, [&](glm::vec2 p) { return sdBox(p, centre, half, cornerRadius); }, paint);
}

void strokeRoundedRect(Image& image, glm::vec2 topLeft, glm::vec2 size, float cornerRadius, float width,
                       const Paint& paint) {
    const glm::vec2 half = size * 0.5f;
    const glm::vec2 centre = topLeft + half;
    const Bounds b = boundsAround(topLeft, topLeft + size, width + 2.0f);
    fillSdf(
        image, b.x0, b.y0, b.x1, b.y1,
        [&](glm::vec2 p) { return std::fabs(sdBox(p, centre, half, cornerRadius)) - width * 0.5f; }, paint);
}

void drawLine(Image& image, glm::vec2 a, glm::vec2 b, float width, const Paint& paint) {
    const Bounds bounds = boundsAround(glm::min(a, b), glm::max(a, b), width + 2.0f);
    fillSdf(
        image, bounds.x0, bounds.y0, bounds.x1, bounds.y1,
        [&](glm::vec2 p) { return sdSegment(p, a, b, width * 0.5f); }, paint);
}

namespace {

int windingNumber(const std::vector<glm::vec2>& points, glm::vec2 p) {
    int winding = 0;
    const size_t count = points.size();
    for (size_t i = 0; i < count; ++i) {
        const glm::vec2 a = points[i];
        const glm::vec2 b = points[(i + 1) % count];
        const float side = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
        if (a.y <= p.y) {
            if (b.y > p.y && side > 0.0f) {
                ++winding;
            }
        } else if (b.y <= p.y && side < 0.0f) {
            --winding;
        }
    }
    return winding;
}

}  // namespace

void fillPolygon(Image& image, const std::vector<glm::vec2>& points, const Paint& paint) {
    if (points.size() < 3) {
        return;
    }
    glm::vec2 lo = points[0];
    glm::vec2 hi = points[0];
    for (const glm::vec2& p : points) {
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }
    const int x0 = std::max(0, static_cast<int>(std::floor(lo.x)));
    const int y0 = std::max(0, static_cast<int>(std::floor(lo.y)));
    const int x1 = std::min(image.width(), static_cast<int>(std::ceil(hi.x)) + 1);
    const int y1 = std::min(image.height(), static_cast<int>(std::ceil(hi.y)) + 1);
    constexpr int kSamples = 4;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const glm::vec2 p(x + (sx + 0.5f) / kSamples, y + (sy + 0.5f) / kSamples);
                    inside += windingNumber(points, p) != 0 ? 1 : 0;
                }
            }
            if (inside > 0) {
                image.blend(x, y, paint(x + 0.5f, y + 0.5f), inside / float(kSamples * kSamples));
            }
        }
    }
}

void strokePolygon(Image& image, const std::vector<glm::vec2>& points, float width, const Paint& paint) {
    for (size_t i = 0; i < points.size(); ++i) {
        drawLine(image, points[i], points[(i + 1) % points.size()], width, paint);
    }
}

float fbm(float x, float y, float z, int octaves, int periodX, int periodY, int seed) {
    float sum = 0.0f;
    float amplitude = 1.0f;
    float frequency = 1.0f;
    float total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        const int wrapX = periodX > 0 ? static_cast<int>(periodX * frequency) : 0;
        const int wrapY = periodY > 0 ? static_cast<int>(periodY * frequency) : 0;
        const unsigned char octaveSeed = static_cast<unsigned char>(seed * 31 + octave * 7);
        sum += amplitude * stb_perlin_noise3_wrap_nonpow2(x * frequency, y * frequency, z * frequency + octave * 1.7f,
                                                          wrapX, wrapY, 0, octaveSeed);
        total += amplitude;
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum / total * 1.6f;
}

float hash01(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (h & 0xFFFFFFu) / float(0x1000000);
}

bool TrueTypeFont::load(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        fprintf(stderr, "assetgen: cannot open font %s\n", path.c_str());
        return false;
    }
    bytes_.clear();
    unsigned char buffer[65536];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0) {
        bytes_.insert(bytes_.end(), buffer, buffer + got);
    }
    fclose(file);
    if (bytes_.empty() || stbtt_InitFont(&info_, bytes_.data(), stbtt_GetFontOffsetForIndex(bytes_.data(), 0)) == 0) {
        fprintf(stderr, "assetgen: %s is not a TrueType font\n", path.c_str());
        return false;
    }
    return true;
}

float TrueTypeFont::scaleForPixelHeight(float pixelHeight) const {
    return stbtt_ScaleForPixelHeight(&info_, pixelHeight);
}

float TrueTypeFont::capHeight(float pixelHeight) const {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetCodepointBox(&info_, 'H', &x0, &y0, &x1, &y1);
    return y1 * scaleForPixelHeight(pixelHeight);
}

float TrueTypeFont::textWidth(const std::string& text, float pixelHeight, float letterSpacing) const {
    const float scale = scaleForPixelHeight(pixelHeight);
    float width = 0.0f;
    for (size_t i = 0; i < text.size(); ++i) {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info_, static_cast<unsigned char>(text[i]), &advance, &bearing);
        width += advance * scale;
        if (i + 1 < text.size()) {
            width += stbtt_GetCodepointKernAdvance(&info_, static_cast<unsigned char>(text[i]),
                                                   static_cast<unsigned char>(text[i + 1])) *
                         scale +
                     letterSpacing;
        }
    }
    return width;
}

TrueTypeFont::Glyph TrueTypeFont::glyph(int codepoint, float scaleX, float scaleY, float shiftX, float shiftY) const {
    Glyph glyph;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetCodepointBitmapBoxSubpixel(&info_, codepoint, scaleX, scaleY, shiftX, shiftY, &x0, &y0, &x1, &y1);
    glyph.width = x1 - x0;
    glyph.height = y1 - y0;
    glyph.offsetX = x0;
    glyph.offsetY = y0;
    if (glyph.width > 0 && glyph.height > 0) {
        glyph.coverage.assign(static_cast<size_t>(glyph.width) * glyph.height, 0);
        stbtt_MakeCodepointBitmapSubpixel(&info_, glyph.coverage.data(), glyph.width, glyph.height, glyph.width, scaleX,
                                          scaleY, shiftX, shiftY, codepoint);
    }
    return glyph;
}

void drawText(Image& image, const TrueTypeFont& font, const std::string& text, float x, float baseline,
              float pixelHeight, const Paint& paint, float letterSpacing) {
    const float scale = font.scaleForPixelHeight(pixelHeight);
    float pen = x;
    const int baselineRow = static_cast<int>(std::floor(baseline));
    const float shiftY = baseline - baselineRow;
    for (size_t i = 0; i < text.size(); ++i) {
        const int codepoint = static_cast<unsigned char>(text[i]);
        const int penColumn = static_cast<int>(std::floor(pen));
        const TrueTypeFont::Glyph g = font.glyph(codepoint, scale, scale, pen - penColumn, shiftY);
        for (int gy = 0; gy < g.height; ++gy) {
            for (int gx = 0; gx < g.width; ++gx) {
                const uint8_t c = g.coverage[static_cast<size_t>(gy) * g.width + gx];
                if (c == 0) {
                    continue;
                }
                const int px = penColumn + g.offsetX + gx;
                const int py = baselineRow + g.offsetY + gy;
                image.blend(px, py, paint(px + 0.5f, py + 0.5f), c / 255.0f);
            }
        }
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&font.info(), codepoint, &advance, &bearing);
        pen += advance * scale + letterSpacing;
        if (i + 1 < text.size()) {
            pen +=
                stbtt_GetCodepointKernAdvance(&font.info(), codepoint, static_cast<unsigned char>(text[i + 1])) * scale;
        }
    }
}

void drawTextCentred(Image& image, const TrueTypeFont& font, const std::string& text, float centreX, float capMiddleY,
                     float pixelHeight, const Paint& paint, float letterSpacing) {
    const float width = font.textWidth(text, pixelHeight, letterSpacing);
    const float baseline = capMiddleY + font.capHeight(pixelHeight) * 0.5f;
    drawText(image, font, text, centreX - width * 0.5f, baseline, pixelHeight, paint, letterSpacing);
}

std::string fontPath(const std::string& fileName) {
    return std::string(QUENLOW_FONT_DIR) + "/" + fileName;
}

}  // namespace raster
