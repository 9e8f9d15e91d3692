// A flat rectangle with a tiled diffuse texture and a normal map, carrying per-vertex
// tangents and bitangents for normal mapping. It lies in its own x-y plane facing +z.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <string>

class Followable;
class MatrixOwner;
class ShaderProgram;

class TexturedQuad {
public:
    static constexpr int kVertexCount = 4;
    static constexpr int kFloatsPerVertex = 14;  // position, normal, uv, tangent, bitangent
    static constexpr int kIndexCount = 6;

    // textureSize: world units covered by one repeat of the textures.
    TexturedQuad(float x, float y, float z, float width, float height, std::string diffuseTexture,
                 std::string normalTexture, std::string vertexShader, std::string fragmentShader, float textureSize);
    ~TexturedQuad();
    TexturedQuad(const TexturedQuad&) = delete;
    TexturedQuad& operator=(const TexturedQuad&) = delete;

    void setupVertexData();
    // Tangents of the triangles (a, b, c) and (a, c, d); a and d get the mean of both.
    void calculateTangentsForQuad(int a, int b, int c, int d);
    bool setup();
    void setPosition(const glm::vec3& position);
    void update(float dt);
    // The second argument is not used.
    void render(MatrixOwner* camera, Followable* follow);

    const float* getVertexData() const { return vertexData; }
    const unsigned int* getIndexData() const { return indexData; }

private:
    float width;
    float height;
    glm::vec3 position;
    float textureSize;
    float vertexData[kVertexCount * kFloatsPerVertex] = {};
    unsigned int indexData[kIndexCount] = {};
    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
    GLuint indexBuffer = 0;
    std::string normalTexturePath;
    std::string diffuseTexturePath;
    GLuint diffuseTexture = 0;
    GLuint normalTexture = 0;
    std::string vertexShader;
    std::string fragmentShader;
    ShaderProgram* program = nullptr;
};
