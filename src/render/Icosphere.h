// A textured sphere made by subdividing an icosahedron whose 20 faces lie flat on the
// texture as one net. Vertices are shared wherever the texture allows; the net's seams keep
// their own. The radius is built into the vertices; the sphere is moved by a translation.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "render/ShaderProgram.h"

class LevelQuery;
class MatrixOwner;

class Icosphere {
public:
    Icosphere(float x, float y, float z, std::string texturePath, float rotationSpeed, float radius,
              int subdivisionCount);
    ~Icosphere();
    Icosphere(const Icosphere&) = delete;
    Icosphere& operator=(const Icosphere&) = delete;

    bool setup();
    void setPos(const glm::vec3& position);
    void render(MatrixOwner* camera);
    void update(float seconds, LevelQuery* level);

    // The mesh alone, without GL: the base net, the subdivision passes and the interleaving.
    void buildVerticesSmooth();

    unsigned int getVertexCount() const { return vertexCount; }
    unsigned int getIndexCount() const { return static_cast<unsigned int>(indices.size()); }
    const std::vector<float>& getPositions() const { return positions; }
    const std::vector<float>& getNormals() const { return normals; }
    const std::vector<float>& getTexCoords() const { return texCoords; }
    const std::vector<unsigned int>& getIndices() const { return indices; }
    // Position, normal and texture coordinate of each vertex: 8 floats a vertex.
    const std::vector<float>& getInterleavedVertices() const { return interleavedVertices; }
    float getAngle() const { return rotationAngle; }
    glm::vec3 getPos() const { return glm::vec3(x, y, z); }
    // What a draw of the mesh elsewhere needs: the program with the sphere's texture, its
    // matrices' uniform locations, the vertex buffer (the layout of getInterleavedVertices)
    // and the world matrix that render would use with the sphere centred there.
    ShaderProgram* getProgram() const { return program; }
    // Puts the program in use, reading the sphere's texture from unit 0.
    void useProgramAndTexture();
    const ShaderProgram::MatrixLocations& getMatrixLocations() const { return matrixLocations; }
    GLuint getVertexBuffer() const { return vertexBuffer; }
    glm::mat4 worldMatrixAt(const glm::vec3& centre) const;

private:
    using TexCoord = std::pair<float, float>;

    std::vector<float> computeIcosahedronVertices() const;
    void subdivideVerticesSmooth();
    glm::vec3 computeHalfVertex(const glm::vec3& a, const glm::vec3& b) const;
    static TexCoord computeHalfTexCoord(const TexCoord& a, const TexCoord& b);
    unsigned int addSubVertexAttribs(const glm::vec3& position, const glm::vec3& normal, const TexCoord& texCoord);
    static bool isSharedTexCoord(const TexCoord& texCoord);
    static bool isOnLineSegment(const TexCoord& a, const TexCoord& b, const TexCoord& c);
    void buildInterleavedVertices();
    void addVertex(const glm::vec3& position);
    void addNormal(const glm::vec3& normal);
    void addTexCoord(const TexCoord& texCoord);
    void addIndices(unsigned int i1, unsigned int i2, unsigned int i3);
    glm::vec3 positionOf(unsigned int index) const;
    TexCoord texCoordOf(unsigned int index) const;
    void createBuffers();

    std::string texturePath;
    float radius;
    int subdivisionCount;
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texCoords;
    std::vector<unsigned int> indices;
    std::map<TexCoord, unsigned int> sharedIndices;
    ShaderProgram* program = nullptr;
    GLuint texture = 0;
    std::vector<float> interleavedVertices;
    unsigned int indexCount = 0;
    unsigned int vertexCount = 0;
    float x;
    float y;
    float z;
    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
    GLuint indexBuffer = 0;
    glm::vec3 rotationAxis = glm::vec3(0.0f, 0.0f, 1.0f);
    float rotationAngle = 0.0f;
    float rotationSpeed;
    // Looked up once, when the program is built.
    ShaderProgram::MatrixLocations matrixLocations;
    GLint samplerLocation = -1;
};
