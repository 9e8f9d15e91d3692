// The star map's bodies and the crystal artefact: untextured, coloured by their materials.
#include "MeshBuilder.h"
#include "ModelGroups.h"

#include <cmath>
#include <cstdio>

namespace assetgen {

namespace {

constexpr float kPi = 3.1415927f;

// Body i is drawn through a mesh set whose pivot (px, py, 0) is subtracted after the quarter
// turn about x, so its sphere is centred on (px, 0, -py) in the file.
const glm::vec2 kBodyPivots[14] = {{10.0f, 7.0f},   {-5.0f, 2.1f}, {10.3f, -7.5f}, {-5.0f, -2.3f},  {-0.4f, -7.1f},
                                   {0.0f, 2.0f},    {5.0f, -2.4f}, {5.3f, 2.4f},   {-10.1f, -2.1f}, {10.3f, 2.5f},
                                   {-10.4f, -7.0f}, {5.1f, 7.1f},  {10.3f, -2.2f}, {-0.1f, 7.0f}};

enum class Surface {
    Rocky,   // rough faceted crust
    Banded,  // gas giant: latitude rings of alternating width catch the light in bands
    Crisp,   // few large facets, like ice
};

struct Body {
    const char* name;
    glm::vec3 colour;
    float radius;
    Surface surface;
    float glow;
    bool ring;
    bool moon;
};

// Mesh 0 is the star; the planets' radii stay well inside the star map's 5-unit click circle.
const Body kBodies[14] = {
    {"star", {1.0f, 0.78f, 0.28f}, 4.4f, Surface::Rocky, 1.0f, false, false},
    {"ocean", {0.20f, 0.45f, 0.85f}, 1.6f, Surface::Rocky, 0.0f, false, false},
    {"desert", {0.86f, 0.66f, 0.38f}, 1.4f, Surface::Rocky, 0.0f, false, false},
    {"lava", {0.85f, 0.26f, 0.10f}, 1.3f, Surface::Rocky, 0.45f, false, false},
    {"amber_giant", {0.90f, 0.60f, 0.30f}, 2.2f, Surface::Banded, 0.0f, true, false},
    {"ice", {0.72f, 0.90f, 0.96f}, 1.3f, Surface::Crisp, 0.1f, false, false},
    {"jungle", {0.25f, 0.62f, 0.24f}, 1.5f, Surface::Rocky, 0.0f, false, true},
    {"violet_giant", {0.56f, 0.36f, 0.78f}, 2.0f, Surface::Banded, 0.0f, false, false},
    {"ash", {0.60f, 0.60f, 0.62f}, 1.1f, Surface::Rocky, 0.0f, false, true},
    {"teal_giant", {0.24f, 0.70f, 0.64f}, 1.8f, Surface::Banded, 0.0f, true, false},
    {"rust", {0.64f, 0.32f, 0.19f}, 1.2f, Surface::Rocky, 0.0f, false, false},
    {"sand_giant", {0.93f, 0.87f, 0.56f}, 2.3f, Surface::Banded, 0.0f, false, false},
    {"deep_blue", {0.16f, 0.22f, 0.60f}, 1.7f, Surface::Crisp, 0.0f, false, false},
    {"rose", {0.90f, 0.54f, 0.64f}, 1.25f, Surface::Rocky, 0.0f, false, false},
};

void addBandedSphere(ObjMesh& mesh, const glm::vec3& centre, float radius) {
    std::vector<ProfilePoint> profile;
    const int bands = 11;
    for (int i = 0; i <= bands; ++i) {
        const float latitude = -kPi / 2.0f + kPi * static_cast<float>(i) / static_cast<float>(bands);
        // Every other ring bulges a little, so neighbouring bands face the light differently.
        const float bulge = (i % 2 == 0) ? 1.0f : 1.04f;
        profile.push_back({radius * bulge * std::cos(latitude), radius * std::sin(latitude)});
    }
    profile.front().radius = 0.0f;
    profile.back().radius = 0.0f;
    mesh.addLathe(profile, 16, centre);
}

void addRing(ObjMesh& mesh, const glm::vec3& centre, float inner, float outer) {
    const float halfThickness = 0.04f;
    const size_t first = mesh.vertexCount();
    mesh.addLathe({{inner, -halfThickness},
                   {outer, -halfThickness},
                   {outer, halfThickness},
                   {inner, halfThickness},
                   {inner, -halfThickness}},
                  24, glm::vec3(0.0f));
    mesh.transformFrom(first, translation(centre) * rotation(0.35f, {1, 0, 0}) * rotation(0.2f, {0, 0, 1}));
}

bool writePlanets(const std::string& outDir) {
    ObjModel model("planets.mtl");
    Random random(3003);
    for (int i = 0; i < 14; ++i) {
        const Body& body = kBodies[i];
        model.addMaterial(colourMaterial(body.name, body.colour, body.glow, body.glow > 0.9f ? 0.0f : 16.0f));
        ObjMesh& mesh = model.addMesh(body.name, body.name);
        const glm::vec3 centre(kBodyPivots[i].x, 0.0f, -kBodyPivots[i].y);
        switch (body.surface) {
            case Surface::Rocky: mesh.addBlob(centre, glm::vec3(body.radius), i == 0 ? 0.04f : 0.07f, random, 2); break;
            case Surface::Banded: addBandedSphere(mesh, centre, body.radius); break;
            case Surface::Crisp: mesh.addBlob(centre, glm::vec3(body.radius), 0.02f, random, 1); break;
        }
        if (body.ring) {
            addRing(mesh, centre, body.radius * 1.35f, body.radius * 1.8f);
        }
        if (body.moon) {
            mesh.addBlob(centre + glm::vec3(body.radius + 1.0f, 0.4f, 0.5f), glm::vec3(body.radius * 0.25f), 0.08f,
                         random, 1);
        }
    }
    return model.write(outDir, "models/planets/planets.obj", "models/planets/planets.mtl");
}

// The artefact: a glowing six-sided crystal about two units tall, centred on its origin so
// that it spins about its own axis, with smaller shards growing from its lower half.
bool writeCrystal(const std::string& outDir) {
    ObjModel model("crystal.mtl");
    model.addMaterial(colourMaterial("crystal_core", {0.35f, 0.90f, 1.0f}, 0.85f, 48.0f));
    model.addMaterial(colourMaterial("crystal_shards", {0.66f, 0.46f, 1.0f}, 0.7f, 48.0f));
    model.addMesh("crystal_core", "crystal_core")
        .addLathe({{0.0f, -1.0f}, {0.42f, -0.2f}, {0.46f, 0.3f}, {0.0f, 1.0f}}, 6, glm::vec3(0.0f));
    ObjMesh& shards = model.addMesh("crystal_shards", "crystal_shards");
    for (int i = 0; i < 5; ++i) {
        const float yaw = 1.2566f * static_cast<float>(i) + 0.3f;
        const float length = 0.55f + 0.1f * static_cast<float>(i % 3);
        const size_t first = shards.vertexCount();
        shards.addLathe({{0.0f, -0.1f}, {0.13f, 0.0f}, {0.14f, length * 0.7f}, {0.0f, length}}, 5, glm::vec3(0.0f));
        shards.transformFrom(first, translation({0.0f, -0.55f + 0.06f * static_cast<float>(i % 2), 0.0f}) *
                                        rotation(yaw, {0, 1, 0}) * rotation(-0.75f, {0, 0, 1}) *
                                        translation({0.0f, 0.3f, 0.0f}));
    }
    return model.write(outDir, "models/crystal/crystal.obj", "models/crystal/crystal.mtl");
}

}  // namespace

bool generateSpaceModels(const std::string& outDir) {
    return writePlanets(outDir) && writeCrystal(outDir);
}

}  // namespace assetgen
