// The five sky boxes. Each picture is a 3 x 3 grid of cells read by the sky box's cube
// mapping: with the picture loaded bottom row first, texture v runs up the picture, and the
// box (world z up) takes
//
//   cell (column, row from the bottom)   face of the box   picture right / picture up
//   (1, 1) centre                        +Z, the top       +y / -x
//   (1, 0) below the centre              +X                +y / +z
//   (1, 2) above the centre              -X                +y / -z
//   (2, 1) right of the centre           +Y                -z / -x
//   (0, 1) left of the centre            -Y                +z / -x
//
// The corners are on no face and the bottom face samples one texel of the lower left corner.
// Every texel is painted from a sky function of its view direction, so the faces meet
// without seams. Next to the side cells, the corner cells continue the planes of their
// neighbours, so that nearest-texel sampling right at a cell border still picks a matching
// colour; the rest of each corner is the haze colour below the horizon.
#include "AssetWriter.h"
#include "NatureNoise.h"
#include "NatureTextures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace nature {
namespace {

constexpr int kCellSize = 512;
constexpr int kSkySize = 3 * kCellSize;

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

Vec3 normalised(const Vec3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A face of the unit box as the sky box draws it: three of its corners (A, B and D of
// the box's vertex table) with their texture coordinates, and the cell they span.
struct CubeFace {
    Vec3 a, b, d;
    float uvA[2], uvB[2], uvD[2];
    int column, row;  // row counted from the bottom of the picture
};

constexpr float kThird = 1.0f / 3.0f;
constexpr float kTwoThirds = 2.0f / 3.0f;

const CubeFace kFaces[] = {
    // +Y
    {{-0.5f, 0.5f, 0.5f},
     {0.5f, 0.5f, 0.5f},
     {-0.5f, 0.5f, -0.5f},
     {kTwoThirds, kTwoThirds},
     {kTwoThirds, kThird},
     {1.0f, kTwoThirds},
     2,
     1},
    // -Y
    {{-0.5f, -0.5f, -0.5f},
     {0.5f, -0.5f, -0.5f},
     {-0.5f, -0.5f, 0.5f},
     {0.0f, kTwoThirds},
     {0.0f, kThird},
     {kThird, kTwoThirds},
     0,
     1},
    // +X
    {{0.5f, -0.5f, 0.5f},
     {0.5f, -0.5f, -0.5f},
     {0.5f, 0.5f, 0.5f},
     {kThird, kThird},
     {kThird, 0.0f},
     {kTwoThirds, kThird},
     1,
     0},
    // -X
    {{-0.5f, -0.5f, -0.5f},
     {-0.5f, -0.5f, 0.5f},
     {-0.5f, 0.5f, -0.5f},
     {kThird, 1.0f},
     {kThird, kTwoThirds},
     {kTwoThirds, 1.0f},
     1,
     2},
    // +Z
    {{-0.5f, -0.5f, 0.5f},
     {0.5f, -0.5f, 0.5f},
     {-0.5f, 0.5f, 0.5f},
     {kThird, kTwoThirds},
     {kThird, kThird},
     {kTwoThirds, kTwoThirds},
     1,
     1},
};

const CubeFace* faceOfCell(int column, int row) {
    for (const CubeFace& face : kFaces) {
        if (face.column == column && face.row == row) {
            return &face;
        }
    }
    return nullptr;
}

// The point of the face's plane that the texture coordinate (u, v) lands on; outside the
// face's cell this continues the plane beyond the face.
Vec3 facePoint(const CubeFace& face, float u, float v) {
    const float bu = face.uvB[0] - face.uvA[0];
    const float bv = face.uvB[1] - face.uvA[1];
    const float du = face.uvD[0] - face.uvA[0];
    const float dv = face.uvD[1] - face.uvA[1];
    const float pu = u - face.uvA[0];
    const float pv = v - face.uvA[1];
    const float determinant = bu * dv - bv * du;
    const float alongB = (pu * dv - pv * du) / determinant;
    const float alongD = (bu * pv - bv * pu) / determinant;
    return {face.a.x + alongB * (face.b.x - face.a.x) + alongD * (face.d.x - face.a.x),
            face.a.y + alongB * (face.b.y - face.a.y) + alongD * (face.d.y - face.a.y),
            face.a.z + alongB * (face.b.z - face.a.z) + alongD * (face.d.z - face.a.z)};
}

// Texels of a corner cell this close to a side cell continue that side's sky; the rest of
// the corner is never sampled, apart from the one texel the bottom face shows.
constexpr float kCornerBleed = 8.0f / kSkySize;

// The view direction painted at texture coordinate (u, v); false for the far part of a
// corner cell, which gets a plain colour.
bool directionAt(float u, float v, Vec3* direction) {
    const int column = std::min(2, static_cast<int>(u * 3.0f));
    const int row = std::min(2, static_cast<int>(v * 3.0f));
    const CubeFace* face = faceOfCell(column, row);
    if (face == nullptr) {
        // A corner cell: continue whichever side cell is nearer, the one beside it in the
        // middle column or the one above or below it in the middle row.
        const float toMiddleColumn = column == 0 ? kThird - u : u - kTwoThirds;
        const float toMiddleRow = row == 0 ? kThird - v : v - kTwoThirds;
        if (std::min(toMiddleColumn, toMiddleRow) > kCornerBleed) {
            return false;
        }
        face = toMiddleColumn <= toMiddleRow ? faceOfCell(1, row) : faceOfCell(column, 1);
    }
    *direction = normalised(facePoint(*face, u, v));
    return true;
}

struct SkyLook {
    const char* entry;
    uint32_t seed;
    Rgb zenith, horizon, ground;
    float gradientPower;  // below 1 the horizon colour climbs higher
    Vec3 towardsSun;      // matches the light position a level gives for this sky
    Rgb sun;
    float sunRadius;  // angular radius of the disc, radians
    Rgb glow;
    float glowStrength;  // the wide halo around the sun
    Rgb sunsetBand;
    float sunsetStrength;  // warm band along the horizon on the sun's side
    float cloudCover;      // 0 clear to 1 overcast
    float cloudScale;      // noise frequency on the cloud layer
    float cloudStretch;    // above 1 stretches the clouds into streaks
    Rgb cloudLit, cloudShade;
    float cloudOpacity;
    float dust;  // wind-blown haze along the horizon
    Rgb dustColour;
    float starDensity;  // share of star cells that hold a star
    Vec3 towardsMoon;   // a second body hanging in the sky; zero length: none
    Rgb moon;
    float moonRadius;
};

// Each sun stands where the first level that shows its sky puts the light.
const SkyLook kSkies[] = {
    {"textures/skybox_1.jpg",
     11u,
     hex(0x2F6FD0),
     hex(0xBCD9F2),
     hex(0x7D95A8),
     0.55f,
     {80, 60, 140},
     hex(0xFFF8E0),
     0.035f,
     hex(0xFFF1C8),
     0.55f,
     hex(0xFFE2B0),
     0.10f,
     0.48f,
     1.6f,
     1.0f,
     hex(0xFFFFFF),
     hex(0x94A6BE),
     0.95f,
     0.0f,
     hex(0xFFFFFF),
     0.0f,
     {0, 0, 0},
     hex(0x000000),
     0.0f},
    {"textures/skybox_2.jpg",
     23u,
     hex(0x9A5A36),
     hex(0xE8B47A),
     hex(0x8A5E3C),
     0.7f,
     {120, -40, 90},
     hex(0xFFF0D0),
     0.04f,
     hex(0xFFC888),
     0.8f,
     hex(0xF4A860),
     0.35f,
     0.36f,
     1.1f,
     3.0f,
     hex(0xF6D2A8),
     hex(0xA86E4A),
     0.55f,
     0.7f,
     hex(0xD89A62),
     0.0f,
     {-150, 60, 60},
     hex(0xE8DCCB),
     0.07f},
    {"textures/skybox_3.jpg",
     37u,
     hex(0x7FA8CC),
     hex(0xE4F0F6),
     hex(0xB8CAD6),
     0.45f,
     {-60, 90, 110},
     hex(0xFFFFFF),
     0.03f,
     hex(0xF0F8FF),
     0.5f,
     hex(0xDDEBFF),
     0.15f,
     0.45f,
     1.3f,
     5.0f,
     hex(0xFFFFFF),
     hex(0xB4C6D8),
     0.75f,
     0.25f,
     hex(0xF4FAFF),
     0.0f,
     {150, -80, 70},
     hex(0xCFE3F0),
     0.05f},
    {"textures/skybox_4.jpg",
     41u,
     hex(0x2A0E0C),
     hex(0xB0402A),
     hex(0x40160E),
     0.65f,
     {50, 120, 70},
     hex(0xFFB070),
     0.05f,
     hex(0xFF6A30),
     0.6f,
     hex(0xFF5A20),
     0.45f,
     0.58f,
     1.2f,
     1.4f,
     hex(0x8A4A3C),
     hex(0x2A1616),
     0.9f,
     0.6f,
     hex(0x9A3A22),
     0.0f,
     {0, 0, 0},
     hex(0x000000),
     0.0f},
    {"textures/skybox_5.jpg",
     53u,
     hex(0x0A1030),
     hex(0x6A5A8A),
     hex(0x2A2438),
     0.5f,
     {160, 30, 35},
     hex(0xFFD0A0),
     0.04f,
     hex(0xFF9A60),
     0.9f,
     hex(0xFF8A50),
     0.9f,
     0.32f,
     1.4f,
     2.5f,
     hex(0xE89A90),
     hex(0x3A3050),
     0.8f,
     0.0f,
     hex(0x000000),
     0.16f,
     {-60, -110, 150},
     hex(0xDCE4F4),
     0.06f},
};

constexpr int kCloudOctaves = 6;

// Clouds live on a flat layer overhead: the layer point seen along the direction, pushed
// off to infinity towards the horizon.
float cloudDensity(const SkyLook& look, const Vec3& dir, float shiftX, float shiftY, int octaves) {
    const float lift = dir.z + 0.12f;
    const float px = dir.x / lift * look.cloudScale + shiftX;
    const float py = dir.y / lift * look.cloudScale * look.cloudStretch + shiftY;
    const float warp = 0.6f * fbm2(px * 0.5f, py * 0.5f, 3, 0.5f, look.seed + 7u);
    const float value = 0.5f + 0.5f * fbm2(px + warp, py - warp, octaves, 0.5f, look.seed);
    return smoothstep(1.0f - look.cloudCover, 1.0f - look.cloudCover + 0.22f, value);
}

float starAt(const SkyLook& look, const Vec3& dir) {
    if (look.starDensity <= 0.0f) {
        return 0.0f;
    }
    // One candidate star per cell of a lattice over the direction; a star keeps off its
    // cell's border, so it never gets cut where two cells meet.
    constexpr float kCellsPerUnit = 45.0f;
    const float x = dir.x * kCellsPerUnit;
    const float y = dir.y * kCellsPerUnit;
    const float z = dir.z * kCellsPerUnit;
    const int cx = static_cast<int>(std::floor(x));
    const int cy = static_cast<int>(std::floor(y));
    const int cz = static_cast<int>(std::floor(z));
    const uint32_t h = hash(cx, cy, cz, look.seed + 99u);
    if (hashUnit(h) > look.starDensity) {
        return 0.0f;
    }
    const float sx = static_cast<float>(cx) + 0.3f + 0.4f * hashUnit(h * 747796405u + 1u);
    const float sy = static_cast<float>(cy) + 0.3f + 0.4f * hashUnit(h * 2891336453u + 3u);
    const float sz = static_cast<float>(cz) + 0.3f + 0.4f * hashUnit(h * 1181783497u + 5u);
    const float distance = std::sqrt((x - sx) * (x - sx) + (y - sy) * (y - sy) + (z - sz) * (z - sz));
    // Many faint stars, a few bright ones, the bright ones a little larger.
    const float brightness = std::pow(hashUnit(h * 277803737u + 7u), 3.0f);
    const float radius = 0.08f + 0.12f * brightness;
    return (0.25f + 0.75f * brightness) * (1.0f - smoothstep(radius * 0.4f, radius, distance));
}

Rgb skyColour(const SkyLook& look, const Vec3& dir) {
    const Vec3 sun = normalised(look.towardsSun);
    const float elevation = dir.z;
    const float sunCos = dot(dir, sun);

    // Gradient from the horizon to the zenith, and a darker haze below the horizon.
    Rgb colour;
    if (elevation >= 0.0f) {
        colour = mix(look.horizon, look.zenith, std::pow(elevation, look.gradientPower));
    } else {
        colour = mix(look.horizon, look.ground, smoothstep(0.0f, -0.22f, elevation));
    }

    // Warm light along the horizon on the sun's side.
    const float sunSide = std::pow(0.5f + 0.5f * sunCos, 3.0f);
    const float band = std::exp(-std::fabs(elevation) * 7.0f);
    colour = mix(colour, look.sunsetBand, clamp01(look.sunsetStrength * sunSide * band));

    // Dust rising from the horizon, drifting in slow billows.
    if (look.dust > 0.0f) {
        const float billow = 0.5f + 0.5f * fbm3(dir.x * 3.0f, dir.y * 3.0f, dir.z * 9.0f, 4, 0.5f, look.seed + 3u);
        const float height = std::exp(-std::max(0.0f, elevation) * 6.0f);
        colour = mix(colour, look.dustColour, clamp01(look.dust * height * (0.35f + 0.65f * billow)));
    }

    // Stars fade out towards the horizon and near the sun.
    const float star =
        starAt(look, dir) * smoothstep(0.05f, 0.45f, elevation) * (1.0f - smoothstep(0.3f, 0.9f, sunCos));
    colour = add(colour, {star * 0.95f, star * 0.95f, star});

    // The second body: a lit disc with its shadowed side facing away from the sun.
    if (look.moonRadius > 0.0f) {
        const Vec3 moon = normalised(look.towardsMoon);
        const float angle = std::acos(std::min(1.0f, dot(dir, moon)));
        if (angle < look.moonRadius * 1.1f) {
            const float disc = 1.0f - smoothstep(look.moonRadius * 0.96f, look.moonRadius, angle);
            // Normal of the sphere's near side under this pixel: it faces back towards the
            // viewer, so a moon opposite the sun shows full.
            const float rim = angle / look.moonRadius;
            const float depth = std::sqrt(std::max(0.0f, 1.0f - rim * rim));
            const Vec3 offset = {dir.x - moon.x, dir.y - moon.y, dir.z - moon.z};
            const Vec3 normal =
                normalised({offset.x / look.moonRadius - moon.x * depth, offset.y / look.moonRadius - moon.y * depth,
                            offset.z / look.moonRadius - moon.z * depth});
            const float lit = smoothstep(-0.1f, 0.35f, dot(normal, sun));
            const float craters =
                0.85f + 0.15f * fbm3(dir.x * 90.0f, dir.y * 90.0f, dir.z * 90.0f, 3, 0.5f, look.seed + 5u);
            const Rgb surface = mix(scale(look.moon, 0.18f), scale(look.moon, craters), lit);
            colour = mix(colour, surface, disc * 0.92f);
        }
    }

    // Clouds in front of everything above.
    if (look.cloudCover > 0.0f && elevation > -0.03f) {
        const float fadeIn = smoothstep(-0.03f, 0.12f, elevation);
        const float density = cloudDensity(look, dir, 0.0f, 0.0f, kCloudOctaves);
        if (density > 0.0f) {
            // Thicker cloud towards the sun means this side lies in shadow.
            // Shading needs only the cloud's broad shape.
            const float towards =
                cloudDensity(look, dir, sun.x * 0.25f, sun.y * 0.25f * look.cloudStretch, kCloudOctaves - 2);
            const float light = clamp01(0.65f + 0.9f * (density - towards));
            Rgb cloud = mix(look.cloudShade, look.cloudLit, light);
            // Edges of clouds near the sun shine through.
            const float silver = std::pow(std::max(0.0f, sunCos), 12.0f) * (1.0f - density) * 0.8f;
            cloud = add(cloud, scale(look.sun, silver));
            // Far clouds sink into the horizon haze.
            cloud = mix(look.horizon, cloud, smoothstep(-0.02f, 0.25f, elevation) * 0.7f + 0.3f);
            colour = mix(colour, cloud, density * look.cloudOpacity * fadeIn);
        }
    }

    // The sun: a wide glow, a tight halo and the disc.
    const float angle = std::acos(std::min(1.0f, sunCos));
    const float halo = std::exp(-angle / 0.09f) * 0.6f + std::exp(-angle / 0.45f) * 0.35f;
    colour = add(colour, scale(look.glow, look.glowStrength * halo));
    const float disc = 1.0f - smoothstep(look.sunRadius * 0.85f, look.sunRadius, angle);
    colour = mix(colour, look.sun, disc);
    return colour;
}

bool writeSky(const std::string& outDir, const SkyLook& look) {
    Image image(kSkySize, kSkySize, 3);
    constexpr float kHalfTexel = 0.5f / kSkySize;
    forEachPixel(kSkySize, kSkySize, [&](int x, int y, float u, float v) {
        // Texture v runs up the picture: the sky box loads it bottom row first.
        Vec3 direction;
        const bool painted = directionAt(u + kHalfTexel, 1.0f - (v + kHalfTexel), &direction);
        // The bottom face shows the corner colour: the haze below the horizon.
        image.set(x, y, painted ? skyColour(look, direction) : look.ground);
    });
    return assetgen::writeJpg(outDir, look.entry, image.width, image.height, 3, image.pixels, 90);
}

}  // namespace

bool writeSkyboxes(const std::string& outDir) {
    for (const SkyLook& look : kSkies) {
        if (!writeSky(outDir, look)) {
            return false;
        }
    }
    return true;
}

}  // namespace nature
