// The enemies' flying saucer: a hull, a glass dome and a ring of light pods, with two
// diffuse maps, their glow maps and a shared normal map. The game draws it at scale 0.05,
// so 72 file units make a saucer 3.6 units across.
#include "AssetWriter.h"
#include "MeshBuilder.h"
#include "ModelCanvas.h"
#include "ModelGroups.h"

#include <cmath>
#include <vector>

namespace assetgen {

namespace {

constexpr float kPi = 3.1415927f;

// The enemies pick a UFO with a box centred on its top point (its position raised by its
// height), so the saucer floats half its height above its origin to fill that box.
constexpr float kHullHeight = 32.0f;
constexpr float kLift = kHullHeight / 2.0f;

// Hull profile (radius, height above the underside), listed for the lathe.
const std::vector<ProfilePoint> kHullProfile = {{0.0f, 0.0f},   {8.0f, 0.0f},   {12.0f, 2.0f},  {20.0f, 3.0f},
                                                {35.0f, 9.0f},  {36.0f, 11.0f}, {35.0f, 13.0f}, {22.0f, 17.0f},
                                                {14.0f, 19.0f}, {0.0f, 19.0f}};
const std::vector<ProfilePoint> kDomeProfile = {{0.0f, 18.0f},  {13.0f, 18.0f}, {12.5f, 23.0f},
                                                {10.0f, 28.0f}, {6.0f, 31.0f},  {0.0f, kHullHeight}};
constexpr int kHullSides = 24;
constexpr int kLightPods = 8;
constexpr float kPodRadius = 26.0f;
// The pods take the lowest band of the dome's image, which the hull hides on the dome.
const glm::vec4 kPodUv(0.0f, 0.0f, 1.0f, 0.06f);

// Where along the hull profile (0 at the underside's centre, 1 at the top's centre) each
// profile point lies, as the lathe spreads v.
std::vector<float> hullBands() {
    std::vector<float> along(kHullProfile.size(), 0.0f);
    for (size_t i = 1; i < kHullProfile.size(); ++i) {
        along[i] = along[i - 1] + std::hypot(kHullProfile[i].radius - kHullProfile[i - 1].radius,
                                             kHullProfile[i].y - kHullProfile[i - 1].y);
    }
    for (float& value : along) {
        value /= along.back();
    }
    return along;
}

bool writeUfoModel(const std::string& outDir) {
    ObjModel model("Low_poly_UFO.mtl");
    ObjMaterial hull;
    hull.name = "ufo_hull";
    hull.diffuse = glm::vec3(1.0f);
    hull.specular = glm::vec3(0.5f);
    hull.shininess = 32.0f;
    hull.diffuseMap = "ufo_diffuse.png";
    hull.ambientMap = "ufo_diffuse_glow.png";
    hull.bumpMap = "Map__7_Normal_Bump.tga";
    model.addMaterial(hull);
    ObjMaterial dome = hull;
    dome.name = "ufo_dome";
    dome.diffuseMap = "ufo_diffuse2.png";
    dome.ambientMap = "ufo_diffuse2_glow.png";
    model.addMaterial(dome);

    const glm::vec3 base(0.0f, kLift, 0.0f);
    ObjMesh& hullMesh = model.addMesh("ufo_hull", "ufo_hull");
    hullMesh.setTextured(true);
    hullMesh.addLathe(kHullProfile, kHullSides, base, glm::vec4(0.0f, 0.0f, 1.0f, 1.0f));
    ObjMesh& domeMesh = model.addMesh("ufo_dome", "ufo_dome");
    domeMesh.setTextured(true);
    domeMesh.addLathe(kDomeProfile, kHullSides, base, glm::vec4(0.0f, 0.0f, 1.0f, 1.0f));
    ObjMesh& pods = model.addMesh("ufo_lights", "ufo_dome");
    pods.setTextured(true);
    for (int i = 0; i < kLightPods; ++i) {
        const float angle = 2.0f * kPi * (static_cast<float>(i) + 0.5f) / static_cast<float>(kLightPods);
        // Half-sunk domes on the underside, hanging down from the hull's slope.
        const glm::vec3 centre = base + glm::vec3(kPodRadius * std::cos(angle), 6.2f, -kPodRadius * std::sin(angle));
        pods.addLathe({{0.0f, -2.0f}, {1.4f, -1.6f}, {2.6f, -0.6f}, {3.0f, 1.0f}, {0.0f, 1.0f}}, 8, centre, kPodUv);
    }
    return model.write(outDir, "models/ufo1/Low_poly_UFO.obj", "models/ufo1/Low_poly_UFO.mtl");
}

// ---- Images ----

constexpr int kImageSize = 512;

bool inBand(float v, float low, float high) {
    return v >= low && v < high;
}

ModelCanvas paintHull(bool glow) {
    const std::vector<float> band = hullBands();
    // band[1]: edge of the bottom hub; band[4] to band[6]: the rim; band[8]: the top's edge.
    ModelCanvas canvas(kImageSize);
    canvas.paint([&](float u, float v) {
        const float grime = valueNoise(u, v, 24, 7) * 0.5f + valueNoise(u, v, 96, 8) * 0.5f;
        if (v < band[1]) {
            // Bottom hub: dark with a ring of amber lamps.
            const bool lamp = inBand(v, band[1] * 0.45f, band[1] * 0.8f) && dotGrid(u, 0.5f, 12, 1, 0.3f) > 0.0f;
            if (glow) {
                return lamp ? glm::vec3(1.0f, 0.55f, 0.1f) : glm::vec3(0.0f);
            }
            return lamp ? glm::vec3(1.0f, 0.75f, 0.35f) : glm::vec3(0.16f, 0.17f, 0.2f) * (0.8f + 0.3f * grime);
        }
        if (v < band[4]) {
            // Underside: dark gunmetal plates, radial seams.
            if (glow) {
                return glm::vec3(0.0f);
            }
            const float t = (v - band[1]) / (band[4] - band[1]);
            const float seam = gridLine(u, t, 16, 3, 0.06f);
            return glm::vec3(0.26f, 0.28f, 0.32f) * (0.85f + 0.25f * grime) * (1.0f - 0.5f * seam);
        }
        if (v < band[6]) {
            // Rim: a strip of bright windows all the way round.
            const float t = (v - band[4]) / (band[6] - band[4]);
            const float du = 0.5f - std::fabs(u * 32.0f - std::floor(u * 32.0f) - 0.5f);
            const bool window = t > 0.3f && t < 0.7f && du > 0.18f;
            if (glow) {
                return window ? glm::vec3(0.3f, 1.0f, 0.85f) : glm::vec3(0.0f);
            }
            return window ? glm::vec3(0.6f, 1.0f, 0.9f) : glm::vec3(0.55f, 0.57f, 0.6f) * (0.9f + 0.15f * grime);
        }
        if (v < band[8]) {
            // Upper hull: light silver panels with rivets and a thin glowing ring.
            const float t = (v - band[6]) / (band[8] - band[6]);
            const bool ring = t > 0.78f && t < 0.84f;
            if (glow) {
                return ring ? glm::vec3(0.2f, 0.8f, 1.0f) : glm::vec3(0.0f);
            }
            if (ring) {
                return glm::vec3(0.5f, 0.9f, 1.0f);
            }
            const float seam = gridLine(u, t, 12, 2, 0.05f);
            const float rivet = dotGrid(u * 4.0f, t * 2.0f + 0.25f, 48, 4, 0.12f);
            return glm::vec3(0.72f, 0.74f, 0.78f) * (0.85f + 0.2f * grime) * (1.0f - 0.45f * seam) *
                   (1.0f - 0.25f * rivet);
        }
        // Under the dome: a dark collar.
        return glow ? glm::vec3(0.0f) : glm::vec3(0.2f, 0.22f, 0.25f);
    });
    return canvas;
}

ModelCanvas paintDome(bool glow) {
    ModelCanvas canvas(kImageSize);
    canvas.paint([&](float u, float v) {
        if (v < kPodUv.w) {
            // Light pods: warm white lamps.
            return glow ? glm::vec3(1.0f, 0.85f, 0.45f) : glm::vec3(1.0f, 0.95f, 0.75f);
        }
        const float ribU = u * 8.0f - std::floor(u * 8.0f);
        const bool rib = (ribU < 0.05f || ribU > 0.95f) && v < 0.85f;
        // A soft sheen runs diagonally over the glass.
        const float sheen = std::exp(-std::pow((u * 8.0f - std::floor(u * 8.0f)) - v * 0.6f - 0.2f, 2.0f) * 40.0f);
        if (glow) {
            return rib ? glm::vec3(0.0f) : glm::vec3(0.05f, 0.3f, 0.22f) * (1.0f - v * 0.6f);
        }
        if (rib) {
            return glm::vec3(0.62f, 0.64f, 0.68f);
        }
        return glm::vec3(0.12f, 0.38f, 0.42f) + glm::vec3(0.45f) * sheen;
    });
    return canvas;
}

// Panel seams of the hull as grooves in a height field, turned into a normal map.
ModelCanvas paintSeams() {
    const std::vector<float> band = hullBands();
    ModelCanvas height(kImageSize);
    height.paint([&](float u, float v) {
        float groove = gridLine(u, v, 16, 1, 0.04f);
        for (float edge : band) {
            groove = std::max(groove, 1.0f - std::fabs(v - edge) * 220.0f);
        }
        return glm::vec3(1.0f - std::clamp(groove, 0.0f, 1.0f));
    });
    return height.normalsFromHeight(6.0f);
}

}  // namespace

bool generateUfoModel(const std::string& outDir) {
    return writeUfoModel(outDir) && writeCanvas(outDir, "models/ufo1/ufo_diffuse.png", paintHull(false)) &&
           writeCanvas(outDir, "models/ufo1/ufo_diffuse_glow.png", paintHull(true)) &&
           writeCanvas(outDir, "models/ufo1/ufo_diffuse2.png", paintDome(false)) &&
           writeCanvas(outDir, "models/ufo1/ufo_diffuse2_glow.png", paintDome(true)) &&
           writeCanvas(outDir, "models/ufo1/Map__7_Normal_Bump.tga", paintSeams());
}

}  // namespace assetgen
