// Small drawing kit for the image generators: a float RGBA canvas with source-over and
// additive compositing, anti-aliased shapes (signed distances with a one-pixel soft edge,
// supersampled polygons), gradients, blur for glows, tileable noise and TrueType text.
// Coordinates are pixels with y downward from the top row; pixel (x, y) has its centre at
// (x + 0.5, y + 0.5).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <stb_truetype.h>
#include <glm/glm.hpp>

namespace raster {

constexpr float kPi = 3.14159265358979f;

// Straight (not premultiplied) colour, every channel 0..1.
struct Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

// 0xRRGGBB with an alpha.
Color hex(uint32_t rgb, float alpha = 1.0f);
Color mix(const Color& from, const Color& to, float t);
Color withAlpha(const Color& color, float alpha);
Color scaled(const Color& color, float factor);  // brightness, alpha kept
float clamp01(float value);
float smoothstep(float edge0, float edge1, float value);

// Canvas kept premultiplied, so that blur and compositing need no fix-ups at the edges.
class Image {
public:
    Image(int width, int height, const Color& fill = Color{});
    int width() const { return width_; }
    int height() const { return height_; }

    Color pixel(int x, int y) const;                                      // straight colour
    void setPixel(int x, int y, const Color& color);                      // straight colour
    void blend(int x, int y, const Color& color, float coverage = 1.0f);  // source over
    void add(int x, int y, const Color& color, float amount = 1.0f);      // light: adds rgb and alpha
    // Every pixel of layer over this one (same size), weighted by opacity.
    void composite(const Image& layer, float opacity = 1.0f);
    void addLayer(const Image& layer, float amount = 1.0f);
    // Three box passes per axis, close to a Gaussian of the given radius; edges clamp,
    // or wrap when the image must tile.
    void blur(int radius, bool wrap = false);
    void multiplyAlpha(const std::function<float(float x, float y)>& factor);
    // Fades everything to clear over the given distance from each edge (0 leaves that edge),
    // so that glows and shadows never leave faint texels on a sprite's border.
    void fadeEdges(float left, float top, float right, float bottom);

    // 8-bit rows from the top; 3 channels drop alpha over black, 1 channel is luminance.
    std::vector<uint8_t> bytes(int channels) const;

private:
    float* at(int x, int y) { return &data_[(static_cast<size_t>(y) * width_ + x) * 4]; }
    const float* at(int x, int y) const { return &data_[(static_cast<size_t>(y) * width_ + x) * 4]; }
    void blurAxis(int radius, bool horizontal, bool wrap);

    int width_;
    int height_;
    std::vector<float> data_;  // premultiplied RGBA
};

// Colour of a point, for gradients and textured fills.
using Paint = std::function<Color(float x, float y)>;
Paint solid(const Color& color);
Paint linearGradient(glm::vec2 from, const Color& fromColor, glm::vec2 to, const Color& toColor);
Paint radialGradient(glm::vec2 centre, float radius, const Color& inner, const Color& outer);

// Signed distances: negative inside.
float sdCircle(glm::vec2 p, glm::vec2 centre, float radius);
float sdBox(glm::vec2 p, glm::vec2 centre, glm::vec2 halfSize, float cornerRadius);
float sdSegment(glm::vec2 p, glm::vec2 a, glm::vec2 b, float halfWidth);

// Covers the pixels of [x0, x1) x [y0, y1) where sdf < 0, with a soft edge one pixel wide.
void fillSdf(Image& image, int x0, int y0, int x1, int y1, const std::function<float(glm::vec2)>& sdf,
             const Paint& paint);
void fillCircle(Image& image, glm::vec2 centre, float radius, const Paint& paint);
void strokeCircle(Image& image, glm::vec2 centre, float radius, float width, const Paint& paint);
void fillRoundedRect(Image& image, glm::vec2 topLeft, glm::vec2 size, float cornerRadius, const Paint& paint);
void strokeRoundedRect(Image& image, glm::vec2 topLeft, glm::vec2 size, float cornerRadius, float width,
                       const Paint& paint);
void drawLine(Image& image, glm::vec2 a, glm::vec2 b, float width, const Paint& paint);
// Any simple or self-touching polygon (non-zero winding), 4 x 4 samples per pixel.
void fillPolygon(Image& image, const std::vector<glm::vec2>& points, const Paint& paint);
void strokePolygon(Image& image, const std::vector<glm::vec2>& points, float width, const Paint& paint);

// Fractal Perlin noise in about -1..1. With periods above 0 the noise repeats every
// periodX by periodY units of (x, y); each octave doubles the period, so it still tiles.
float fbm(float x, float y, float z, int octaves, int periodX = 0, int periodY = 0, int seed = 0);
// Deterministic hash of integers to 0..1, for scattering stars and sparks.
float hash01(uint32_t a, uint32_t b = 0, uint32_t c = 0);

// A TrueType font read whole from disk.
class TrueTypeFont {
public:
    bool load(const std::string& path);
    // Width of text at a pixel height (from the font's ascent to descent), letterSpacing added per gap.
    float textWidth(const std::string& text, float pixelHeight, float letterSpacing = 0.0f) const;
    // Height of a capital above the baseline at that pixel height.
    float capHeight(float pixelHeight) const;
    // Coverage of one character, tight to its ink, and its position relative to the pen on the baseline.
    struct Glyph {
        int width = 0;
        int height = 0;
        int offsetX = 0;
        int offsetY = 0;
        std::vector<uint8_t> coverage;
    };
    Glyph glyph(int codepoint, float scaleX, float scaleY, float shiftX = 0.0f, float shiftY = 0.0f) const;
    float scaleForPixelHeight(float pixelHeight) const;
    const stbtt_fontinfo& info() const { return info_; }

private:
    std::vector<unsigned char> bytes_;
    stbtt_fontinfo info_{};
};

// Draws text with its baseline at y, starting at x.
void drawText(Image& image, const TrueTypeFont& font, const std::string& text, float x, float baseline,
              float pixelHeight, const Paint& paint, float letterSpacing = 0.0f);
// Draws text centred on (centreX, y) where y is the middle of the capitals.
void drawTextCentred(Image& image, const TrueTypeFont& font, const std::string& text, float centreX, float capMiddleY,
                     float pixelHeight, const Paint& paint, float letterSpacing = 0.0f);

// The DejaVu faces the generators draw with.
std::string fontPath(const std::string& fileName);

}  // namespace raster
