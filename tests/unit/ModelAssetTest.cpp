// The generated models as the game imports them: the mesh counts its mesh sets rely on, faces
// wound outward, material images the package holds, and each object where its users place it.
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>

#include "core/AssetList.h"
#include "support/ModelSets.h"
#include "support/RunAssets.h"

namespace {

const std::string kRocket = "models/spaceship/spaceship.obj", kUfo = "models/ufo1/Low_poly_UFO.obj",
                  kCrystal = "models/crystal/crystal.obj", kPlanets = "models/planets/planets.obj";

// Meshes in the game's order (depth first over the nodes), imported with the game's flags.
struct Imported {
    Assimp::Importer importer;
    const aiScene* scene;
    std::vector<const aiMesh*> meshes;

    explicit Imported(const std::string& entry)
        : scene(importer.ReadFile(testing_support::runPath(entry),
                                  aiProcess_Triangulate | aiProcess_GenNormals |
                                      (entry == kPlanets || entry == kCrystal ? unsigned(aiProcess_FlipUVs) : 0u))) {
        if (scene != nullptr && scene->mRootNode != nullptr) {
            walk(scene->mRootNode);
        }
    }
    void walk(const aiNode* node) {
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            meshes.push_back(scene->mMeshes[node->mMeshes[i]]);
        }
        for (unsigned i = 0; i < node->mNumChildren; ++i) {
            walk(node->mChildren[i]);
        }
    }
};

}  // namespace

TEST(ModelAssets, ImportWithTheMeshCountsTheirSetsNeedOutwardFacesAndPackagedImages) {
    SKIP_WITHOUT_RUN_ASSETS();
    const std::vector<std::string> entries = buildAssetList();
    const std::pair<std::string, size_t> models[] = {{"models/forest3/NatureFreePack1.obj", 39},
                                                     {"models/forest2/forest_assets.obj", 15},
                                                     {kPlanets, 14}, {kCrystal, 2}, {kUfo, 3}, {kRocket, 5}};
    for (const auto& [entry, meshCount] : models) {
        SCOPED_TRACE(entry);
        const Imported model(entry);
        ASSERT_NE(model.scene, nullptr) << model.importer.GetErrorString();
        ASSERT_EQ(model.meshes.size(), meshCount);
        for (const aiMesh* mesh : model.meshes) {
            SCOPED_TRACE(mesh->mName.C_Str());
            // Counter-clockwise seen from outside spans a positive volume with the origin; the
            // generated normals then face out and the lit side is the outside.
            double volume = 0.0;
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                ASSERT_EQ(mesh->mFaces[f].mNumIndices, 3u);
                const unsigned* corner = mesh->mFaces[f].mIndices;
                const aiVector3D &a = mesh->mVertices[corner[0]], &b = mesh->mVertices[corner[1]];
                volume += a * (b ^ mesh->mVertices[corner[2]]);
            }
            EXPECT_GT(volume, 0.0) << "faces wound inwards";
            // Material images are opened from the package, relative to the model's folder.
            const aiMaterial* material = model.scene->mMaterials[mesh->mMaterialIndex];
            for (int type = aiTextureType_DIFFUSE; type <= aiTextureType_UNKNOWN; ++type) {
                for (unsigned i = 0; i < material->GetTextureCount(aiTextureType(type)); ++i) {
                    aiString name;
                    material->GetTexture(aiTextureType(type), i, &name);
                    const std::string image = entry.substr(0, entry.rfind('/') + 1) + name.C_Str();
                    EXPECT_EQ(std::count(entries.begin(), entries.end(), image), 1) << image;
                }
            }
            // The UFO's shader samples a diffuse, a glow (ambient) and a bump map on every mesh.
            for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_AMBIENT, aiTextureType_HEIGHT}) {
                EXPECT_TRUE(entry != kUfo || material->GetTextureCount(type) == 1u) << "texture type " << type;
            }
        }
    }
}

// Each object's box after its set's scale, quarter turn about x and pivot: forest kinds stand at
// their pivot (a little into the ground for slopes), planets sit on theirs (rings and moons may
// make them lopsided) within the 5-unit circle that selects them, the rocket's legs reach the
// tiles' corner at its origin and the exhaust spawns 3 up at its nozzle, the UFO fills the box it
// is picked with (its own height up), and the spinning crystal is centred on its axis.
TEST(ModelAssets, MeshSetsSitOnTheirPivots) {
    SKIP_WITHOUT_RUN_ASSETS();
    constexpr float kAny = 1e9f;
    struct Placement {
        std::string entry, what;
        std::vector<int> meshes;  // empty: all
        glm::vec3 pivot;
        float scale, offCentre;
        glm::vec2 bottom, height, reach;  // ranges: lowest point, height, farthest side from the pivot
    };
    std::vector<Placement> rows = {
        {kRocket, "rocket", {}, glm::vec3(0.0f), 0.1f, 0.3f, {-0.05f, 0.05f}, {13.0f, 19.0f}, {0.0f, kAny}},
        {kRocket, "nozzle", {2}, glm::vec3(0.0f), 0.1f, 0.3f, {2.7f, 3.3f}, {0.0f, kAny}, {0.0f, 1.5f}},
        {kUfo, "ufo", {}, glm::vec3(0.0f), 0.05f, 0.1f, {-kAny, kAny}, {0.0f, kAny}, {1.5f, 2.0f}},
        {kCrystal, "crystal", {}, glm::vec3(0.0f), 1.0f, 0.15f, {-kAny, kAny}, {1.8f, 2.4f}, {0.0f, kAny}},
    };
    for (const auto& pack : testing_support::kForestPacks) {
        for (const auto& kind : pack.kinds) {
            rows.push_back({pack.entry, pack.name + std::to_string(kind.meshes[0]), kind.meshes, kind.pivot, 1.0f,
                            0.6f, {-0.5f, 0.02f}, {kind.minHeight, kind.maxHeight}, {0.0f, kAny}});
        }
    }
    for (int body = 0; body < 14; ++body) {
        rows.push_back({kPlanets, "body" + std::to_string(body), {body}, testing_support::kPlanetPivots[body], 1.0f,
                        1.0f, {-5.0f, 0.0f}, {0.0f, 10.0f}, {0.0f, body == 0 ? kAny : 5.0f}});
    }
    for (const Placement& row : rows) {
        SCOPED_TRACE(row.what);
        const Imported model(row.entry);
        glm::vec3 low(kAny), high(-kAny);
        for (size_t i = 0; i < model.meshes.size(); ++i) {
            if (row.meshes.empty() || std::count(row.meshes.begin(), row.meshes.end(), static_cast<int>(i)) != 0) {
                for (unsigned v = 0; v < model.meshes[i]->mNumVertices; ++v) {
                    const aiVector3D& p = model.meshes[i]->mVertices[v];
                    low = glm::min(low, glm::vec3(p.x, -p.z, p.y) * row.scale - row.pivot);
                    high = glm::max(high, glm::vec3(p.x, -p.z, p.y) * row.scale - row.pivot);
                }
            }
        }
        const float height = high.z - low.z, reach = std::max({high.x, -low.x, high.y, -low.y});
        EXPECT_LE(glm::length(glm::vec2(low + high) * 0.5f), row.offCentre);
        EXPECT_TRUE(low.z >= row.bottom[0] && low.z <= row.bottom[1]) << "lowest point " << low.z;
        EXPECT_TRUE(height >= row.height[0] && height <= row.height[1]) << "height " << height;
        EXPECT_TRUE(reach >= row.reach[0] && reach <= row.reach[1]) << "reach " << reach;
        EXPECT_TRUE(row.what != "ufo" || std::abs(low.z - height / 2) < 0.05f) << "off its picking box";
    }
}
