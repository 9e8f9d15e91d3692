// One sphere drawn at many centres in a frame for less than drawing it whole at each, with
// the pixels that moving the sphere to each centre and drawing it there would give. A sphere
// wholly outside the view is passed over; of the others only the triangles that can cover a
// pixel's sample are sent, and the far side is left out where the near side hides it.
// What that proof needs, and what is drawn where it does not hold:
// - a target without multisampling, else each sphere in view is drawn whole;
// - at least 24 depth bits to leave the far side out, else the far side is kept;
// - with polygon smoothing on, a probe at set-up that tells whether smoothing lights pixels
//   whose centre a triangle misses, else each sphere in view is drawn whole;
// - the depth, blending and stencil state of the frame, checked each frame.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

class Icosphere;
class MatrixOwner;
class ScreenFootprint;

class SphereCrowd {
public:
    // What smoothing does to a pixel that a triangle covers in part, but not at its centre.
    enum class Smoothing { KeepsToPixelCentres, CoversWholePixels, Unknown };

    // The sphere is set up before the crowd, and outlives it; the crowd draws its mesh with
    // its program and texture.
    explicit SphereCrowd(Icosphere* sphere);
    ~SphereCrowd();
    SphereCrowd(const SphereCrowd&) = delete;
    SphereCrowd& operator=(const SphereCrowd&) = delete;

    bool setup();
    // Draws the sphere centred at each point in turn. Where the picking's proof does not
    // hold, each sphere in view is moved to and drawn whole, in the same order.
    void render(MatrixOwner* camera, const glm::vec3* centres, int count);

    // Triangles that the last render sent, over every sphere it drew.
    unsigned int getSentTriangleCount() const { return sentTriangles; }
    Smoothing getSmoothing() const { return smoothing; }

private:
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
    // What the draw framebuffer holds, as far as the proof is concerned.
    struct DrawTarget {
        GLint framebuffer = -1;
        int depthBits = 0;
        bool multisampled = false;
    };
    // The camera's matrices for one frame.
    struct FrameView {
        glm::mat4 view;
        glm::mat4 viewProjection;
        glm::dmat4 exactViewProjection;
        double viewShift;
    };

    void buildPatches();
    // The patch of these triangles, numbered `number` (from 1) among all patches; measuredBy
    // keeps, for each vertex, the number of the last patch that measured it.
    Patch patchOf(size_t firstTriangle, size_t triangles, size_t number, std::vector<size_t>* measuredBy) const;
    void buildFacings();
    Smoothing probeSmoothing();
    // Draws the probe's triangles with smoothing on and reads back its row of pixels, RGBA;
    // false when its target cannot be made.
    bool drawProbeRow(uint8_t* row);
    void readDrawTarget(GLint framebuffer);
    FrameView frameViewOf(MatrixOwner* camera) const;
    // How far the renderer's rounding may move a point of the sphere at this centre, in object
    // units; whether the sphere there can draw no pixel.
    double roundingReachAt(const FrameView& frameView, const glm::vec3& centre) const;
    bool outsideView(const FrameView& frameView, const glm::vec3& centre, double roundingReach) const;
    void drawWhole(MatrixOwner* camera, const glm::vec3* centres, int count);
    void pickAndDraw(MatrixOwner* camera, const glm::vec3* centres, int count, bool smoothingOn);
    double pixelMargin(bool smoothingOn) const;
    // Whether the draw's state lets the near side of a closed surface hide its far side.
    bool depthHidesFarSide(double margin) const;
    // Whether every triangle of the patch, or the triangle, turns its back on eyeInObject.
    bool patchFacesAway(const Patch& patch) const;
    bool triangleFacesAway(size_t triangle) const;
    // Append the triangles of the patch, or the one triangle, that may cover a sample.
    void pickPatch(const ScreenFootprint& footprint, size_t level, size_t patch);
    void pickTriangle(const ScreenFootprint& footprint, size_t triangle);
    // Where the footprint's sphere shows the vertex.
    const glm::dvec2& seen(const ScreenFootprint& footprint, unsigned int vertex);
    glm::vec3 positionOf(unsigned int vertex) const;
    void drawSent(MatrixOwner* camera);

    Icosphere* sphere;
    const std::vector<unsigned int>& indices;
    const std::vector<float>& positions;
    int subpixelBits = 0;
    Smoothing smoothing = Smoothing::Unknown;
    DrawTarget target;

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
    // Where the sphere being picked shows each vertex, valid where the stamp is current.
    std::vector<glm::dvec2> seenVertices;
    std::vector<unsigned int> seenStamps;
    unsigned int seenStamp = 0;

    // What a frame sends: the chosen triangles of every sphere in one index buffer, drawn
    // over the sphere's vertices, and each sphere's world matrix and share of it.
    struct SentDraw {
        glm::mat4 world;
        size_t firstIndex;
        size_t indexCount;
    };
    std::vector<unsigned int> sentIndices;
    std::vector<SentDraw> sentDraws;
    unsigned int sentTriangles = 0;
    GLuint sentVertexArray = 0;
    GLuint sentIndexBuffer = 0;
};
