#include "support/ImportedModel.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>

#include <sys/stat.h>

namespace testing_support {

namespace {

constexpr float kQuarterTurn = 1.5707964f;
const aiTextureType kTextureTypes[] = {aiTextureType_DIFFUSE, aiTextureType_SPECULAR, aiTextureType_AMBIENT,
                                       aiTextureType_EMISSIVE, aiTextureType_HEIGHT, aiTextureType_NORMALS,
                                       aiTextureType_SHININESS, aiTextureType_OPACITY};

ImportedMesh convert(const aiMesh* source, const aiScene* scene) {
    ImportedMesh mesh;
    mesh.name = source->mName.C_Str();
    for (unsigned i = 0; i < source->mNumVertices; ++i) {
        mesh.positions.emplace_back(source->mVertices[i].x, source->mVertices[i].y, source->mVertices[i].z);
        if (source->mNormals != nullptr) {
            mesh.normals.emplace_back(source->mNormals[i].x, source->mNormals[i].y, source->mNormals[i].z);
        }
        if (source->mTextureCoords[0] != nullptr) {
            mesh.uvs.emplace_back(source->mTextureCoords[0][i].x, source->mTextureCoords[0][i].y);
        }
    }
    for (unsigned f = 0; f < source->mNumFaces; ++f) {
        for (unsigned k = 0; k < source->mFaces[f].mNumIndices; ++k) {
            mesh.indices.push_back(source->mFaces[f].mIndices[k]);
        }
    }
    const aiMaterial* material = scene->mMaterials[source->mMaterialIndex];
    aiColor4D colour(0.0f, 0.0f, 0.0f, 0.0f);
    aiGetMaterialColor(material, "$clr.diffuse", 0, 0, &colour);
    mesh.diffuse = glm::vec3(colour.r, colour.g, colour.b);
    colour = aiColor4D(0.0f, 0.0f, 0.0f, 0.0f);
    aiGetMaterialColor(material, "$clr.ambient", 0, 0, &colour);
    mesh.ambient = glm::vec3(colour.r, colour.g, colour.b);
    for (aiTextureType type : kTextureTypes) {
        for (unsigned i = 0; i < material->GetTextureCount(type); ++i) {
            aiString name;
            material->GetTexture(type, i, &name);
            mesh.textures.emplace_back(static_cast<int>(type), name.C_Str());
        }
    }
    return mesh;
}

void walk(const aiNode* node, const aiScene* scene, ImportedModel& model) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        model.meshes.push_back(convert(scene->mMeshes[node->mMeshes[i]], scene));
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        walk(node->mChildren[i], scene, model);
    }
}

}  // namespace

std::string runFile(const std::string& entry) {
    return std::string(QUENLOW_RUN_DIR) + "/" + entry;
}

bool runFileExists(const std::string& entry) {
    struct stat info {};
    return stat(runFile(entry).c_str(), &info) == 0;
}

ImportedModel importRunModel(const std::string& entry, bool flipUVs) {
    ImportedModel model;
    Assimp::Importer importer;
    const unsigned flags = aiProcess_Triangulate | aiProcess_GenNormals | (flipUVs ? aiProcess_FlipUVs : 0);
    const aiScene* scene = importer.ReadFile(runFile(entry), flags);
    if (scene == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 || scene->mRootNode == nullptr) {
        model.error = importer.GetErrorString();
        return model;
    }
    walk(scene->mRootNode, scene, model);
    model.loaded = true;
    return model;
}

glm::mat4 meshSetMatrix(const glm::vec3& pivot, float scale) {
    return glm::translate(glm::mat4(1.0f), -pivot) * glm::rotate(glm::mat4(1.0f), kQuarterTurn, glm::vec3(1, 0, 0)) *
           glm::scale(glm::mat4(1.0f), glm::vec3(scale));
}

Bounds boundsOf(const ImportedModel& model, const std::vector<int>& meshIndices, const glm::mat4& transform) {
    Bounds bounds;
    for (int index : meshIndices) {
        for (const glm::vec3& position : model.meshes.at(index).positions) {
            const glm::vec3 moved(transform * glm::vec4(position, 1.0f));
            bounds.low = glm::min(bounds.low, moved);
            bounds.high = glm::max(bounds.high, moved);
        }
    }
    return bounds;
}

std::vector<int> allMeshes(const ImportedModel& model) {
    std::vector<int> indices;
    for (size_t i = 0; i < model.meshes.size(); ++i) {
        indices.push_back(static_cast<int>(i));
    }
    return indices;
}

}  // namespace testing_support
