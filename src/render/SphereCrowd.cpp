#include "render/SphereCrowd.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include <glm/gtc/type_ptr.hpp>

#include "core/Log.h"
#include "core/MathUtil.h"
#include "render/Icosphere.h"
#include "render/MatrixOwner.h"
#include "render/ScreenFootprint.h"
#include "render/VertexLayout.h"

namespace {

// The renderer takes each vertex through the world and view matrices in single precision,
// and its error grows with the size of the co-ordinates: this many units in the last place
// of their sum is wide of what two steps of four-term sums can lose.
constexpr double kRoundingUlps = 16.0;
constexpr double kUnitRoundoff = 1.0 / 16777216.0;  // 2^-24
// Each pass makes four triangles of one; the sphere's mesh starts from 20.
constexpr size_t kChildrenPerPatch = 4;
constexpr size_t kBaseTriangles = 20;
// Normals stored as floats, and the dot products taken with them, are this far off at most.
constexpr double kFacingRounding = 1e-6;
// The depth tie that ScreenFootprint allows for is sixteen steps of a 24-bit depth buffer;
// fewer bits part the near side from the far side less surely than it reckons.
constexpr int kLeastDepthBits = 24;

// The smoothing probe draws into a row of pixels: parts of pixel 1 and slivers in pixel 3,
// none over the pixel's centre, and a control over the centre of pixel 5.
constexpr int kProbeWidth = 7;
constexpr int kProbeHeight = 3;
constexpr int kProbeRow = 1;
constexpr int kPartsPixel = 1;
constexpr int kSliversPixel = 3;
constexpr int kControlPixel = 5;
// Corner triangles reach this far along both sides from their corner: 0.85 of the pixel,
// 0.1 of a pixel short of its centre, far more than any snapping of the corners.
constexpr float kCornerReach = 0.85f;
struct ProbeTriangle {
    int pixel;
    float corners[3][2];  // within the pixel, 0 to 1 across and up
};
constexpr ProbeTriangle kProbeTriangles[] = {
    {kPartsPixel, {{0, 0}, {kCornerReach, 0}, {0, kCornerReach}}},
    {kPartsPixel, {{1, 0}, {1, kCornerReach}, {1 - kCornerReach, 0}}},
    {kPartsPixel, {{1, 1}, {1 - kCornerReach, 1}, {1, 1 - kCornerReach}}},
    {kPartsPixel, {{0, 1}, {0, 1 - kCornerReach}, {kCornerReach, 1}}},
    {kSliversPixel, {{0, 0.3f}, {1, 0.3f}, {0, 0.32f}}},
    {kSliversPixel, {{0.7f, 0}, {0.7f, 1}, {0.72f, 1}}},
    {kSliversPixel, {{0, 0.75f}, {0.75f, 0}, {0, 0.77f}}},
    {kControlPixel, {{0.1f, 0.1f}, {0.9f, 0.1f}, {0.5f, 0.9f}}},
};
constexpr int kProbeFloatsPerVertex = 8;  // the sphere's layout: position, normal, texture

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

// The probe's triangles as vertices of the sphere's layout, placed in clip space so that
// they land on their pixels of a kProbeWidth x kProbeHeight viewport.
std::vector<float> probeVertices() {
    std::vector<float> vertices;
    for (const ProbeTriangle& triangle : kProbeTriangles) {
        for (const auto& corner : triangle.corners) {
            const float x = 2.0f * (static_cast<float>(triangle.pixel) + corner[0]) / kProbeWidth - 1.0f;
            const float y = 2.0f * (static_cast<float>(kProbeRow) + corner[1]) / kProbeHeight - 1.0f;
            vertices.insert(vertices.end(), {x, y, 0.0f, 0.0f, 0.0f, 1.0f, 0.5f, 0.5f});
        }
    }
    return vertices;
}

}  // namespace

SphereCrowd::SphereCrowd(Icosphere* sphere)
    : sphere(sphere), indices(sphere->getIndices()), positions(sphere->getPositions()) {}

SphereCrowd::~SphereCrowd() {
    if (sentVertexArray != 0) {
        glDeleteVertexArrays(1, &sentVertexArray);
        glDeleteBuffers(1, &sentIndexBuffer);
    }
}

bool SphereCrowd::setup() {
    if (sphere->getVertexBuffer() == 0 || sphere->getProgram() == nullptr) {
        LOG_ERROR("Sphere crowd has no sphere to draw");
        return false;
    }
    glGetIntegerv(GL_SUBPIXEL_BITS, &subpixelBits);
    GLint framebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    readDrawTarget(framebuffer);
    smoothing = probeSmoothing();
    buildPatches();
    // Position, normal, texture co-ordinate: the sphere's own vertices.
    create_vertex_array_over(sphere->getVertexBuffer(), {3, 3, 2}, &sentVertexArray, &sentIndexBuffer);
    return true;
}

void SphereCrowd::buildPatches() {
    patches.clear();
    const size_t triangleCount = indices.size() / 3;
    // The number of the last patch that measured each vertex, which its triangles name up to
    // six times; patches are numbered from 1.
    const size_t vertexCount = positions.size() / 3;
    std::vector<size_t> measuredBy(vertexCount, 0);
    size_t patchNumber = 0;
    for (size_t perPatch = triangleCount / kBaseTriangles; perPatch > 1; perPatch /= kChildrenPerPatch) {
        std::vector<Patch> level;
        for (size_t first = 0; first + perPatch <= triangleCount; first += perPatch) {
            level.push_back(patchOf(first, perPatch, ++patchNumber, &measuredBy));
        }
        patches.push_back(std::move(level));
    }
    double farthest = 0.0;
    for (unsigned int i = 0; i < vertexCount; ++i) {
        farthest = std::max(farthest, glm::length(glm::dvec3(positionOf(i))));
    }
    boundingRadius = roundedUp(farthest);
    buildFacings();
    seenVertices.assign(vertexCount, glm::dvec2(0.0));
    seenStamps.assign(vertexCount, 0);
}

void SphereCrowd::buildFacings() {
    // Each triangle's outward normal and how far its plane passes the centre, with the least
    // of that; how far any normal strays from the direction of its triangle's corners.
    facings.clear();
    double nearest = boundingRadius;
    double tilt = 0.0;
    for (size_t i = 0; i + 2 < indices.size(); i += 3) {
        const glm::dvec3 a(positionOf(indices[i]));
        const glm::dvec3 b(positionOf(indices[i + 1]));
        const glm::dvec3 c(positionOf(indices[i + 2]));
        glm::dvec3 normal = glm::normalize(glm::cross(b - a, c - a));
        normal = glm::dot(normal, a + b + c) < 0.0 ? -normal : normal;
        const glm::vec3 stored(normal);
        const double offset = std::min(
            {glm::dot(glm::dvec3(stored), a), glm::dot(glm::dvec3(stored), b), glm::dot(glm::dvec3(stored), c)});
        facings.emplace_back(stored, -roundedUp(-offset));
        nearest = std::min(nearest, offset);
        for (const glm::dvec3& corner : {a, b, c}) {
            tilt = std::max(tilt, glm::length(normal - glm::normalize(corner)));
        }
    }
    innerRadius = nearest > 0.0 ? -roundedUp(-nearest) : 0.0f;
    normalTilt = roundedUp(tilt + kFacingRounding);
    // Each patch's normals lie within a cone about their mean direction.
    for (std::vector<Patch>& level : patches) {
        const size_t perPatch = facings.size() / level.size();
        for (size_t patch = 0; patch < level.size(); ++patch) {
            glm::dvec3 sum(0.0);
            for (size_t triangle = patch * perPatch; triangle < (patch + 1) * perPatch; ++triangle) {
                sum += glm::dvec3(glm::vec3(facings[triangle]));
            }
            const glm::dvec3 axis = glm::normalize(sum);
            double leastCos = 1.0;
            double leastOffset = boundingRadius;
            for (size_t triangle = patch * perPatch; triangle < (patch + 1) * perPatch; ++triangle) {
                leastCos = std::min(leastCos, glm::dot(axis, glm::dvec3(glm::vec3(facings[triangle]))));
                leastOffset = std::min(leastOffset, static_cast<double>(facings[triangle].w));
            }
            level[patch].axis = glm::vec3(axis);
            // The axis as stored, and the cone widened for its rounding.
            leastCos = std::min(leastCos, 1.0) - kFacingRounding;
            level[patch].spreadCos = static_cast<float>(leastCos);
            level[patch].spreadSin = roundedUp(std::sqrt(std::max(0.0, 1.0 - leastCos * leastCos)));
            level[patch].leastOffset = static_cast<float>(leastOffset);
        }
    }
}

SphereCrowd::Patch SphereCrowd::patchOf(size_t firstTriangle, size_t triangles, size_t number,
                                        std::vector<size_t>* measuredBy) const {
    // A pass keeps a triangle's corners as the first corner of its first part, the second of
    // its second and the third of its fourth, so the patch's corners are those of its first,
    // its (n - 1) / 3rd and its last triangle.
    const size_t first = firstTriangle * 3;
    const size_t count = triangles * 3;
    Patch patch{};
    patch.corners[0] = indices[first];
    patch.corners[1] = indices[first + (triangles - 1) / 3 * 3 + 1];
    patch.corners[2] = indices[first + count - 1];
    const glm::dvec3 a(positionOf(patch.corners[0]));
    const glm::dvec3 b(positionOf(patch.corners[1]));
    const glm::dvec3 c(positionOf(patch.corners[2]));
    double thickest = 0.0;
    for (size_t i = first; i < first + count; ++i) {
        size_t& measured = (*measuredBy)[indices[i]];
        if (measured == number) {
            continue;
        }
        measured = number;
        const glm::dvec3 point(positionOf(indices[i]));
        thickest = std::max(thickest, glm::length(point - closestPointOnTriangle(point, a, b, c)));
    }
    patch.thickness = roundedUp(thickest);
    return patch;
}

SphereCrowd::Smoothing SphereCrowd::probeSmoothing() {
    // The probe runs in the middle of the caller's drawing and leaves its state as it was.
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
    const GLenum switches[] = {GL_POLYGON_SMOOTH, GL_DEPTH_TEST,        GL_BLEND, GL_SCISSOR_TEST, GL_STENCIL_TEST,
                               GL_CULL_FACE,      GL_RASTERIZER_DISCARD};
    GLboolean wasOn[std::size(switches)] = {};
    for (size_t i = 0; i < std::size(switches); ++i) {
        wasOn[i] = glIsEnabled(switches[i]);
        glDisable(switches[i]);
    }
    uint8_t row[kProbeWidth * 4] = {};
    const bool drawn = drawProbeRow(row);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    for (size_t i = 0; i < std::size(switches); ++i) {
        wasOn[i] == GL_TRUE ? glEnable(switches[i]) : glDisable(switches[i]);
    }

    const auto lit = [&row](int pixel) {
        return std::any_of(&row[pixel * 4], &row[pixel * 4 + 4], [](uint8_t byte) { return byte != 0; });
    };
    // Whatever kept the control dark, a target not made, colour writes masked off or a
    // failing driver, leaves the probe unable to tell.
    if (!drawn || !lit(kControlPixel)) {
        return Smoothing::Unknown;
    }
    return lit(kPartsPixel) || lit(kSliversPixel) ? Smoothing::CoversWholePixels : Smoothing::KeepsToPixelCentres;
}

bool SphereCrowd::drawProbeRow(uint8_t* row) {
    // A target of its own, drawn in white from a texture of its own, so that any fragment
    // shows whatever the sphere's picture.
    GLuint canvas = 0;
    GLuint probeTarget = 0;
    GLuint white = 0;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    glGenRenderbuffers(1, &canvas);
    glBindRenderbuffer(GL_RENDERBUFFER, canvas);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kProbeWidth, kProbeHeight);
    glGenFramebuffers(1, &probeTarget);
    glBindFramebuffer(GL_FRAMEBUFFER, probeTarget);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, canvas);
    const bool made = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (made) {
        const uint8_t texel[4] = {255, 255, 255, 255};
        // The sphere's program, reading the white texture from unit 0 in place of its own.
        sphere->useProgramAndTexture();
        glGenTextures(1, &white);
        glBindTexture(GL_TEXTURE_2D, white);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        const std::vector<float> vertices = probeVertices();
        create_float_vertex_array(vertices.data(), vertices.size(), {3, 3, 2}, &vertexArray, &vertexBuffer);
        glViewport(0, 0, kProbeWidth, kProbeHeight);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_POLYGON_SMOOTH);
        const glm::mat4 identity(1.0f);
        const ShaderProgram::MatrixLocations& locations = sphere->getMatrixLocations();
        for (const GLint location : {locations.world, locations.view, locations.projection}) {
            glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(identity));
        }
        glBindVertexArray(vertexArray);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size() / kProbeFloatsPerVertex));
        glBindVertexArray(0);
        glReadPixels(0, kProbeRow, kProbeWidth, 1, GL_RGBA, GL_UNSIGNED_BYTE, row);
    }
    delete_vertex_array(vertexArray, vertexBuffer);
    glDeleteTextures(1, &white);
    glDeleteFramebuffers(1, &probeTarget);
    glDeleteRenderbuffers(1, &canvas);
    return made;
}

void SphereCrowd::readDrawTarget(GLint framebuffer) {
    target.framebuffer = framebuffer;
    GLint sampleBuffers = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    target.multisampled = sampleBuffers > 0;
    // A target without a depth buffer has no depth bits to ask about.
    const GLenum depth = framebuffer == 0 ? GL_DEPTH : GL_DEPTH_ATTACHMENT;
    GLint attached = GL_NONE;
    GLint depthBits = 0;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, depth, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &attached);
    if (attached != GL_NONE) {
        glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, depth, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                              &depthBits);
    }
    target.depthBits = depthBits;
}

void SphereCrowd::render(MatrixOwner* camera, const glm::vec3* centres, int count) {
    sentIndices.clear();
    sentDraws.clear();
    sentTriangles = 0;
    // A frame without shots asks the renderer nothing.
    if (count <= 0 || sentVertexArray == 0) {
        return;
    }
    // The window's framebuffer keeps its depth bits and samples while it lives; a framebuffer
    // object can be given other storage under the same name, so its are read each frame.
    GLint framebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    if (framebuffer != target.framebuffer || framebuffer != 0) {
        readDrawTarget(framebuffer);
    }
    const bool smoothingOn = glIsEnabled(GL_POLYGON_SMOOTH) == GL_TRUE;
    // Samples anywhere in a pixel, or smoothing whose reach is unknown, leave no triangle
    // that is sure to miss every sample.
    if (target.multisampled || (smoothingOn && smoothing == Smoothing::Unknown)) {
        drawWhole(camera, centres, count);
    } else {
        pickAndDraw(camera, centres, count, smoothingOn);
    }
}

SphereCrowd::FrameView SphereCrowd::frameViewOf(MatrixOwner* camera) const {
    FrameView frameView;
    frameView.view = camera->getViewMatrix();
    const glm::mat4& projection = *camera->getPerspectiveMatrix();
    frameView.viewProjection = projection * frameView.view;
    frameView.exactViewProjection = glm::dmat4(projection) * glm::dmat4(frameView.view);
    const glm::vec4& shift = frameView.view[3];
    frameView.viewShift = std::abs(shift.x) + std::abs(shift.y) + std::abs(shift.z);
    return frameView;
}

double SphereCrowd::roundingReachAt(const FrameView& frameView, const glm::vec3& centre) const {
    const double size =
        std::abs(centre.x) + std::abs(centre.y) + std::abs(centre.z) + frameView.viewShift + 3.0 * boundingRadius;
    return kRoundingUlps * kUnitRoundoff * size;
}

bool SphereCrowd::outsideView(const FrameView& frameView, const glm::vec3& centre, double roundingReach) const {
    // Would draw no pixel: passed over as the terrain's tiles and objects are.
    const glm::vec3 extent(boundingRadius + static_cast<float>(roundingReach));
    return MathUtil::boxOutsideView(frameView.viewProjection, centre - extent, centre + extent);
}

void SphereCrowd::drawWhole(MatrixOwner* camera, const glm::vec3* centres, int count) {
    const FrameView frameView = frameViewOf(camera);
    for (int i = 0; i < count; ++i) {
        if (outsideView(frameView, centres[i], roundingReachAt(frameView, centres[i]))) {
            continue;
        }
        sphere->setPos(centres[i]);
        sphere->render(camera);
        sentTriangles += static_cast<unsigned int>(indices.size() / 3);
    }
}

void SphereCrowd::pickAndDraw(MatrixOwner* camera, const glm::vec3* centres, int count, bool smoothingOn) {
    const FrameView frameView = frameViewOf(camera);
    glm::ivec4 viewport(0);
    glGetIntegerv(GL_VIEWPORT, glm::value_ptr(viewport));
    const double margin = pixelMargin(smoothingOn);
    const bool farSideMayHide = depthHidesFarSide(margin);
    for (int i = 0; i < count; ++i) {
        const glm::vec3& centre = centres[i];
        const double roundingReach = roundingReachAt(frameView, centre);
        if (outsideView(frameView, centre, roundingReach)) {
            continue;
        }
        const glm::mat4 world = sphere->worldMatrixAt(centre);
        const glm::dmat4 objectToClip = frameView.exactViewProjection * glm::dmat4(world);
        const size_t first = sentIndices.size();
        const ScreenFootprint footprint(objectToClip, viewport, glm::vec3(0.0f), boundingRadius, roundingReach, margin);
        if (++seenStamp == 0) {
            std::fill(seenStamps.begin(), seenStamps.end(), 0);
            seenStamp = 1;
        }
        // Where the near side hides the far side, the far side's triangles draw nothing that
        // stays: they are left out, with the eye in the sphere's own space to tell them.
        hiddenRadius = 0.0;
        if (farSideMayHide) {
            eyeInObject = glm::dvec3(glm::inverse(glm::dmat4(frameView.view) * glm::dmat4(world)) *
                                     glm::dvec4(0.0, 0.0, 0.0, 1.0));
            eyeDistance = glm::length(eyeInObject);
            eyeDirection = eyeInObject / eyeDistance;
            facingMargin = kFacingRounding * (eyeDistance + boundingRadius);
            hiddenRadius = footprint.farSideHidden(innerRadius, boundingRadius * normalTilt);
        }
        // A shot that reaches the eye's plane can fill any part of the view: it is drawn whole.
        // Of the others, the triangles are picked in the order that a whole draw sends them.
        if (!footprint.isBounded()) {
            sentIndices.insert(sentIndices.end(), indices.begin(), indices.end());
        } else if (patches.empty()) {
            for (size_t triangle = 0; triangle < indices.size() / 3; ++triangle) {
                pickTriangle(footprint, triangle);
            }
        } else {
            for (size_t patch = 0; patch < patches.front().size(); ++patch) {
                pickPatch(footprint, 0, patch);
            }
        }
        if (sentIndices.size() > first) {
            sentDraws.push_back({world, first, sentIndices.size() - first});
        }
    }
    sentTriangles = static_cast<unsigned int>(sentIndices.size() / 3);
    if (!sentDraws.empty()) {
        drawSent(camera);
    }
}

double SphereCrowd::pixelMargin(bool smoothingOn) const {
    // The rasterizer snaps each corner to the nearest step of 2^-subpixelBits of a pixel:
    // half a step either way, and a quarter of that again.
    const double snapping = 0.625 * std::ldexp(1.0, -subpixelBits);
    // A smoothed edge may light a pixel wherever it crosses it.
    return (smoothingOn && smoothing == Smoothing::CoversWholePixels ? 0.5 : 0.0) + snapping;
}

bool SphereCrowd::depthHidesFarSide(double margin) const {
    // Only where a pixel shows its nearest fragment alone: depth test on and passing the
    // nearer, nearer being lower, depth written (else the side drawn last shows) to enough
    // bits to part the sides, no blending, stencil or smoothed coverage.
    GLint depthFunction = 0;
    GLboolean depthWrites = GL_FALSE;
    GLfloat depthRange[2] = {};
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    glGetFloatv(GL_DEPTH_RANGE, depthRange);
    return innerRadius > 0.0f && margin < 0.5 && target.depthBits >= kLeastDepthBits &&
           glIsEnabled(GL_DEPTH_TEST) == GL_TRUE && depthWrites == GL_TRUE && glIsEnabled(GL_BLEND) == GL_FALSE &&
           glIsEnabled(GL_STENCIL_TEST) == GL_FALSE && (depthFunction == GL_LESS || depthFunction == GL_LEQUAL) &&
           depthRange[0] == 0.0f && depthRange[1] == 1.0f;
}

bool SphereCrowd::patchFacesAway(const Patch& patch) const {
    // A triangle faces away from the eye e when e.n stays below its plane's offset; over the
    // patch's cone of normals e.n is at most |e| cos(angle to the axis - the cone's spread).
    const double towards = glm::dot(eyeDirection, glm::dvec3(patch.axis));
    if (!(towards < patch.spreadCos)) {
        return false;
    }
    const double most =
        eyeDistance * (towards * patch.spreadCos + std::sqrt(std::max(0.0, 1.0 - towards * towards)) * patch.spreadSin);
    return most + facingMargin < patch.leastOffset;
}

bool SphereCrowd::triangleFacesAway(size_t triangle) const {
    const glm::vec4& facing = facings[triangle];
    return glm::dot(glm::dvec3(glm::vec3(facing)), eyeInObject) + facingMargin < facing.w;
}

void SphereCrowd::pickPatch(const ScreenFootprint& footprint, size_t level, size_t patch) {
    const Patch& part = patches[level][patch];
    const glm::dvec2& a = seen(footprint, part.corners[0]);
    const glm::dvec2& b = seen(footprint, part.corners[1]);
    const glm::dvec2& c = seen(footprint, part.corners[2]);
    if (!footprint.nearSample(a, b, c, part.thickness) ||
        (hiddenRadius > 0.0 && footprint.nearCentre(a, b, c, part.thickness, hiddenRadius) && patchFacesAway(part))) {
        return;
    }
    // A sample that a part can cover, the whole patch can.
    for (size_t child = patch * kChildrenPerPatch; child < (patch + 1) * kChildrenPerPatch; ++child) {
        if (level + 1 < patches.size()) {
            pickPatch(footprint, level + 1, child);
        } else {
            pickTriangle(footprint, child);
        }
    }
}

void SphereCrowd::pickTriangle(const ScreenFootprint& footprint, size_t triangle) {
    const unsigned int* corners = &indices[triangle * 3];
    const glm::dvec2& a = seen(footprint, corners[0]);
    const glm::dvec2& b = seen(footprint, corners[1]);
    const glm::dvec2& c = seen(footprint, corners[2]);
    if (footprint.nearSample(a, b, c, 0.0f) &&
        !(hiddenRadius > 0.0 && footprint.nearCentre(a, b, c, 0.0f, hiddenRadius) && triangleFacesAway(triangle))) {
        sentIndices.insert(sentIndices.end(), corners, corners + 3);
    }
}

const glm::dvec2& SphereCrowd::seen(const ScreenFootprint& footprint, unsigned int vertex) {
    // Patches share corners: each is placed once for each sphere.
    if (seenStamps[vertex] != seenStamp) {
        seenStamps[vertex] = seenStamp;
        seenVertices[vertex] = footprint.place(positionOf(vertex));
    }
    return seenVertices[vertex];
}

glm::vec3 SphereCrowd::positionOf(unsigned int vertex) const {
    return glm::vec3(positions[vertex * 3], positions[vertex * 3 + 1], positions[vertex * 3 + 2]);
}

void SphereCrowd::drawSent(MatrixOwner* camera) {
    glBindVertexArray(sentVertexArray);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sentIndices.size() * sizeof(unsigned int)),
                 sentIndices.data(), GL_STREAM_DRAW);
    const ShaderProgram::MatrixLocations& locations = sphere->getMatrixLocations();
    sphere->useProgramAndTexture();
    sphere->getProgram()->setCameraMatrices(camera, sentDraws.front().world, locations);
    for (const SentDraw& draw : sentDraws) {
        glUniformMatrix4fv(locations.world, 1, GL_FALSE, glm::value_ptr(draw.world));
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(draw.indexCount), GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(draw.firstIndex * sizeof(unsigned int)));
    }
    glBindVertexArray(0);
}
