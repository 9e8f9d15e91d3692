// The generated models as the game imports them: the mesh counts its mesh sets rely on, faces
// wound outward, and material images the package holds.
#include <gtest/gtest.h>

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cmath>

#include "core/AssetList.h"
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
                                                     {kPlanets, 14},
                                                     {kCrystal, 2},
                                                     {kUfo, 3},
                                                     {kRocket, 5}};
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
