// A textured sphere made by subdividing an icosahedron whose 20 faces lie flat on the
// texture as one net. Vertices are shared wherever the texture allows; the net's seams keep
// their own. The radius is built into the vertices; the sphere is moved by a translation.
// Drawn at many places in a frame, it sends only the triangles that can reach a pixel.
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
class ScreenFootprint;

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
    // Draws the sphere centred at each point in turn, with the pixels that setPos and render
    // for each would give. A sphere wholly outside the view is passed over, and of the others
    // only the triangles that can cover a pixel's sample are sent to the renderer.
    void renderAt(MatrixOwner* camera, const glm::vec3* centres, int count);
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
    // Triangles that the last renderAt sent, over every sphere it drew.
    unsigned int getSentTriangleCount() const { return static_cast<unsigned int>(sentIndices.size() / 3); }
    glm::vec3 getPos() const { return glm::vec3(x, y, z); }

private:
    using TexCoord = std::pair<float, float>;
    // The triangles that the passes made of one triangle, which lie within `thickness` of
    // the flat triangle between the patch's three corners.
    struct Patch {
        unsigned int corners[3];
        float thickness;
        // The triangles' outward normals lie within the cone about `axis` whose half-angle has
        // this cosine and sine, and their planes pass the centre at leastOffset or farther.
        glm::vec3 axis;
        float spreadCos;
        float spreadSin;
        float leastOffset;
    };

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
    void buildPatches();
    // The patch of these triangles, numbered `number` (from 1) among all patches; measuredBy
    // keeps, for each vertex, the number of the last patch that measured it.
    Patch patchOf(size_t firstTriangle, size_t triangles, size_t number, std::vector<size_t>* measuredBy) const;
    void buildFacings();
    // Whether every triangle of the patch, or the triangle, turns its back on eyeInObject.
    bool patchFacesAway(const Patch& patch) const;
    bool triangleFacesAway(size_t triangle) const;
    // Whether the draw's state lets the near side of a closed surface hide its far side.
    bool depthHidesFarSide(double pixelMargin) const;
    bool smoothingKeepsToPixelCentres();
    // The program in use, reading the sphere's texture from unit 0.
    void useProgramAndTexture();
    glm::mat4 worldMatrixAt(const glm::vec3& centre) const;
    double pixelMarginNow() const;
    // Append the triangles of the patch, or the one triangle, that may cover a sample.
    void pickPatch(const ScreenFootprint& footprint, size_t level, size_t patch);
    void pickTriangle(const ScreenFootprint& footprint, size_t triangle);
    // Where the footprint's sphere shows the vertex.
    const glm::dvec2& seen(const ScreenFootprint& footprint, unsigned int vertex);
    void drawSent(MatrixOwner* camera);

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

    // Level 0 holds the triangles made of each of the 20 base triangles; level k + 1 the four
    // parts that the next pass made of each patch of level k, down to four triangles. Each
    // patch is one run of the indices, and its parts follow each other in it.
    std::vector<std::vector<Patch>> patches;
    float boundingRadius = 0.0f;  // of every vertex, from the centre
    float innerRadius = 0.0f;     // of every point of every triangle
    float normalTilt = 0.0f;      // how far a unit normal lies from the unit direction of a corner
    // Each triangle's outward unit normal, and how far its plane passes the centre.
    std::vector<glm::vec4> facings;
    // For the sphere being picked: the eye in its own space, the margin for the facing tests
    // and how far from its centre's place its far side is hidden, 0 for nowhere.
    glm::dvec3 eyeInObject = glm::dvec3(0.0);
    glm::dvec3 eyeDirection = glm::dvec3(0.0);
    double eyeDistance = 0.0;
    double facingMargin = 0.0;
    double hiddenRadius = 0.0;
    ShaderProgram::MatrixLocations matrixLocations;
    GLint samplerLocation = -1;
    int subpixelBits = 0;
    // A smoothing rasterizer makes fragments where a triangle only touches a pixel.
    bool smoothingCoversWholePixels = true;
    // What renderAt sends: the chosen triangles of every sphere in one index buffer, drawn
    // over the same vertices, and each sphere's world matrix and share of it.
    struct SentDraw {
        glm::mat4 world;
        size_t firstIndex;
        size_t indexCount;
    };
    std::vector<unsigned int> sentIndices;
    std::vector<SentDraw> sentDraws;
    // Where the sphere being picked shows each vertex, valid where the stamp is current.
    std::vector<glm::dvec2> seenVertices;
    std::vector<unsigned int> seenStamps;
    unsigned int seenStamp = 0;
    GLuint sentVertexArray = 0;
    GLuint sentIndexBuffer = 0;
};
