// The interface pieces: title, buttons, life icon, compass needle, crosshair, the gun seen
// from behind and its muzzle flash. Pieces drawn over the world keep a transparent ground;
// buttons are drawn without blending, so they are opaque plates.
#include "AssetWriter.h"
#include "Generators.h"
#include "HudArt.h"

#include <cmath>
#include <cstdio>
#include <vector>

using glm::vec2;
using raster::Color;
using raster::Image;
using raster::Paint;

namespace hudart {

namespace {

bool writeRgba(const std::string& outDir, const std::string& entry, const Image& image) {
    return assetgen::writePng(outDir, entry, image.width(), image.height(), 4, image.bytes(4));
}

// Text drawn once as a soft halo and once crisp on top.
void glowingText(Image& image, const raster::TrueTypeFont& font, const std::string& text, vec2 centre,
                 float pixelHeight, float letterSpacing, const Color& glow, int glowRadius, float glowAmount,
                 const Paint& fill) {
    Image halo(image.width(), image.height());
    raster::drawTextCentred(halo, font, text, centre.x, centre.y, pixelHeight, raster::solid(glow), letterSpacing);
    halo.blur(glowRadius);
    image.addLayer(halo, glowAmount);
    raster::drawTextCentred(image, font, text, centre.x, centre.y, pixelHeight, fill, letterSpacing);
}

}  // namespace

bool writeLogo(const std::string& outDir, const raster::TrueTypeFont& titleFont) {
    constexpr int kWidth = 800;
    constexpr int kHeight = 175;
    constexpr float kTitleHeight = 122.0f;
    constexpr float kSpacing = 12.0f;
    const vec2 titleCentre(400.0f, 74.0f);
    Image logo(kWidth, kHeight);

    // A dark rim under the letters keeps them readable over bright ground.
    Image rim(kWidth, kHeight);
    raster::drawTextCentred(rim, titleFont, "QUENLOW", titleCentre.x, titleCentre.y + 3.0f, kTitleHeight,
                            raster::solid(kNavyDeep), kSpacing);
    rim.blur(6);
    logo.composite(rim, 1.0f);

    const float cap = titleFont.capHeight(kTitleHeight);
    const Paint titleFill = [&](float, float y) {
        const float t = raster::clamp01((y - (titleCentre.y - cap * 0.5f)) / cap);
        if (t < 0.5f) {
            return raster::mix(kWhite, kCyanPale, t * 2.0f);
        }
        return raster::mix(kCyan, kTeal, (t - 0.5f) * 2.0f);
    };
    glowingText(logo, titleFont, "QUENLOW", titleCentre, kTitleHeight, kSpacing, kCyan, 14, 0.9f, titleFill);

    // A thin line under the title, broken by a small ringed planet in the warm accent.
    const float lineY = 152.0f;
    const Paint fadeLeft =
        raster::linearGradient(vec2(110, lineY), raster::withAlpha(kCyan, 0.0f), vec2(360, lineY), kCyan);
    const Paint fadeRight =
        raster::linearGradient(vec2(690, lineY), raster::withAlpha(kCyan, 0.0f), vec2(440, lineY), kCyan);
    raster::drawLine(logo, vec2(110, lineY), vec2(372, lineY), 2.0f, fadeLeft);
    raster::drawLine(logo, vec2(428, lineY), vec2(690, lineY), 2.0f, fadeRight);
    const vec2 planet(400.0f, lineY);
    Image planetGlow(kWidth, kHeight);
    raster::fillCircle(planetGlow, planet, 12.0f, raster::solid(kAmber));
    planetGlow.blur(8);
    logo.addLayer(planetGlow, 0.8f);
    raster::fillCircle(logo, planet, 8.0f,
                       raster::radialGradient(planet - vec2(3, 3), 12.0f, kAmberPale, raster::hex(0xd0601a)));
    raster::fillSdf(
        logo, 370, 140, 430, 165,
        [&](vec2 p) {
            const vec2 q = (p - planet) / vec2(20.0f, 5.0f);
            const float ring = std::fabs(glm::length(q) - 1.0f) * 5.0f - 0.9f;
            // The ring passes behind the planet on its upper half.
            const bool hidden = p.y < planet.y && glm::length(p - planet) < 8.5f;
            return hidden ? 1.0f : ring;
        },
        raster::solid(kAmberPale));
    logo.fadeEdges(8.0f, 8.0f, 8.0f, 8.0f);
    return writeRgba(outDir, "textures/logo.png", logo);
}

namespace {

struct ButtonStyle {
    Color plateTop;
    Color plateBottom;
    Color frame;
    Color caption;
    Color glow;
    float glowAmount;
};

Image drawButton(const raster::TrueTypeFont& font, const std::string& caption, const ButtonStyle& style) {
    constexpr int kWidth = 206;
    constexpr int kHeight = 70;
    constexpr float kChamfer = 14.0f;
    constexpr float kInset = 4.0f;
    Image button(kWidth, kHeight, kNavyDeep);
    const float l = kInset, t = kInset, r = kWidth - kInset, b = kHeight - kInset;
    const std::vector<vec2> plate = {{l + kChamfer, t}, {r, t}, {r, b - kChamfer},
                                     {r - kChamfer, b}, {l, b}, {l, t + kChamfer}};
    raster::fillPolygon(button, plate,
                        raster::linearGradient(vec2(0, t), style.plateTop, vec2(0, b), style.plateBottom));
    // Fine horizontal scan lines give the glass some texture.
    for (int y = static_cast<int>(t) + 2; y < b; y += 3) {
        raster::drawLine(button, vec2(l + 2, y), vec2(r - 2, y), 1.0f,
                         raster::solid(raster::withAlpha(kWhite, 0.025f)));
    }
    Image frameGlow(kWidth, kHeight);
    raster::strokePolygon(frameGlow, plate, 2.0f, raster::solid(style.frame));
    frameGlow.blur(4);
    button.addLayer(frameGlow, 0.6f);
    raster::strokePolygon(button, plate, 2.0f, raster::solid(style.frame));
    // Corner ticks in the chamfered corners.
    raster::drawLine(button, vec2(l + 3, t + kChamfer - 4), vec2(l + kChamfer - 4, t + 3), 2.0f,
                     raster::solid(style.glow));
    raster::drawLine(button, vec2(r - 3, b - kChamfer + 4), vec2(r - kChamfer + 4, b - 3), 2.0f,
                     raster::solid(style.glow));
    glowingText(button, font, caption, vec2(kWidth * 0.5f, kHeight * 0.5f), 30.0f, 4.0f, style.glow, 5,
                style.glowAmount, raster::solid(style.caption));
    return button;
}

}  // namespace

bool writeButtons(const std::string& outDir, const raster::TrueTypeFont& captionFont) {
    const ButtonStyle normal{kNavyLight, kNavy, kTeal, kCyanPale, kCyan, 0.35f};
    const ButtonStyle hover{raster::hex(0x1f5a72), raster::hex(0x123246), kAmber, kWhite, kAmber, 0.7f};
    struct Caption {
        const char* text;
        const char* entry;
        const char* hoverEntry;
    };
    const Caption captions[] = {
        {"PLAY", "textures/play_button.png", "textures/play_button_hover.png"},
        {"EXIT", "textures/exit_button.png", "textures/exit_button_hover.png"},
        {"EXPLORE", "textures/explore_button.png", "textures/explore_button_hover.png"},
    };
    for (const Caption& caption : captions) {
        if (!writeRgba(outDir, caption.entry, drawButton(captionFont, caption.text, normal)) ||
            !writeRgba(outDir, caption.hoverEntry, drawButton(captionFont, caption.text, hover))) {
            return false;
        }
    }
    return true;
}

bool writeLifeIndicator(const std::string& outDir) {
    // An energy cell: a capsule with a cap on its right, lit from above.
    Image cell(48, 18);
    Image glow(48, 18);
    raster::fillRoundedRect(glow, vec2(3, 3), vec2(38, 12), 5.0f, raster::solid(kCyan));
    glow.blur(3);
    cell.addLayer(glow, 0.6f);
    raster::fillRoundedRect(cell, vec2(3, 3), vec2(38, 12), 5.0f, raster::solid(kNavyDeep));
    raster::fillRoundedRect(cell, vec2(5, 5), vec2(34, 8), 3.0f,
                            raster::linearGradient(vec2(0, 5), kCyanPale, vec2(0, 13), kTeal));
    raster::fillRoundedRect(cell, vec2(41, 6), vec2(4, 6), 1.5f, raster::solid(kCyan));
    // Segment gaps read as charge bars.
    for (int gap = 1; gap < 4; ++gap) {
        const float x = 5.0f + gap * 8.5f;
        raster::drawLine(cell, vec2(x, 5), vec2(x, 13), 1.4f, raster::solid(raster::withAlpha(kNavy, 0.8f)));
    }
    raster::drawLine(cell, vec2(7, 6.5f), vec2(37, 6.5f), 1.2f, raster::solid(raster::withAlpha(kWhite, 0.6f)));
    cell.fadeEdges(2.0f, 2.0f, 2.0f, 2.0f);
    return writeRgba(outDir, "textures/life_indicator.png", cell);
}

bool writeCompassNeedle(const std::string& outDir) {
    // Turned about its centre by the HUD; the warm half points ahead.
    Image needle(32, 64);
    const vec2 centre(16.0f, 32.0f);
    const vec2 tip(16.0f, 2.5f);
    const vec2 tail(16.0f, 61.5f);
    const vec2 left(7.0f, 32.0f);
    const vec2 right(25.0f, 32.0f);
    Image shadow(32, 64);
    raster::fillPolygon(shadow, {tip, right, tail, left}, raster::solid(kNavyDeep));
    shadow.blur(3);
    needle.composite(shadow, 0.9f);
    raster::fillPolygon(needle, {tip, centre, left}, raster::solid(kAmberPale));
    raster::fillPolygon(needle, {tip, right, centre}, raster::solid(kAmber));
    raster::fillPolygon(needle, {centre, tail, left}, raster::solid(kCyanPale));
    raster::fillPolygon(needle, {centre, right, tail}, raster::solid(kTeal));
    raster::fillCircle(needle, centre, 4.0f, raster::solid(kNavyDeep));
    raster::fillCircle(needle, centre, 2.2f, raster::solid(kWhite));
    return writeRgba(outDir, "textures/logoicon.png", needle);
}

bool writeCrosshair(const std::string& outDir) {
    Image crosshair(64, 64);
    const vec2 c(32.0f, 32.0f);
    // Everything twice: a dark, wider stroke under the light one, for bright ground.
    auto strokes = [&](Image& image, float extra, const Color& color) {
        const Paint paint = raster::solid(color);
        raster::drawLine(image, vec2(c.x, 8), vec2(c.x, 22), 2.0f + extra, paint);
        raster::drawLine(image, vec2(c.x, 42), vec2(c.x, 56), 2.0f + extra, paint);
        raster::drawLine(image, vec2(8, c.y), vec2(22, c.y), 2.0f + extra, paint);
        raster::drawLine(image, vec2(42, c.y), vec2(56, c.y), 2.0f + extra, paint);
        raster::fillCircle(image, c, 1.8f + extra * 0.5f, paint);
        // Four short arcs of a ring between the lines.
        raster::fillSdf(
            image, 0, 0, 64, 64,
            [&](vec2 p) {
                const vec2 d = p - c;
                const float ring = std::fabs(glm::length(d) - 18.0f) - (1.0f + extra * 0.5f);
                const float angle = std::atan2(d.y, d.x);
                const float fromDiagonal = std::fabs(std::remainder(angle - raster::kPi / 4.0f, raster::kPi / 2.0f));
                const float arcGap = (fromDiagonal - 0.42f) * 18.0f;
                return std::max(ring, arcGap);
            },
            paint);
    };
    strokes(crosshair, 2.0f, raster::withAlpha(kNavyDeep, 0.75f));
    strokes(crosshair, 0.0f, kCyanPale);
    return writeRgba(outDir, "textures/crosshair_1.png", crosshair);
}

}  // namespace hudart

bool generateHudTextures(const std::string& outDir) {
    raster::TrueTypeFont bold;
    if (!bold.load(raster::fontPath("DejaVuSans-Bold.ttf"))) {
        return false;
    }
    return hudart::writeLogo(outDir, bold) && hudart::writeButtons(outDir, bold) &&
           hudart::writeLifeIndicator(outDir) && hudart::writeCompassNeedle(outDir) && hudart::writeCrosshair(outDir) &&
           hudart::writeGun(outDir) && hudart::writeMuzzleFlash(outDir) && hudart::writePauseBackground(outDir) &&
           hudart::writeStarPanorama(outDir) && hudart::writeEnergyMap(outDir) && hudart::writeSun(outDir) &&
           hudart::writeParticle(outDir);
}
