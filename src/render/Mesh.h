// One GPU mesh of a model: its vertices and triangle indices in a vertex array with a vertex
// and an index buffer, drawn with the model's program either with its textures bound or
// with its material colours set.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <string>
#include <vector>

class MatrixOwner;
class ShaderProgram;

// One vertex as the vertex buffer holds it (56 bytes, inputs 0 to 4).
struct MeshVertexData {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 texCoords;
    glm::vec3 tangent;
    glm::vec3 bitangent;
};

struct Texture {
    GLuint id;         // 0 when the image failed to load
    std::string type;  // "texture_diffuse", "texture_specular", "texture_normal" or "texture_height"
    std::string path;  // as the material names it, relative to the model's directory
};

struct Material {
    glm::vec3 diffuse;
    glm::vec3 specular;
    glm::vec3 ambient;
    float shininess;
};

class Mesh {
public:
    Mesh(std::vector<MeshVertexData> vertices, std::vector<unsigned int> indices, std::vector<Texture> textures,
         Material material);
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    bool setup();
    void update(float dt);
    // The caller has made program current; the camera is not read.
    void render(MatrixOwner* camera, ShaderProgram* program);

    const std::vector<MeshVertexData>& getVertices() const { return vertices; }
    const std::vector<unsigned int>& getIndices() const { return indices; }
    const std::vector<Texture>& getTextures() const { return textures; }
    const Material& getMaterial() const { return material; }

private:
    void setMaterialUniforms(GLuint programId) const;
    void bindTextures(GLuint programId) const;

    std::vector<MeshVertexData> vertices;
    std::vector<unsigned int> indices;
    std::vector<Texture> textures;
    GLuint VAO = 0;
    GLuint VBO = 0;
    GLuint EBO = 0;
    Material material;
};
