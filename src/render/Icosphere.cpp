#include "render/Icosphere.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "core/Log.h"
#include "core/MathUtil.h"
#include "render/LevelQuery.h"
#include "render/MatrixOwner.h"
#include "render/ScreenFootprint.h"
#include "render/TextureManager.h"
#include "render/VertexLayout.h"

namespace {

// One cell of the texture net: the sun map is drawn for cells of 186 x 322 pixels on a
// 2048 x 1024 image.
constexpr float kCellS = 186.0f / 2048.0f;
constexpr float kCellT = 322.0f / 1024.0f;

constexpr float kDegrees = 3.14159265358979323846f / 180.0f;
constexpr float kAzimuthStep = 72.0f * kDegrees;
constexpr float kUpperRingStart = -126.0f * kDegrees;
constexpr float kLowerRingStart = -90.0f * kDegrees;

constexpr float kOnSegmentTolerance = 0.0001f;
constexpr int kFloatsPerRecord = 8;

// The renderer takes each vertex through the world and view matrices in single precision,
// and its error grows with the size of the co-ordinates: this many units in the last place
// of their sum is wide of what two steps of four-term sums can lose.
constexpr double kRoundingUlps = 16.0;
constexpr double kUnitRoundoff = 1.0 / 16777216.0;  // 2^-24
// Each pass makes four triangles of one.
constexpr size_t kChildrenPerPatch = 4;
// How wide on the screen, in pixels, a patch's triangles are when it is sent whole: about half
// of them cover a sample then, and drawing the rest costs less than picking them out.
constexpr double kTriangleWidthKeptWhole = 0.6;
// The passes that make a net patch of 64 triangles of one, and how wide, as a share of the
// net's corner weights, the allowance around a sample may be before the net is not worth
// following down.
constexpr int kNetPasses = 3;
constexpr double kNetAllowanceLimit = 0.25;

struct NetPoint {
    float a;
    float b;
};

// The 22 base vertices: which icosahedron point each is and where it sits on the net.
struct BaseVertex {
    int point;
    NetPoint net;
    bool shared;
};
constexpr BaseVertex kBaseVertices[22] = {
    {0, {1, 0}, false},  {0, {3, 0}, false},  {0, {5, 0}, false},  {0, {7, 0}, false},  {0, {9, 0}, false},
    {11, {2, 3}, false}, {11, {4, 3}, false}, {11, {6, 3}, false}, {11, {8, 3}, false}, {11, {10, 3}, false},
    {1, {0, 1}, false},  {1, {10, 1}, false}, {6, {1, 2}, false},  {6, {11, 2}, false}, {2, {2, 1}, true},
    {3, {4, 1}, true},   {4, {6, 1}, true},   {5, {8, 1}, true},   {7, {3, 2}, true},   {8, {5, 2}, true},
    {9, {7, 2}, true},   {10, {9, 2}, true},
};

constexpr unsigned int kBaseTriangles[20][3] = {
    {0, 10, 14},  {1, 14, 15},  {2, 15, 16},  {3, 16, 17},  {4, 17, 11},  {10, 12, 14}, {12, 18, 14},
    {14, 18, 15}, {18, 19, 15}, {15, 19, 16}, {19, 20, 16}, {16, 20, 17}, {20, 21, 17}, {17, 21, 11},
    {21, 13, 11}, {5, 18, 12},  {6, 19, 18},  {7, 20, 19},  {8, 21, 20},  {9, 13, 21},
};

// The 20 segments that bound the net; midpoints on them belong to one triangle only.
constexpr NetPoint kSeamSegments[20][2] = {
    {{1, 0}, {0, 1}}, {{1, 0}, {2, 1}}, {{3, 0}, {2, 1}}, {{3, 0}, {4, 1}},  {{5, 0}, {4, 1}},
    {{5, 0}, {6, 1}}, {{7, 0}, {6, 1}}, {{7, 0}, {8, 1}}, {{9, 0}, {8, 1}},  {{9, 0}, {11, 2}},
    {{0, 1}, {2, 3}}, {{3, 2}, {2, 3}}, {{3, 2}, {4, 3}}, {{5, 2}, {4, 3}},  {{5, 2}, {6, 3}},
    {{7, 2}, {6, 3}}, {{7, 2}, {8, 3}}, {{9, 2}, {8, 3}}, {{9, 2}, {10, 3}}, {{11, 2}, {10, 3}},
};

std::pair<float, float> toTexCoord(const NetPoint& point) {
    return {point.a * kCellS, point.b * kCellT};
}

// A distance as a float no smaller than it, with room for its own rounding.
float roundedUp(double distance) {
    return std::nextafter(static_cast<float>(distance * (1.0 + 1e-9)), std::numeric_limits<float>::infinity());
}

// The point of the triangle abc nearest to p: inside it, on a side or a corner.
glm::dvec3 closestPointOnTriangle(const glm::dvec3& p, const glm::dvec3& a, const glm::dvec3& b, const glm::dvec3& c) {
    const glm::dvec3 ab = b - a;
    const glm::dvec3 ac = c - a;
    const glm::dvec3 ap = p - a;
    const double d1 = glm::dot(ab, ap);
    const double d2 = glm::dot(ac, ap);
    if (d1 <= 0.0 && d2 <= 0.0) {
        return a;
    }
    const glm::dvec3 bp = p - b;
    const double d3 = glm::dot(ab, bp);
    const double d4 = glm::dot(ac, bp);
    if (d3 >= 0.0 && d4 <= d3) {
        return b;
    }
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0.0 && d1 >= 0.0 && d3 <= 0.0) {
        return a + ab * (d1 / (d1 - d3));
    }
    const glm::dvec3 cp = p - c;
    const double d5 = glm::dot(ab, cp);
    const double d6 = glm::dot(ac, cp);
    if (d6 >= 0.0 && d5 <= d6) {
        return c;
    }
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0.0 && d2 >= 0.0 && d6 <= 0.0) {
        return a + ac * (d2 / (d2 - d6));
    }
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0.0 && d4 - d3 >= 0.0 && d5 - d6 >= 0.0) {
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    }
    const double denominator = 1.0 / (va + vb + vc);
    return a + ab * (vb * denominator) + ac * (vc * denominator);
}

// The weights of the three corners of a triangle at each corner of the 64 triangles that
// three passes make of it, in the order of the indices.
std::vector<glm::dvec3> netCornerWeights() {
    std::vector<glm::dvec3> corners = {glm::dvec3(1, 0, 0), glm::dvec3(0, 1, 0), glm::dvec3(0, 0, 1)};
    for (int pass = 0; pass < kNetPasses; ++pass) {
        std::vector<glm::dvec3> parts;
        for (size_t i = 0; i < corners.size(); i += 3) {
            const glm::dvec3 a = corners[i];
            const glm::dvec3 b = corners[i + 1];
            const glm::dvec3 c = corners[i + 2];
            const glm::dvec3 ab = (a + b) * 0.5;
            const glm::dvec3 bc = (b + c) * 0.5;
            const glm::dvec3 ca = (a + c) * 0.5;
            parts.insert(parts.end(), {a, ab, ca, ab, b, bc, ab, bc, ca, ca, bc, c});
        }
        corners = std::move(parts);
    }
    return corners;
}

// Follows a point given by its corner weights (a, b, c) down the parts that passes make of
// a triangle, to the triangles within `allowance` of it (in weights, one for each corner),
// and calls `reached` with each one's number among them.
template <typename Reached>
void followDown(double a, double b, double c, const glm::dvec3& allowance, int passes, unsigned int number,
                const Reached& reached) {
    if (passes == 0) {
        reached(number);
        return;
    }
    const glm::dvec3 twice = allowance * 2.0;
    // The parts (a, ab, ca), (ab, b, bc), (ab, bc, ca) and (ca, bc, c), in their order.
    if (a >= 0.5 - allowance.x) {
        followDown(2.0 * a - 1.0, 2.0 * b, 2.0 * c, twice, passes - 1, number * 4, reached);
    }
    if (b >= 0.5 - allowance.y) {
        followDown(2.0 * a, 2.0 * b - 1.0, 2.0 * c, twice, passes - 1, number * 4 + 1, reached);
    }
    if (a <= 0.5 + allowance.x && b <= 0.5 + allowance.y && c <= 0.5 + allowance.z) {
        followDown(1.0 - 2.0 * c, 1.0 - 2.0 * a, 1.0 - 2.0 * b, glm::dvec3(twice.z, twice.x, twice.y), passes - 1,
                   number * 4 + 2, reached);
    }
    if (c >= 0.5 - allowance.z) {
        followDown(2.0 * a, 2.0 * b, 2.0 * c - 1.0, twice, passes - 1, number * 4 + 3, reached);
    }
}

}  // namespace

Icosphere::Icosphere(float x, float y, float z, std::string texturePath, float rotationSpeed, float radius,
                     int subdivisionCount)
    : texturePath(std::move(texturePath)),
      radius(radius),
      subdivisionCount(subdivisionCount),
      x(x),
      y(y),
      z(z),
      rotationSpeed(rotationSpeed) {}

Icosphere::~Icosphere() {
    // Only a reference that setup() took is given back: the image may be shared with others.
    if (texture != 0) {
        TextureManager::getInstance()->freeTexture(texturePath);
    }
    if (sentVertexArray != 0) {
        glDeleteVertexArrays(1, &sentVertexArray);
        glDeleteBuffers(1, &sentIndexBuffer);
    }
    delete_vertex_array(vertexArray, vertexBuffer, indexBuffer);
    delete program;
}

bool Icosphere::setup() {
    buildVerticesSmooth();
    texture = TextureManager::getInstance()->loadTexture(texturePath, false);
    program = new ShaderProgram("shaders/basic_textured.vs", "shaders/basic_textured.fs", "");
    if (!program->build()) {
        LOG_ERROR("Failed to build shader program\n");
        return false;
    }
    indexCount = static_cast<unsigned int>(indices.size());
    createBuffers();
    matrixLocations = program->getMatrixLocations();
    samplerLocation = glGetUniformLocation(program->getId(), "diffuse_texture_sampler");
    glGetIntegerv(GL_SUBPIXEL_BITS, &subpixelBits);
    buildPatches();
    smoothingCoversWholePixels = !smoothingKeepsToPixelCentres();
    return true;
}

void Icosphere::createBuffers() {
    // Position, normal, texture co-ordinate.
    create_indexed_float_vertex_array(interleavedVertices.data(), interleavedVertices.size(), indices.data(),
                                      indexCount, {3, 3, 2}, &vertexArray, &vertexBuffer, &indexBuffer);
    create_vertex_array_over(vertexBuffer, {3, 3, 2}, &sentVertexArray, &sentIndexBuffer);
}

void Icosphere::buildPatches() {
    patches.clear();
    const size_t triangleCount = indices.size() / 3;
    for (size_t perPatch = triangleCount / std::size(kBaseTriangles); perPatch > 1; perPatch /= kChildrenPerPatch) {
        std::vector<Patch> level;
        for (size_t first = 0; first + perPatch * 3 <= indices.size(); first += perPatch * 3) {
            level.push_back(patchOf(first, perPatch * 3));
        }
        patches.push_back(std::move(level));
    }
    netPatches.clear();
    if (patches.size() >= kNetPasses) {
        netLevel = patches.size() - kNetPasses;
        for (size_t patch = 0; patch < patches[netLevel].size(); ++patch) {
            netPatches.push_back(netPatchOf(patch));
        }
    }
    double farthest = 0.0;
    for (unsigned int i = 0; i < vertexCount; ++i) {
        farthest = std::max(farthest, glm::length(glm::dvec3(positionOf(i))));
    }
    boundingRadius = roundedUp(farthest);
    seenVertices.assign(vertexCount, glm::dvec2(0.0));
    seenStamps.assign(vertexCount, 0);
}

Icosphere::Patch Icosphere::patchOf(size_t firstIndex, size_t count) const {
    // A pass keeps a triangle's corners as the first corner of its first part, the second of
    // its second and the third of its fourth, so the patch's corners are those of its first,
    // its (n - 1) / 3rd and its last triangle.
    Patch patch{};
    const size_t triangles = count / 3;
    patch.corners[0] = indices[firstIndex];
    patch.corners[1] = indices[firstIndex + (triangles - 1) / 3 * 3 + 1];
    patch.corners[2] = indices[firstIndex + count - 1];
    const glm::dvec3 a(positionOf(patch.corners[0]));
    const glm::dvec3 b(positionOf(patch.corners[1]));
    const glm::dvec3 c(positionOf(patch.corners[2]));
    double thickest = 0.0;
    for (size_t i = firstIndex; i < firstIndex + count; ++i) {
        const glm::dvec3 point(positionOf(indices[i]));
        thickest = std::max(thickest, glm::length(point - closestPointOnTriangle(point, a, b, c)));
    }
    patch.thickness = roundedUp(thickest);
    return patch;
}

Icosphere::NetPatch Icosphere::netPatchOf(size_t patch) const {
    static const std::vector<glm::dvec3> weights = netCornerWeights();
    const Patch& part = patches[netLevel][patch];
    const glm::dvec3 a(positionOf(part.corners[0]));
    const glm::dvec3 b(positionOf(part.corners[1]));
    const glm::dvec3 c(positionOf(part.corners[2]));
    const glm::dvec3 normal = glm::normalize(glm::cross(b - a, c - a));
    // Measured along the normal as stored, in floats.
    NetPatch net{};
    net.normal = glm::vec3(normal);
    const glm::dvec3 unit(net.normal);
    double lowest = 0.0;
    double highest = 0.0;
    double across = 0.0;
    const size_t firstIndex = patch * weights.size();
    for (size_t i = 0; i < weights.size(); ++i) {
        const glm::dvec3 inNet = weights[i].x * a + weights[i].y * b + weights[i].z * c;
        const glm::dvec3 offset = glm::dvec3(positionOf(indices[firstIndex + i])) - inNet;
        const double along = glm::dot(offset, unit) / glm::dot(unit, unit);
        lowest = std::min(lowest, along);
        highest = std::max(highest, along);
        across = std::max(across, glm::length(offset - along * unit));
    }
    net.lowest = -roundedUp(-lowest);
    net.highest = roundedUp(highest);
    net.across = roundedUp(across + std::max(-lowest, highest) * std::abs(glm::length(unit) - 1.0) * 2.0);
    net.longestSide = roundedUp(std::max({glm::length(b - a), glm::length(c - b), glm::length(a - c)}));
    return net;
}

bool Icosphere::smoothingKeepsToPixelCentres() {
    if (!(radius > 0.0f)) {
        return false;
    }
    GLint drawFramebuffer = 0;
    GLint readFramebuffer = 0;
    GLint renderbuffer = 0;
    GLint viewport[4] = {};
    GLfloat clearColour[4] = {};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    const GLenum switches[] = {GL_POLYGON_SMOOTH, GL_DEPTH_TEST, GL_BLEND, GL_SCISSOR_TEST, GL_CULL_FACE};
    GLboolean wasOn[std::size(switches)] = {};
    for (size_t i = 0; i < std::size(switches); ++i) {
        wasOn[i] = glIsEnabled(switches[i]);
        glDisable(switches[i]);
    }

    // A target of 2 x 2 pixels: with neither view nor projection one unit is one pixel, and
    // the sphere, a tenth of a pixel across, sits on the corner that all four share.
    GLuint canvas = 0;
    GLuint target = 0;
    glGenRenderbuffers(1, &canvas);
    glBindRenderbuffer(GL_RENDERBUFFER, canvas);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 2, 2);
    glGenFramebuffers(1, &target);
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, canvas);
    bool untouched = false;
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
        glViewport(0, 0, 2, 2);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_POLYGON_SMOOTH);
        const glm::mat4 identity(1.0f);
        const glm::mat4 world = glm::scale(identity, glm::vec3(0.05f / radius));
        program->use();
        glUniformMatrix4fv(matrixLocations.world, 1, GL_FALSE, glm::value_ptr(world));
        glUniformMatrix4fv(matrixLocations.view, 1, GL_FALSE, glm::value_ptr(identity));
        glUniformMatrix4fv(matrixLocations.projection, 1, GL_FALSE, glm::value_ptr(identity));
        glUniform1i(samplerLocation, 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glBindVertexArray(vertexArray);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
        uint8_t pixels[2 * 2 * 4] = {};
        glReadPixels(0, 0, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        untouched = std::all_of(std::begin(pixels), std::end(pixels), [](uint8_t byte) { return byte == 0; });
    }

    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    glDeleteFramebuffers(1, &target);
    glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer));
    glDeleteRenderbuffers(1, &canvas);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    for (size_t i = 0; i < std::size(switches); ++i) {
        wasOn[i] == GL_TRUE ? glEnable(switches[i]) : glDisable(switches[i]);
    }
    return untouched;
}

void Icosphere::setPos(const glm::vec3& position) {
    x = position.x;
    y = position.y;
    z = position.z;
}

glm::mat4 Icosphere::worldMatrixAt(const glm::vec3& centre) const {
    return glm::rotate(glm::translate(glm::mat4(1.0f), centre), rotationAngle, rotationAxis);
}

void Icosphere::render(MatrixOwner* camera) {
    // Only a drawable whose set-up succeeded has its buffers.
    if (vertexArray == 0) {
        return;
    }
    program->use();
    program->setCameraMatrices(camera, worldMatrixAt(glm::vec3(x, y, z)), matrixLocations);
    glBindVertexArray(vertexArray);
    glUniform1i(samplerLocation, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

void Icosphere::renderAt(MatrixOwner* camera, const glm::vec3* centres, int count) {
    sentIndices.clear();
    sentDraws.clear();
    if (sentVertexArray == 0) {
        return;
    }
    const glm::mat4 view = camera->getViewMatrix();
    const glm::mat4& projection = *camera->getPerspectiveMatrix();
    const glm::mat4 viewProjection = projection * view;
    const glm::dmat4 exactViewProjection = glm::dmat4(projection) * glm::dmat4(view);
    glm::ivec4 viewport(0);
    glGetIntegerv(GL_VIEWPORT, glm::value_ptr(viewport));
    const double pixelMargin = pixelMarginNow();
    const double viewShift = std::abs(view[3].x) + std::abs(view[3].y) + std::abs(view[3].z);
    for (int i = 0; i < count; ++i) {
        const glm::vec3& centre = centres[i];
        const double size =
            std::abs(centre.x) + std::abs(centre.y) + std::abs(centre.z) + viewShift + 3.0 * boundingRadius;
        const double roundingReach = kRoundingUlps * kUnitRoundoff * size;
        const glm::vec3 extent(boundingRadius + static_cast<float>(roundingReach));
        // Would draw no pixel: passed over as the terrain's tiles and objects are.
        if (MathUtil::boxOutsideView(viewProjection, centre - extent, centre + extent)) {
            continue;
        }
        const glm::mat4 world = worldMatrixAt(centre);
        const glm::dmat4 objectToClip = exactViewProjection * glm::dmat4(world);
        const size_t first = sentIndices.size();
        const ScreenFootprint footprint(objectToClip, viewport, glm::vec3(0.0f), boundingRadius, roundingReach,
                                        pixelMargin);
        const SampleSet everySample = SampleSet::box(viewport);
        if (++seenStamp == 0) {
            std::fill(seenStamps.begin(), seenStamps.end(), 0);
            seenStamp = 1;
        }
        if (patches.empty()) {
            for (size_t triangle = 0; triangle < indexCount / 3; ++triangle) {
                pickTriangle(footprint, triangle, everySample);
            }
        }
        for (size_t patch = 0; !patches.empty() && patch < patches.front().size(); ++patch) {
            pickTriangles(footprint, 0, patch, everySample);
        }
        if (sentIndices.size() > first) {
            sentDraws.push_back({world, first, sentIndices.size() - first});
        }
    }
    if (!sentDraws.empty()) {
        drawSent(camera);
    }
}

double Icosphere::pixelMarginNow() const {
    GLint sampleBuffers = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    // Samples anywhere in the pixel: those of a multisampled target, or the coverage of a
    // smoothed polygon's edge.
    const bool wholePixels =
        sampleBuffers > 0 || (smoothingCoversWholePixels && glIsEnabled(GL_POLYGON_SMOOTH) == GL_TRUE);
    // The rasterizer snaps each corner to the nearest step of 2^-subpixelBits of a pixel:
    // half a step either way, and a quarter of that again.
    const double snapping = 0.625 * std::ldexp(1.0, -subpixelBits);
    return (wholePixels ? 0.5 : 0.0) + snapping;
}

void Icosphere::pickTriangles(const ScreenFootprint& footprint, size_t level, size_t patch, const SampleSet& within) {
    const Patch& part = patches[level][patch];
    SampleSet near;
    const int across = footprint.narrow(seen(footprint, part.corners[0]), seen(footprint, part.corners[1]),
                                        seen(footprint, part.corners[2]), part.thickness, within, &near);
    if (across == 0) {
        return;
    }
    // A patch is an n x n net of triangles; once they are a good part of a pixel wide, so
    // many of them would be kept that testing them costs more than drawing them all. So is a
    // patch that reaches the eye's plane.
    const size_t passesBelow = patches.size() - level;
    const size_t patchTriangles = indices.size() / 3 / patches[level].size();
    const glm::dvec2& a = seen(footprint, part.corners[0]);
    const glm::dvec2& b = seen(footprint, part.corners[1]);
    const glm::dvec2& c = seen(footprint, part.corners[2]);
    const double longestSide =
        std::sqrt(std::max({glm::dot(b - a, b - a), glm::dot(c - b, c - b), glm::dot(a - c, a - c)}));
    if (across == ScreenFootprint::kUnbounded || longestSide >= kTriangleWidthKeptWhole * (1 << passesBelow)) {
        // The patch's triangles, in the order that a whole draw sends them.
        const auto begin = indices.begin() + static_cast<std::ptrdiff_t>(patch * patchTriangles * 3);
        sentIndices.insert(sentIndices.end(), begin, begin + static_cast<std::ptrdiff_t>(patchTriangles * 3));
        return;
    }
    if (level == netLevel && !netPatches.empty() && pickFromNet(footprint, patch, near)) {
        return;
    }
    // A sample that a part can cover, the whole patch can.
    for (size_t child = patch * kChildrenPerPatch; child < (patch + 1) * kChildrenPerPatch; ++child) {
        if (passesBelow == 1) {
            pickTriangle(footprint, child, near);
        } else {
            pickTriangles(footprint, level + 1, child, near);
        }
    }
}

bool Icosphere::pickFromNet(const ScreenFootprint& footprint, size_t patch, const SampleSet& near) {
    const NetPatch& net = netPatches[patch];
    const Patch& part = patches[netLevel][patch];
    // The net as placed, moved along its normal by the middle of its vertices' range.
    const glm::dvec2 lift = footprint.onScreen(net.normal) * (0.5 * (static_cast<double>(net.lowest) + net.highest));
    const glm::dvec2 a = seen(footprint, part.corners[0]) + lift;
    const glm::dvec2 b = seen(footprint, part.corners[1]) + lift;
    const glm::dvec2 c = seen(footprint, part.corners[2]) + lift;
    // A sample's corner weights in that net, and the allowance around it in pixels, in
    // weights: over the net's height above the side facing each corner.
    const double twiceArea = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    const double allowance = footprint.bendAllowance(net.normal, net.lowest, net.highest, net.across, net.longestSide) +
                             footprint.getSlack();
    const glm::dvec3 inWeights =
        allowance / std::abs(twiceArea) * glm::dvec3(glm::length(c - b), glm::length(a - c), glm::length(b - a));
    if (!(std::max({inWeights.x, inWeights.y, inWeights.z}) < kNetAllowanceLimit)) {
        return false;
    }
    // The net's triangles reached, by their number in it, which is their order in the indices.
    uint64_t reached = 0;
    const size_t firstTriangle = patch << (2 * kNetPasses);
    const auto follow = [&](const glm::dvec2& sample) {
        const double weightA = ((c.x - b.x) * (sample.y - b.y) - (c.y - b.y) * (sample.x - b.x)) / twiceArea;
        const double weightB = ((a.x - c.x) * (sample.y - c.y) - (a.y - c.y) * (sample.x - c.x)) / twiceArea;
        const double weightC = 1.0 - weightA - weightB;
        // Outside the net by more than the allowance: nothing to follow.
        if (weightA < -inWeights.x || weightB < -inWeights.y || weightC < -inWeights.z) {
            return;
        }
        followDown(weightA, weightB, weightC, inWeights, kNetPasses, 0, [&](unsigned int number) {
            const unsigned int* corners = &indices[(firstTriangle + number) * 3];
            if ((reached >> number & 1u) == 0 &&
                footprint.reaches(sample, seen(footprint, corners[0]), seen(footprint, corners[1]),
                                  seen(footprint, corners[2]))) {
                reached |= uint64_t{1} << number;
            }
        });
    };
    if (near.listed >= 0) {
        for (int i = 0; i < near.listed; ++i) {
            follow(near.samples[i]);
        }
    } else {
        for (int row = near.first.y; row < near.first.y + near.size.y; ++row) {
            for (int column = near.first.x; column < near.first.x + near.size.x; ++column) {
                follow(glm::dvec2(column + 0.5, row + 0.5));
            }
        }
    }
    for (unsigned int number = 0; reached != 0; ++number, reached >>= 1) {
        if ((reached & 1u) != 0) {
            const unsigned int* corners = &indices[(firstTriangle + number) * 3];
            sentIndices.insert(sentIndices.end(), corners, corners + 3);
        }
    }
    return true;
}

void Icosphere::pickTriangle(const ScreenFootprint& footprint, size_t triangle, const SampleSet& within) {
    const unsigned int* corners = &indices[triangle * 3];
    SampleSet near;
    if (footprint.narrow(seen(footprint, corners[0]), seen(footprint, corners[1]), seen(footprint, corners[2]), 0.0f,
                         within, &near) != 0) {
        sentIndices.insert(sentIndices.end(), corners, corners + 3);
    }
}

const glm::dvec2& Icosphere::seen(const ScreenFootprint& footprint, unsigned int vertex) {
    // Patches share corners: each is placed once for each sphere.
    if (seenStamps[vertex] != seenStamp) {
        seenStamps[vertex] = seenStamp;
        seenVertices[vertex] = footprint.place(positionOf(vertex));
    }
    return seenVertices[vertex];
}

void Icosphere::drawSent(MatrixOwner* camera) {
    glBindVertexArray(sentVertexArray);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sentIndices.size() * sizeof(unsigned int)),
                 sentIndices.data(), GL_STREAM_DRAW);
    program->use();
    program->setCameraMatrices(camera, sentDraws.front().world, matrixLocations);
    glUniform1i(samplerLocation, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    for (const SentDraw& draw : sentDraws) {
        glUniformMatrix4fv(matrixLocations.world, 1, GL_FALSE, glm::value_ptr(draw.world));
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(draw.indexCount), GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(draw.firstIndex * sizeof(unsigned int)));
    }
    glBindVertexArray(0);
}

void Icosphere::update(float seconds, LevelQuery* level) {
    if (level != nullptr) {
        // Rolls along +x over the terrain at one unit and one radian per second.
        rotationAxis = glm::vec3(0.0f, 1.0f, 0.0f);
        rotationAngle += seconds;
        x += seconds;
        z = level->getElevation(glm::vec3(x, y, z)) + radius;
    } else {
        rotationAngle += seconds * rotationSpeed;
    }
}

std::vector<float> Icosphere::computeIcosahedronVertices() const {
    const float elevation = std::atan(0.5f);
    const float ringZ = radius * std::sin(elevation);
    const float ringDistance = radius * std::cos(elevation);
    std::vector<float> points(12 * 3, 0.0f);
    points[2] = radius;
    float upperAzimuth = kUpperRingStart;
    float lowerAzimuth = kLowerRingStart;
    for (int k = 1; k <= 5; ++k) {
        const int upper = k * 3;
        const int lower = (k + 5) * 3;
        points[upper] = ringDistance * std::cos(upperAzimuth);
        points[upper + 1] = ringDistance * std::sin(upperAzimuth);
        points[upper + 2] = ringZ;
        points[lower] = ringDistance * std::cos(lowerAzimuth);
        points[lower + 1] = ringDistance * std::sin(lowerAzimuth);
        points[lower + 2] = -ringZ;
        upperAzimuth += kAzimuthStep;
        lowerAzimuth += kAzimuthStep;
    }
    points[11 * 3 + 2] = -radius;
    return points;
}

void Icosphere::buildVerticesSmooth() {
    const std::vector<float> points = computeIcosahedronVertices();
    positions.clear();
    normals.clear();
    texCoords.clear();
    indices.clear();
    sharedIndices.clear();

    for (unsigned int index = 0; index < 22; ++index) {
        const BaseVertex& base = kBaseVertices[index];
        const glm::vec3 point(points[base.point * 3], points[base.point * 3 + 1], points[base.point * 3 + 2]);
        glm::vec3 normal;
        if (base.point == 0) {
            normal = glm::vec3(0.0f, 0.0f, 1.0f);
        } else if (base.point == 11) {
            normal = glm::vec3(0.0f, 0.0f, -1.0f);
        } else {
            normal = point / glm::length(point);
        }
        const TexCoord texCoord = toTexCoord(base.net);
        addVertex(point);
        addNormal(normal);
        addTexCoord(texCoord);
        if (base.shared) {
            sharedIndices[texCoord] = index;
        }
    }
    for (const auto& triangle : kBaseTriangles) {
        addIndices(triangle[0], triangle[1], triangle[2]);
    }
    subdivideVerticesSmooth();
    buildInterleavedVertices();
}

void Icosphere::subdivideVerticesSmooth() {
    for (int pass = 0; pass < subdivisionCount; ++pass) {
        const std::vector<unsigned int> previous = indices;
        indices.clear();
        for (size_t i = 0; i + 2 < previous.size(); i += 3) {
            const unsigned int i1 = previous[i];
            const unsigned int i2 = previous[i + 1];
            const unsigned int i3 = previous[i + 2];
            const glm::vec3 m1 = computeHalfVertex(positionOf(i1), positionOf(i2));
            const glm::vec3 m2 = computeHalfVertex(positionOf(i2), positionOf(i3));
            const glm::vec3 m3 = computeHalfVertex(positionOf(i1), positionOf(i3));
            const TexCoord u1 = computeHalfTexCoord(texCoordOf(i1), texCoordOf(i2));
            const TexCoord u2 = computeHalfTexCoord(texCoordOf(i2), texCoordOf(i3));
            const TexCoord u3 = computeHalfTexCoord(texCoordOf(i1), texCoordOf(i3));
            const unsigned int j1 = addSubVertexAttribs(m1, m1 / glm::length(m1), u1);
            const unsigned int j2 = addSubVertexAttribs(m2, m2 / glm::length(m2), u2);
            const unsigned int j3 = addSubVertexAttribs(m3, m3 / glm::length(m3), u3);
            addIndices(i1, j1, j3);
            addIndices(j1, i2, j2);
            addIndices(j1, j2, j3);
            addIndices(j3, j2, i3);
        }
    }
}

glm::vec3 Icosphere::computeHalfVertex(const glm::vec3& a, const glm::vec3& b) const {
    const glm::vec3 sum = a + b;
    return sum * (radius / glm::length(sum));
}

Icosphere::TexCoord Icosphere::computeHalfTexCoord(const TexCoord& a, const TexCoord& b) {
    return {(a.first + b.first) * 0.5f, (a.second + b.second) * 0.5f};
}

unsigned int Icosphere::addSubVertexAttribs(const glm::vec3& position, const glm::vec3& normal,
                                            const TexCoord& texCoord) {
    const bool shared = isSharedTexCoord(texCoord);
    if (shared) {
        const auto found = sharedIndices.find(texCoord);
        if (found != sharedIndices.end()) {
            return found->second;
        }
    }
    addVertex(position);
    addNormal(normal);
    addTexCoord(texCoord);
    const unsigned int index = static_cast<unsigned int>(positions.size() / 3 - 1);
    if (shared) {
        sharedIndices[texCoord] = index;
    }
    return index;
}

bool Icosphere::isSharedTexCoord(const TexCoord& texCoord) {
    for (const auto& segment : kSeamSegments) {
        if (isOnLineSegment(toTexCoord(segment[0]), toTexCoord(segment[1]), texCoord)) {
            return false;
        }
    }
    return true;
}

bool Icosphere::isOnLineSegment(const TexCoord& a, const TexCoord& b, const TexCoord& c) {
    const float cross = (b.first - a.first) * (c.second - a.second) - (b.second - a.second) * (c.first - a.first);
    if (cross < -kOnSegmentTolerance || cross > kOnSegmentTolerance) {
        return false;
    }
    const bool sOutside = (c.first > a.first && c.first > b.first) || (c.first < a.first && c.first < b.first);
    const bool tOutside = (c.second > a.second && c.second > b.second) || (c.second < a.second && c.second < b.second);
    return !sOutside && !tOutside;
}

void Icosphere::buildInterleavedVertices() {
    vertexCount = static_cast<unsigned int>(positions.size() / 3);
    interleavedVertices.assign(static_cast<size_t>(vertexCount) * kFloatsPerRecord, 0.0f);
    for (unsigned int i = 0; i < vertexCount; ++i) {
        float* record = &interleavedVertices[static_cast<size_t>(i) * kFloatsPerRecord];
        for (int k = 0; k < 3; ++k) {
            record[k] = positions[i * 3 + k];
            record[3 + k] = normals[i * 3 + k];
        }
        record[6] = texCoords[i * 2];
        record[7] = texCoords[i * 2 + 1];
    }
}

void Icosphere::addVertex(const glm::vec3& position) {
    positions.insert(positions.end(), {position.x, position.y, position.z});
}

void Icosphere::addNormal(const glm::vec3& normal) {
    normals.insert(normals.end(), {normal.x, normal.y, normal.z});
}

void Icosphere::addTexCoord(const TexCoord& texCoord) {
    texCoords.insert(texCoords.end(), {texCoord.first, texCoord.second});
}

void Icosphere::addIndices(unsigned int i1, unsigned int i2, unsigned int i3) {
    indices.insert(indices.end(), {i1, i2, i3});
}

glm::vec3 Icosphere::positionOf(unsigned int index) const {
    return glm::vec3(positions[index * 3], positions[index * 3 + 1], positions[index * 3 + 2]);
}

Icosphere::TexCoord Icosphere::texCoordOf(unsigned int index) const {
    return {texCoords[index * 2], texCoords[index * 2 + 1]};
}
