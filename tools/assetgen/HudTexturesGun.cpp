// The player's gun seen from behind at the lower right of the screen, and the sheet of its
// muzzle flash. The gun is laid out along one axis from the muzzle (upper left, where the
// HUD puts the flash) to the grip (off the bottom edge), wider toward the viewer.
#include "AssetWriter.h"
#include "HudArt.h"

#include <cmath>
#include <vector>

using glm::vec2;
using raster::Color;
using raster::Image;
using raster::Paint;

namespace hudart {

namespace {

// Image point of the muzzle, where the flash sprite is centred on screen.
const vec2 kMuzzle(134.0f, 22.0f);
const vec2 kGripEnd(462.0f, 350.0f);
constexpr float kNearScale = 1.0f;
constexpr float kFarScale = 0.34f;

// Maps (t along the gun from muzzle 0 to grip 1, s across in pixels at the grip, positive
// toward the lit upper right) to the image.
struct GunFrame {
    vec2 origin = kMuzzle;
    vec2 along = kGripEnd - kMuzzle;
    vec2 across = glm::normalize(vec2(along.y, -along.x));

    vec2 at(float t, float s) const {
        const float perspective = kFarScale + (kNearScale - kFarScale) * t;
        return origin + along * t + across * (s * perspective);
    }
    std::vector<vec2> quad(float t0, float t1, float s0, float s1) const {
        return {at(t0, s0), at(t1, s0), at(t1, s1), at(t0, s1)};
    }
};

// A facet shaded darker toward the muzzle, as if the light came from behind the player.
void facet(Image& image, const GunFrame& frame, const std::vector<vec2>& points, const Color& near, float farDim) {
    const Paint paint =
        raster::linearGradient(frame.at(0.0f, 0.0f), raster::scaled(near, farDim), frame.at(1.0f, 0.0f), near);
    raster::fillPolygon(image, points, paint);
}

void edge(Image& image, const GunFrame& frame, float t0, float t1, float s, const Color& color, float width) {
    raster::drawLine(image, frame.at(t0, s), frame.at(t1, s), width, raster::solid(color));
}

}  // namespace

bool writeGun(const std::string& outDir) {
    constexpr int kWidth = 594;
    constexpr int kHeight = 320;
    Image gun(kWidth, kHeight);
    const GunFrame f;

    const Color metalTop = raster::hex(0x74889c);
    const Color metalBevel = raster::hex(0x465768);
    const Color metalSide = raster::hex(0x222d39);
    const Color metalDark = raster::hex(0x10161e);
    const Color edgeLight = raster::hex(0xb6d6e8);

    // Soft shadow so the silhouette reads over bright ground.
    Image shadow(kWidth, kHeight);
    raster::fillPolygon(shadow,
                        {f.at(-0.01f, -30), f.at(-0.01f, 30), f.at(0.14f, 34), f.at(0.3f, 52), f.at(0.34f, 62),
                         f.at(1.1f, 66), f.at(1.1f, -86), f.at(0.34f, -80), f.at(0.14f, -40)},
                        raster::solid(raster::withAlpha(raster::hex(0x000000), 0.55f)));
    shadow.blur(10);
    gun.composite(shadow);

    // Barrel: three facets of a low-poly cylinder, a brighter collar at the muzzle.
    facet(gun, f, f.quad(0.0f, 0.16f, -26, -9), metalSide, 0.6f);
    facet(gun, f, f.quad(0.0f, 0.16f, -9, 9), metalBevel, 0.6f);
    facet(gun, f, f.quad(0.0f, 0.16f, 9, 26), metalTop, 0.6f);
    facet(gun, f, f.quad(0.0f, 0.035f, -30, -10), metalDark, 1.0f);
    facet(gun, f, f.quad(0.0f, 0.035f, -10, 10), metalSide, 1.0f);
    facet(gun, f, f.quad(0.0f, 0.035f, 10, 30), metalBevel, 1.0f);
    edge(gun, f, 0.035f, 0.16f, 9.0f, raster::scaled(edgeLight, 0.8f), 1.2f);

    // Shroud between barrel and receiver, ringed by glowing coils.
    facet(gun, f, {f.at(0.14f, -40), f.at(0.32f, -48), f.at(0.32f, -12), f.at(0.14f, -12)}, metalSide, 0.7f);
    facet(gun, f, f.quad(0.14f, 0.32f, -12, 12), metalBevel, 0.7f);
    facet(gun, f, {f.at(0.14f, 12), f.at(0.32f, 12), f.at(0.32f, 48), f.at(0.14f, 40)}, metalTop, 0.7f);
    Image coilGlow(kWidth, kHeight);
    for (float t : {0.17f, 0.215f, 0.26f}) {
        raster::fillPolygon(coilGlow, {f.at(t, -42), f.at(t + 0.02f, -43), f.at(t + 0.02f, 43), f.at(t, 42)},
                            raster::solid(kCyan));
    }
    Image coilHalo = coilGlow;
    coilHalo.blur(12);
    gun.addLayer(coilHalo, 1.0f);
    gun.composite(coilGlow);
    for (float t : {0.17f, 0.215f, 0.26f}) {
        raster::fillPolygon(gun, f.quad(t + 0.004f, t + 0.016f, 14, 40), raster::solid(kCyanPale));
    }

    // Receiver: a wedge that starts with a chamfered front and runs off the bottom edge.
    const float front = 0.31f;
    const float back = 1.1f;
    facet(gun, f, {f.at(front, -34), f.at(front + 0.06f, -78), f.at(back, -84), f.at(back, -12), f.at(front, -10)},
          metalSide, 0.75f);
    facet(gun, f, {f.at(front, -10), f.at(back, -12), f.at(back, 12), f.at(front, 10)}, metalBevel, 0.75f);
    facet(gun, f, {f.at(front, 10), f.at(back, 12), f.at(back, 60), f.at(front + 0.06f, 58), f.at(front, 34)}, metalTop,
          0.75f);
    // The receiver's front face, seen edge-on, as a dark sliver.
    raster::fillPolygon(gun, {f.at(front, -34), f.at(front, 34), f.at(front + 0.014f, 36), f.at(front + 0.014f, -36)},
                        raster::solid(metalDark));
    edge(gun, f, front + 0.012f, back, 11.0f, edgeLight, 1.8f);
    edge(gun, f, front + 0.012f, back, -11.0f, raster::scaled(edgeLight, 0.45f), 1.2f);
    edge(gun, f, front + 0.07f, back, 58.5f, raster::scaled(edgeLight, 0.9f), 1.6f);

    // Sight block on the top face with a small lens toward the muzzle.
    facet(gun, f, f.quad(0.44f, 0.74f, 22, 34), raster::hex(0x8ea6ba), 0.8f);
    facet(gun, f, f.quad(0.44f, 0.74f, 34, 48), raster::hex(0x52667a), 0.8f);
    raster::fillPolygon(gun, f.quad(0.44f, 0.47f, 23, 47), raster::solid(metalDark));
    Image lens(kWidth, kHeight);
    raster::fillCircle(lens, f.at(0.455f, 35), 5.0f, raster::solid(kAmber));
    Image lensHalo = lens;
    lensHalo.blur(6);
    gun.addLayer(lensHalo, 0.8f);
    gun.composite(lens);
    raster::fillCircle(gun, f.at(0.452f, 37), 1.8f, raster::solid(kAmberPale));

    // Energy cell window on the side face with glowing charge bars.
    raster::fillPolygon(gun, f.quad(0.5f, 0.86f, -70, -26), raster::solid(metalDark));
    Image charge(kWidth, kHeight);
    for (int bar = 0; bar < 6; ++bar) {
        const float t0 = 0.52f + bar * 0.055f;
        raster::fillPolygon(charge, f.quad(t0, t0 + 0.036f, -66, -30),
                            raster::linearGradient(f.at(t0, -66), kTeal, f.at(t0, -30), kCyanPale));
    }
    Image chargeHalo = charge;
    chargeHalo.blur(8);
    gun.addLayer(chargeHalo, 0.7f);
    gun.composite(charge);

    // Warm warning chevrons near the back of the top face.
    for (int chevron = 0; chevron < 3; ++chevron) {
        const float t0 = 0.82f + chevron * 0.05f;
        raster::fillPolygon(gun,
                            {f.at(t0, 18), f.at(t0 + 0.025f, 18), f.at(t0 + 0.045f, 36), f.at(t0 + 0.025f, 54),
                             f.at(t0, 54), f.at(t0 + 0.02f, 36)},
                            raster::solid(kAmber));
    }
    // Panel seams.
    for (float t : {0.6f, 0.78f}) {
        raster::drawLine(gun, f.at(t, 13), f.at(t, 57), 1.2f, raster::solid(raster::withAlpha(metalDark, 0.8f)));
    }
    // The gun runs off the bottom edge only; the quad stops short of the window's right edge.
    gun.fadeEdges(6.0f, 6.0f, 8.0f, 0.0f);
    return assetgen::writePng(outDir, "textures/hud_gun_2.png", kWidth, kHeight, 4, gun.bytes(4));
}

bool writeMuzzleFlash(const std::string& outDir) {
    constexpr int kCell = 128;
    constexpr int kGrid = 4;
    constexpr int kFrames = kGrid * kGrid;
    constexpr int kRays = 7;
    Image sheet(kCell * kGrid, kCell * kGrid);
    for (int frame = 0; frame < kFrames; ++frame) {
        const float progress = frame / float(kFrames - 1);
        // Flares up over the first frames, then burns down.
        const float intensity = frame < 2 ? 0.65f + 0.35f * frame : std::pow(1.0f - progress, 1.6f) * 1.1f + 0.08f;
        const float coreRadius = 16.0f + 8.0f * std::sqrt(progress);
        const float haloRadius = 30.0f + 14.0f * progress;
        const float rayLength = 44.0f + 14.0f * std::sqrt(progress);
        const vec2 centre((frame % kGrid) * kCell + kCell * 0.5f, (frame / kGrid) * kCell + kCell * 0.5f);
        float rayAngle[kRays];
        float rayReach[kRays];
        for (int ray = 0; ray < kRays; ++ray) {
            rayAngle[ray] = (ray + 0.4f * raster::hash01(ray, 11)) * 2.0f * raster::kPi / kRays + progress * 0.6f;
            rayReach[ray] = rayLength * (0.75f + 0.4f * raster::hash01(ray, frame, 3));
        }
        for (int y = 0; y < kCell; ++y) {
            for (int x = 0; x < kCell; ++x) {
                const vec2 d = vec2((frame % kGrid) * kCell + x + 0.5f, (frame / kGrid) * kCell + y + 0.5f) - centre;
                const float r = glm::length(d);
                const float angle = std::atan2(d.y, d.x);
                float energy = std::exp(-(r * r) / (coreRadius * coreRadius)) +
                               0.3f * std::exp(-(r * r) / (haloRadius * haloRadius));
                for (int ray = 0; ray < kRays; ++ray) {
                    const float apart = std::fabs(std::remainder(angle - rayAngle[ray], 2.0f * raster::kPi));
                    const float thickness = 1.2f + 6.0f * (1.0f - raster::clamp01(r / rayReach[ray]));
                    const float across = apart * r / thickness;
                    energy += 1.2f * std::exp(-across * across) * (1.0f - raster::clamp01(r / rayReach[ray]));
                }
                const float flicker = 0.75f + 0.25f * raster::fbm(angle * 2.0f, r / 12.0f, frame * 0.9f, 3);
                energy *= intensity * flicker * (1.0f - raster::smoothstep(kCell * 0.38f, kCell * 0.5f, r));
                if (energy <= 0.002f) {
                    continue;
                }
                Color color;
                if (energy > 0.9f) {
                    color = raster::mix(kAmberPale, kWhite, raster::clamp01((energy - 0.9f) * 3.0f));
                } else if (energy > 0.45f) {
                    color = raster::mix(kAmber, kAmberPale, (energy - 0.45f) / 0.45f);
                } else {
                    color = raster::mix(raster::hex(0xb8321a), kAmber, energy / 0.45f);
                }
                // Late frames cool toward smoke.
                color = raster::mix(color, raster::hex(0x6a4a3a), progress * progress * 0.6f);
                color.a = raster::clamp01(energy * 2.0f);
                sheet.setPixel((frame % kGrid) * kCell + x, (frame / kGrid) * kCell + y, color);
            }
        }
    }
    return assetgen::writePng(outDir, "textures/explosion_1.png", sheet.width(), sheet.height(), 4, sheet.bytes(4));
}

}  // namespace hudart
