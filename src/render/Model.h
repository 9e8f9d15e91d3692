// A Wavefront OBJ model from the package with its material library and textures, turned
// into GPU meshes and drawn with one shared program: whole, or one mesh set at a time, a
// mesh set being a list of mesh indices with a pivot and a turn of its own, so one file can
// hold many separately placed objects.
#pragma once

#include <assimp/material.h>

#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "render/Mesh.h"

struct aiMesh;
struct aiNode;
struct aiScene;
class MatrixOwner;
class ShaderProgram;

struct MeshSet {
    std::vector<int> meshIndices;  // drawn in this order
    glm::vec3 pivot;               // in scaled, set-turned model units; lands on the model's position
    glm::vec3 rotation;            // only x is used: a turn about the x axis, radians
};

class Model {
public:
    Model(std::string objPath, std::string vertexShader, std::string fragmentShader, bool flipUVs);
    ~Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    bool setup();
    // The step of setup() that needs no OpenGL context: importing the OBJ entry with its
    // material library into meshes that are not uploaded yet, and the model-space box.
    bool importMeshes();
    void createMeshSet(std::vector<int> meshIndices, const glm::vec3& pivot, const glm::vec3& rotation);
    int getNumMeshSets() const { return static_cast<int>(meshSets.size()); }
    void setScale(float scale, bool updateBoundingBox);
    void setPosition(const glm::vec3& position, bool updateBoundingBox);
    void updateAABB();
    void update(float dt);
    void render(MatrixOwner* camera, const glm::vec3& lightPosition);
    void renderMeshSet(MatrixOwner* camera, const glm::vec3& lightPosition, int meshSetIndex);

    // Everything before the last '/' or '\'; the whole path when it has neither.
    static std::string getBasePath(const std::string& path);

    const std::vector<Mesh*>& getMeshes() const { return meshes; }
    const std::vector<Texture>& getTexturesLoaded() const { return texturesLoaded; }
    glm::vec3 getAabbMin() const { return aabbMin; }
    glm::vec3 getAabbMax() const { return aabbMax; }

    glm::vec3 size = glm::vec3(0.0f);
    glm::vec3 top = glm::vec3(0.0f);
    glm::vec3 position = glm::vec3(0.0f);
    float scale = 1.0f;
    glm::vec3 rotation = glm::vec3(0.0f);

private:
    void processNode(aiNode* node, const aiScene* scene);
    Mesh* processMesh(aiMesh* mesh, const aiScene* scene);
    std::vector<Texture> loadMaterialTextures(aiMaterial* material, aiTextureType type, const std::string& typeName);
    Material loadMaterial(aiMaterial* material);
    void growBox(const glm::vec3& point);
    // Uses the program and sets the camera and light uniforms shared by both draws.
    void beginDraw(MatrixOwner* camera, const glm::vec3& lightPosition);
    glm::mat4 modelRotation() const;
    std::string textureDirectory() const;

    std::string objPath;
    std::vector<Mesh*> meshes;
    std::vector<Texture> texturesLoaded;
    std::vector<MeshSet*> meshSets;
    glm::vec3 aabbMin = glm::vec3(1000.0f);
    glm::vec3 aabbMax = glm::vec3(-1000.0f);
    bool flipUVs;
    std::string vertexShader;
    std::string fragmentShader;
    ShaderProgram* program = nullptr;
};
