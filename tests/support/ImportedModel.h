// A model of build/run read through the importer with the game's own flags, its meshes
// numbered as the game numbers them (depth first over the node tree), for tests that check
// what the game will see of it.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct ImportedMesh {
    std::string name;
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;  // empty when the mesh has none
    std::vector<uint32_t> indices;
    glm::vec3 diffuse{0.0f};
    glm::vec3 ambient{0.0f};
    // (importer texture type, name as the material gives it)
    std::vector<std::pair<int, std::string>> textures;
};

struct ImportedModel {
    bool loaded = false;
    std::string error;
    std::vector<ImportedMesh> meshes;
};

// The entry's loose file below QUENLOW_RUN_DIR.
std::string runFile(const std::string& entry);
bool runFileExists(const std::string& entry);
// Triangulated, with generated normals, texture coordinates flipped when asked: the game's import.
ImportedModel importRunModel(const std::string& entry, bool flipUVs);

// The matrix a mesh set applies at the origin: scale, the quarter turn about x, minus the pivot.
glm::mat4 meshSetMatrix(const glm::vec3& pivot, float scale);

struct Bounds {
    glm::vec3 low{1e9f};
    glm::vec3 high{-1e9f};
    glm::vec3 centre() const { return (low + high) * 0.5f; }
    glm::vec3 size() const { return high - low; }
};
// Box around the listed meshes' vertices after the transform.
Bounds boundsOf(const ImportedModel& model, const std::vector<int>& meshIndices, const glm::mat4& transform);
std::vector<int> allMeshes(const ImportedModel& model);

}  // namespace testing_support
