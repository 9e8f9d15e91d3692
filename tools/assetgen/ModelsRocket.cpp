// The player's rocket: body, nose, engine bell, fins and four landing legs, all sharing one
// texture atlas (base colour, metallic, roughness and a normal map). The game draws it at
// scale 0.1 with its origin on the landing point, so ten file units make one world unit.
#include "MeshBuilder.h"
#include "ModelCanvas.h"
#include "ModelGroups.h"

#include <cmath>
#include <vector>

namespace assetgen {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kFileUnitsPerWorldUnit = 10.0f;

// The rocket stands on the level's landing point, the tiles' shared corner; the terrain puts
// that corner's ground this many world units below the rocket's origin, and the feet reach
// down as far.
constexpr float kGroundBelowOrigin = 0.0f;
// The exhaust leaves three world units above the origin: the engine bell's mouth is there.
constexpr float kNozzleExit = 3.0f;

constexpr float kFootY = -kGroundBelowOrigin * kFileUnitsPerWorldUnit;
constexpr float kExitY = kNozzleExit * kFileUnitsPerWorldUnit;
constexpr float kBodyRadius = 19.0f;
constexpr int kSides = 16;

// Atlas regions (u0, v0, u1, v1).
const glm::vec4 kBodyUv(0.0f, 0.5f, 1.0f, 1.0f);
const glm::vec4 kNoseUv(0.0f, 0.25f, 0.5f, 0.5f);
const glm::vec4 kNozzleUv(0.5f, 0.25f, 1.0f, 0.5f);
const glm::vec4 kStrutUv(0.0f, 0.0f, 0.5f, 0.25f);
const glm::vec4 kPadUv(0.5f, 0.0f, 1.0f, 0.25f);

// A round strut from a to b.
void addStrut(ObjMesh& mesh, const glm::vec3& from, const glm::vec3& to, float radius) {
    const glm::vec3 direction = to - from;
    const float length = glm::length(direction);
    const size_t first = mesh.vertexCount();
    mesh.addLathe({{0.0f, 0.0f}, {radius, 0.0f}, {radius, length}, {0.0f, length}}, 6, glm::vec3(0.0f), kStrutUv);
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const glm::vec3 unit = direction / length;
    const glm::vec3 axis = glm::cross(up, unit);
    const float angle = std::acos(glm::clamp(glm::dot(up, unit), -1.0f, 1.0f));
    const glm::mat4 turn = glm::length(axis) > 1e-5f ? rotation(angle, glm::normalize(axis)) : glm::mat4(1.0f);
    mesh.transformFrom(first, translation(from) * turn);
}

// A flat plate from an outline in the x-y plane (counter-clockwise), `halfThickness` either side.
void addPlate(ObjMesh& mesh, const std::vector<glm::vec2>& outline, float halfThickness, const glm::vec4& uv) {
    const int count = static_cast<int>(outline.size());
    auto uvOf = [&](const glm::vec2& point) {
        return glm::vec2(uv.x + (uv.z - uv.x) * (point.x - 15.0f) / 25.0f,
                         uv.y + (uv.w - uv.y) * (point.y - 30.0f) / 55.0f);
    };
    std::vector<int> front;
    std::vector<int> back;
    for (const glm::vec2& point : outline) {
        front.push_back(mesh.addVertex(glm::vec3(point, halfThickness), uvOf(point)));
        back.push_back(mesh.addVertex(glm::vec3(point, -halfThickness), uvOf(point)));
    }
    mesh.addFace(front);
    mesh.addFace(std::vector<int>(back.rbegin(), back.rend()));
    for (int i = 0; i < count; ++i) {
        const int next = (i + 1) % count;
        mesh.addQuad(front[i], back[i], back[next], front[next]);
    }
}

bool writeRocketModel(const std::string& outDir) {
    ObjModel model("spaceship.mtl");
    ObjMaterial hull;
    hull.name = "rocket";
    hull.diffuse = glm::vec3(1.0f);
    hull.specular = glm::vec3(0.6f);
    hull.shininess = 24.0f;
    hull.diffuseMap = "1001_Base_Color.png";
    // Metal shines: the metallic map is the specular map that the game's textured shader reads.
    hull.specularMap = "1001_Metallic.png";
    hull.bumpMap = "1001_Normal_OpenGL.png";
    hull.ambientMap = "1001_Roughness.png";
    model.addMaterial(hull);

    const float bodyBottom = kExitY + 10.0f;
    ObjMesh& body = model.addMesh("rocket_body", "rocket");
    body.setTextured(true);
    body.addLathe({{0.0f, bodyBottom},
                   {15.0f, bodyBottom},
                   {18.0f, bodyBottom + 8.0f},
                   {kBodyRadius, bodyBottom + 20.0f},
                   {kBodyRadius, 112.0f},
                   {17.5f, 124.0f},
                   {0.0f, 124.0f}},
                  kSides, glm::vec3(0.0f), kBodyUv);

    ObjMesh& nose = model.addMesh("rocket_nose", "rocket");
    nose.setTextured(true);
    nose.addLathe({{0.0f, 123.0f}, {17.6f, 123.0f}, {15.5f, 136.0f}, {10.5f, 150.0f}, {5.0f, 160.0f}, {0.0f, 166.0f}},
                  kSides, glm::vec3(0.0f), kNoseUv);

    // The bell: inside wall from the throat down to the lip, then back up the outside.
    ObjMesh& nozzle = model.addMesh("rocket_nozzle", "rocket");
    nozzle.setTextured(true);
    nozzle.addLathe({{0.0f, kExitY + 9.0f},
                     {5.0f, kExitY + 8.0f},
                     {9.5f, kExitY + 3.0f},
                     {12.0f, kExitY},
                     {13.2f, kExitY},
                     {10.8f, kExitY + 4.5f},
                     {6.5f, kExitY + 11.0f},
                     {0.0f, kExitY + 11.0f}},
                    kSides, glm::vec3(0.0f), kNozzleUv);

    ObjMesh& fins = model.addMesh("rocket_fins", "rocket");
    fins.setTextured(true);
    for (int i = 0; i < 4; ++i) {
        const size_t first = fins.vertexCount();
        addPlate(fins,
                 {{15.0f, bodyBottom + 4.0f},
                  {36.0f, bodyBottom - 8.0f},
                  {37.0f, bodyBottom + 8.0f},
                  {17.0f, bodyBottom + 40.0f}},
                 0.9f, kStrutUv);
        fins.transformFrom(first, rotation(kPi / 2.0f * static_cast<float>(i) + kPi / 4.0f, {0, 1, 0}));
    }

    ObjMesh& legs = model.addMesh("rocket_legs", "rocket");
    legs.setTextured(true);
    const float footReach = 36.0f;
    const float padHeight = 5.0f;
    for (int i = 0; i < 4; ++i) {
        const float angle = kPi / 2.0f * static_cast<float>(i);
        const glm::vec3 out(std::cos(angle), 0.0f, -std::sin(angle));
        const glm::vec3 foot = out * footReach + glm::vec3(0.0f, kFootY + padHeight - 1.0f, 0.0f);
        const glm::vec3 hip = out * (kBodyRadius - 2.0f) + glm::vec3(0.0f, bodyBottom + 26.0f, 0.0f);
        const glm::vec3 knee = out * (kBodyRadius - 3.0f) + glm::vec3(0.0f, bodyBottom + 2.0f, 0.0f);
        addStrut(legs, hip, foot, 2.6f);
        addStrut(legs, knee, glm::mix(hip, foot, 0.6f), 1.6f);
        const size_t first = legs.vertexCount();
        legs.addLathe({{0.0f, 0.0f}, {8.0f, 0.0f}, {7.0f, padHeight}, {0.0f, padHeight}}, 8, glm::vec3(0.0f), kPadUv);
        legs.transformFrom(first, translation(out * footReach + glm::vec3(0.0f, kFootY, 0.0f)));
    }
    return model.write(outDir, "models/spaceship/spaceship.obj", "models/spaceship/spaceship.mtl");
}

// ---- Images ----

constexpr int kImageSize = 512;

// What the atlas holds at one point: colour, metalness, roughness and seam depth.
struct Surface {
    glm::vec3 colour;
    float metal;
    float rough;
    float seam;
};

bool inside(const glm::vec4& rect, float u, float v) {
    return u >= rect.x && u < rect.z && v >= rect.y && v < rect.w;
}

glm::vec2 local(const glm::vec4& rect, float u, float v) {
    return glm::vec2((u - rect.x) / (rect.z - rect.x), (v - rect.y) / (rect.w - rect.y));
}

float hazard(float s, float t, float stripes) {
    return std::fmod(s * stripes + t * stripes * 0.25f, 1.0f) < 0.5f ? 1.0f : 0.0f;
}

Surface bodySurface(float s, float t) {
    const float grime = valueNoise(s, t, 32, 11);
    const glm::vec3 white = glm::vec3(0.9f, 0.9f, 0.88f) * (0.92f + 0.1f * grime);
    if (t < 0.1f) {
        return {glm::vec3(0.2f), 0.6f, 0.6f, 0.0f};
    }
    if (t < 0.2f) {
        const glm::vec3 stripe = hazard(s, t, 24.0f) > 0.0f ? glm::vec3(0.95f, 0.75f, 0.1f) : glm::vec3(0.1f);
        return {stripe, 0.2f, 0.6f, 0.0f};
    }
    const float seam = gridLine(s, (t - 0.2f) / 0.8f, 8, 6, 0.03f);
    // Two red bands frame the crew deck; a row of eight portholes runs round between them.
    if ((t > 0.4f && t < 0.44f) || (t > 0.84f && t < 0.87f)) {
        return {glm::vec3(0.8f, 0.12f, 0.1f), 0.1f, 0.4f, seam};
    }
    if (t > 0.68f && t < 0.78f) {
        const float ds = s * 8.0f - std::floor(s * 8.0f) - 0.5f;
        const float dt = (t - 0.73f) / 0.1f * 0.35f;
        const float distance = std::sqrt(ds * ds + dt * dt);
        if (distance < 0.14f) {
            return {glm::vec3(0.12f, 0.22f, 0.45f) + glm::vec3(0.3f) * std::max(0.0f, 0.1f - distance) * 6.0f, 0.0f,
                    0.05f, 0.0f};
        }
        if (distance < 0.18f) {
            return {glm::vec3(0.6f, 0.62f, 0.66f), 0.9f, 0.3f, 0.6f};
        }
    }
    return {white * (1.0f - 0.45f * seam), 0.15f, 0.5f, seam};
}

Surface rocketSurface(float u, float v) {
    if (inside(kBodyUv, u, v)) {
        const glm::vec2 p = local(kBodyUv, u, v);
        return bodySurface(p.x, p.y);
    }
    if (inside(kNoseUv, u, v)) {
        const glm::vec2 p = local(kNoseUv, u, v);
        const float seam = gridLine(p.x, p.y, 8, 4, 0.03f);
        const glm::vec3 colour = p.y > 0.85f ? glm::vec3(0.9f) : glm::vec3(0.78f, 0.12f, 0.1f);
        return {colour * (1.0f - 0.4f * seam), 0.1f, 0.35f, seam};
    }
    if (inside(kNozzleUv, u, v)) {
        // Heat tint: bluish near the throat, bronze towards the lip.
        const glm::vec2 p = local(kNozzleUv, u, v);
        const glm::vec3 colour = glm::mix(glm::vec3(0.25f, 0.27f, 0.38f), glm::vec3(0.45f, 0.33f, 0.22f), p.y);
        const float ring = gridLine(0.0f, p.y, 1, 6, 0.05f);
        return {colour * (1.0f - 0.3f * ring), 0.9f, 0.3f, ring};
    }
    if (inside(kStrutUv, u, v)) {
        const glm::vec2 p = local(kStrutUv, u, v);
        const float seam = gridLine(p.x, p.y, 4, 4, 0.04f);
        const glm::vec3 stripe = hazard(p.x, p.y, 10.0f) > 0.0f ? glm::vec3(0.95f, 0.75f, 0.1f) : glm::vec3(0.12f);
        const glm::vec3 colour = p.y < 0.15f ? stripe : glm::vec3(0.55f, 0.57f, 0.6f);
        return {colour * (1.0f - 0.4f * seam), 0.8f, 0.35f, seam};
    }
    const glm::vec2 p = local(kPadUv, u, v);
    const float tread = gridLine(p.x, p.y, 12, 3, 0.1f);
    return {glm::vec3(0.18f) * (1.0f - 0.3f * tread), 0.2f, 0.9f, tread};
}

ModelCanvas paintRocket(const std::function<glm::vec3(const Surface&)>& channel) {
    ModelCanvas canvas(kImageSize);
    canvas.paint([&](float u, float v) { return channel(rocketSurface(u, v)); });
    return canvas;
}

}  // namespace

bool generateRocketModel(const std::string& outDir) {
    const ModelCanvas seams = paintRocket([](const Surface& s) { return glm::vec3(1.0f - s.seam); });
    return writeRocketModel(outDir) &&
           writeCanvas(outDir, "models/spaceship/1001_Base_Color.png",
                       paintRocket([](const Surface& s) { return s.colour; })) &&
           writeCanvas(outDir, "models/spaceship/1001_Metallic.png",
                       paintRocket([](const Surface& s) { return glm::vec3(s.metal); })) &&
           writeCanvas(outDir, "models/spaceship/1001_Roughness.png",
                       paintRocket([](const Surface& s) { return glm::vec3(s.rough); })) &&
           writeCanvas(outDir, "models/spaceship/1001_Normal_OpenGL.png", seams.normalsFromHeight(4.0f));
}

}  // namespace assetgen
