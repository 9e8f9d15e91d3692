// The generated models as the game imports them: mesh counts and order that the mesh sets
// rely on, where each set's object lands, outward-facing faces, and material images that
// the package really holds.
#include <gtest/gtest.h>

#include <assimp/material.h>

#include <algorithm>
#include <set>

#include "core/AssetList.h"
#include "support/ImportedModel.h"

using testing_support::allMeshes;
using testing_support::Bounds;
using testing_support::boundsOf;
using testing_support::ImportedModel;
using testing_support::importRunModel;
using testing_support::meshSetMatrix;

namespace {

struct ModelFile {
    const char* entry;
    bool flipUVs;
    size_t meshCount;
};

const ModelFile kModels[] = {
    {"models/forest3/NatureFreePack1.obj", false, 39}, {"models/forest2/forest_assets.obj", false, 15},
    {"models/planets/planets.obj", true, 14},          {"models/crystal/crystal.obj", true, 2},
    {"models/ufo1/Low_poly_UFO.obj", false, 3},        {"models/spaceship/spaceship.obj", false, 5},
};

// Skips the calling test when build/run has not been laid out.
#define IMPORT_OR_SKIP(model, entry, flip)                                                   \
    if (!testing_support::runFileExists(entry)) {                                            \
        GTEST_SKIP() << entry << " is not laid out in build/run";                            \
    }                                                                                        \
    const ImportedModel model = importRunModel(entry, flip);                                 \
    ASSERT_TRUE(model.loaded) << entry << ": " << model.error

// Sum over the triangles of the signed volume they span with the origin: positive when the
// faces are wound counter-clockwise seen from outside, so that generated normals face out.
float signedVolume(const testing_support::ImportedMesh& mesh) {
    double volume = 0.0;
    for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
        const glm::dvec3 a(mesh.positions[mesh.indices[i]]);
        const glm::dvec3 b(mesh.positions[mesh.indices[i + 1]]);
        const glm::dvec3 c(mesh.positions[mesh.indices[i + 2]]);
        volume += glm::dot(a, glm::cross(b, c)) / 6.0;
    }
    return static_cast<float>(volume);
}

}  // namespace

TEST(ModelAssets, ImportWithTheMeshCountTheirUsersNeedAndFacesOutward) {
    for (const ModelFile& file : kModels) {
        SCOPED_TRACE(file.entry);
        IMPORT_OR_SKIP(model, file.entry, file.flipUVs);
        ASSERT_EQ(model.meshes.size(), file.meshCount);
        for (const auto& mesh : model.meshes) {
            SCOPED_TRACE(mesh.name);
            EXPECT_FALSE(mesh.indices.empty());
            EXPECT_EQ(mesh.indices.size() % 3, 0u);
            EXPECT_GT(signedVolume(mesh), 0.0f) << "faces wound inwards: the lit side would be the inside";
        }
    }
}

// Every object of the level object catalogue, drawn by its mesh set at scale 1, must stand on
// the placement point: its lowest point at the ground (a little below is fine, for slopes),
// centred above it, and reaching up to a size a player walking past would expect.
TEST(ModelAssets, ForestObjectsStandOnTheirPivots) {
    struct Kind {
        const char* entry;
        std::vector<int> meshes;
        glm::vec3 pivot;
        float minHeight;
        float maxHeight;
    };
    const char* first = "models/forest3/NatureFreePack1.obj";
    const char* second = "models/forest2/forest_assets.obj";
    const std::vector<Kind> kinds = {
        {first, {0, 1}, {-5.3f, 4.0f, 1.0f}, 3.0f, 7.0f},         // pine
        {first, {2, 3}, {5.5f, 3.8f, 1.0f}, 3.0f, 7.0f},          // broadleaf tree
        {first, {4}, {1.5f, -1.0f, 0.0f}, 0.2f, 1.0f},            // small rock
        {first, {5}, {-5.6f, -4.6f, 0.0f}, 0.8f, 2.5f},           // boulder
        {first, {6, 7}, {-2.3f, -4.3f, 0.0f}, 0.5f, 1.5f},        // berry bush
        {first, {8}, {-0.5f, -4.4f, 0.0f}, 0.3f, 1.0f},           // stump
        {first, {9}, {0.5f, -4.4f, 0.0f}, 0.3f, 1.2f},            // fallen log
        {first, {10}, {-2.5f, -1.4f, 0.0f}, 0.1f, 0.6f},          // stones
        {first, {11}, {-6.3f, -1.4f, 0.0f}, 2.5f, 5.0f},          // dead tree
        {first, {12, 13, 14}, {-3.7f, -4.3f, 0.0f}, 0.3f, 0.8f},  // mushrooms
        {first, {15}, {-6.9f, -4.5f, 0.0f}, 0.3f, 0.9f},          // grass tuft
        {first, {16}, {6.6f, -0.8f, 1.0f}, 3.0f, 6.0f},           // cypress
        {first, {17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}, {3.2f, -4.4f, 0.0f}, 0.3f, 0.9f},  // flowers
        {first, {30, 31, 32, 33, 34, 35, 36, 37, 38}, {6.3f, -4.3f, 0.5f}, 3.5f, 6.5f},                  // birch
        {second, {0, 1}, {0.0f, -1.9f, 1.0f}, 4.0f, 8.0f},     // tall fir
        {second, {2}, {-6.0f, -2.1f, 1.0f}, 1.5f, 3.5f},       // standing stone
        {second, {3, 4}, {5.2f, 0.0f, 1.0f}, 3.0f, 6.0f},      // autumn tree
        {second, {5, 6, 7}, {0.0f, 6.0f, 1.0f}, 3.0f, 7.0f},   // snowy pine
        {second, {8, 9, 10}, {0.0f, 0.0f, 1.0f}, 2.5f, 5.0f},  // fruit tree
        {second, {11, 12}, {-6.0f, 0.25f, 1.5f}, 0.3f, 1.2f},  // fern
        {second, {13, 14}, {-6.0f, 6.1f, 1.0f}, 1.5f, 3.0f},   // giant mushroom
    };
    constexpr float kDeepestSink = 0.5f;
    constexpr float kOffCentre = 0.6f;
    for (const char* entry : {first, second}) {
        IMPORT_OR_SKIP(model, entry, false);
        std::set<int> covered;
        for (size_t kind = 0; kind < kinds.size(); ++kind) {
            if (std::string(kinds[kind].entry) != entry) {
                continue;
            }
            SCOPED_TRACE("kind " + std::to_string(kind));
            const Kind& object = kinds[kind];
            covered.insert(object.meshes.begin(), object.meshes.end());
            const Bounds bounds = boundsOf(model, object.meshes, meshSetMatrix(object.pivot, 1.0f));
            EXPECT_LE(bounds.low.z, 0.02f) << "floats above the ground";
            EXPECT_GE(bounds.low.z, -kDeepestSink) << "sunk into the ground";
            EXPECT_NEAR(bounds.centre().x, 0.0f, kOffCentre);
            EXPECT_NEAR(bounds.centre().y, 0.0f, kOffCentre);
            EXPECT_GE(bounds.high.z, object.minHeight);
            EXPECT_LE(bounds.high.z, object.maxHeight);
        }
        EXPECT_EQ(covered.size(), model.meshes.size()) << "a mesh belongs to no object";
    }
}

// Mesh set i of the star map draws mesh i around the body's position; a planet must fit in
// the 5-unit circle that selects it, and the star outshines every planet.
TEST(ModelAssets, PlanetMeshesAreCentredOnTheirPivots) {
    const glm::vec3 pivots[14] = {{10.0f, 7.0f, 0.0f},    {-5.0f, 2.1f, 0.0f},  {10.3f, -7.5f, 0.0f},
                                  {-5.0f, -2.3f, 0.0f},   {-0.4f, -7.1f, 0.0f}, {0.0f, 2.0f, 0.0f},
                                  {5.0f, -2.4f, 0.0f},    {5.3f, 2.4f, 0.0f},   {-10.1f, -2.1f, 0.0f},
                                  {10.3f, 2.5f, 0.0f},    {-10.4f, -7.0f, 0.0f}, {5.1f, 7.1f, 0.0f},
                                  {10.3f, -2.2f, 0.0f},   {-0.1f, 7.0f, 0.0f}};
    constexpr float kClickRadius = 5.0f;
    IMPORT_OR_SKIP(model, "models/planets/planets.obj", true);
    ASSERT_EQ(model.meshes.size(), 14u);
    float largestPlanet = 0.0f;
    float star = 0.0f;
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE("body mesh " + std::to_string(i));
        const Bounds bounds = boundsOf(model, {i}, meshSetMatrix(pivots[i], 1.0f));
        // Rings and moons may make a body lopsided, but its sphere stays on the pivot.
        EXPECT_NEAR(bounds.centre().x, 0.0f, 1.0f);
        EXPECT_NEAR(bounds.centre().y, 0.0f, 1.0f);
        const float reach = std::max({bounds.high.x, -bounds.low.x, bounds.high.y, -bounds.low.y});
        if (i == 0) {
            star = reach;
        } else {
            EXPECT_LT(reach, kClickRadius);
            largestPlanet = std::max(largestPlanet, reach);
        }
    }
    EXPECT_GT(star, largestPlanet);
}

// The rocket stands on the landing point with its feet on the ground below its origin, and its
// engine bell opens where the exhaust is spawned.
TEST(ModelAssets, RocketStandsOnItsLegsWithTheNozzleAtTheExhaust) {
    constexpr float kScale = 0.1f;
    // The terrain's shared tile corner lies at the rocket's origin height.
    constexpr float kGroundBelowOrigin = 0.0f;
    constexpr float kExhaustHeight = 3.0f;
    constexpr int kNozzleMesh = 2;
    IMPORT_OR_SKIP(model, "models/spaceship/spaceship.obj", false);
    const glm::mat4 standing = meshSetMatrix(glm::vec3(0.0f), kScale);
    const Bounds whole = boundsOf(model, allMeshes(model), standing);
    EXPECT_NEAR(whole.low.z, -kGroundBelowOrigin, 0.05f);
    EXPECT_NEAR(whole.centre().x, 0.0f, 0.3f);
    EXPECT_NEAR(whole.centre().y, 0.0f, 0.3f);
    const Bounds nozzle = boundsOf(model, {kNozzleMesh}, standing);
    EXPECT_NEAR(nozzle.low.z, kExhaustHeight, 0.3f);
    EXPECT_LT(nozzle.size().x, 3.0f);
    const float bodyHeight = whole.high.z - nozzle.low.z;
    EXPECT_GT(bodyHeight, 10.0f);
    EXPECT_LT(bodyHeight, 16.0f);
}

// The UFO is picked with a box centred on its position raised by its height; the hull has to
// fill that box, and be about as wide as a small house.
TEST(ModelAssets, UfoFillsTheBoxItIsPickedWith) {
    constexpr float kScale = 0.05f;
    IMPORT_OR_SKIP(model, "models/ufo1/Low_poly_UFO.obj", false);
    const Bounds bounds = boundsOf(model, allMeshes(model), meshSetMatrix(glm::vec3(0.0f), kScale));
    const float height = bounds.size().z;
    EXPECT_NEAR(bounds.low.z, 0.5f * height, 0.05f);
    EXPECT_NEAR(bounds.high.z, 1.5f * height, 0.05f);
    EXPECT_GE(bounds.size().x, 3.0f);
    EXPECT_LE(bounds.size().x, 4.0f);
    EXPECT_GE(bounds.size().y, 3.0f);
    EXPECT_LE(bounds.size().y, 4.0f);
    // Its shader reads the diffuse map, the glow (ambient) map and the normal (bump) map of
    // every mesh; a missing one would leave its sampler on the diffuse map.
    for (const auto& mesh : model.meshes) {
        SCOPED_TRACE(mesh.name);
        for (int type : {aiTextureType_DIFFUSE, aiTextureType_AMBIENT, aiTextureType_HEIGHT}) {
            const auto count = std::count_if(mesh.textures.begin(), mesh.textures.end(),
                                             [type](const auto& texture) { return texture.first == type; });
            EXPECT_EQ(count, 1) << "texture type " << type;
        }
    }
}

TEST(ModelAssets, CrystalIsAboutTwoUnitsTallAndSpinsAboutItsAxis) {
    IMPORT_OR_SKIP(model, "models/crystal/crystal.obj", true);
    const Bounds bounds = boundsOf(model, allMeshes(model), meshSetMatrix(glm::vec3(0.0f), 1.0f));
    EXPECT_GE(bounds.size().z, 1.8f);
    EXPECT_LE(bounds.size().z, 2.4f);
    EXPECT_NEAR(bounds.centre().x, 0.0f, 0.15f);
    EXPECT_NEAR(bounds.centre().y, 0.0f, 0.15f);
}

// The importer opens material images by the names in the MTL files, relative to the model's
// folder; each must be a package entry, textured meshes need texture coordinates in the image,
// and every image the package holds for a model is used by it.
TEST(ModelAssets, MaterialsNameOnlyPackageImagesAndUseThemAll) {
    const std::vector<std::string> list = buildAssetList();
    const std::set<std::string> entries(list.begin(), list.end());
    std::set<std::string> named;
    for (const ModelFile& file : kModels) {
        SCOPED_TRACE(file.entry);
        IMPORT_OR_SKIP(model, file.entry, file.flipUVs);
        const std::string entry = file.entry;
        const std::string folder = entry.substr(0, entry.rfind('/'));
        for (const auto& mesh : model.meshes) {
            SCOPED_TRACE(mesh.name);
            for (const auto& texture : mesh.textures) {
                const std::string image = folder + "/" + texture.second;
                EXPECT_EQ(entries.count(image), 1u) << image;
                named.insert(image);
            }
            if (mesh.textures.empty()) {
                continue;
            }
            ASSERT_EQ(mesh.uvs.size(), mesh.positions.size());
            const auto outside = std::count_if(mesh.uvs.begin(), mesh.uvs.end(), [](const glm::vec2& uv) {
                return uv.x < 0.0f || uv.x > 1.0f || uv.y < 0.0f || uv.y > 1.0f;
            });
            EXPECT_EQ(outside, 0);
        }
    }
    for (const std::string& entry : list) {
        const bool modelImage = entry.rfind("models/", 0) == 0 && entry.find(".obj") == std::string::npos &&
                                entry.find(".mtl") == std::string::npos;
        if (modelImage) {
            EXPECT_EQ(named.count(entry), 1u) << entry << " is in the package but no material uses it";
        }
    }
}
