#include "render/Icosphere.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "core/Log.h"
#include "render/LevelQuery.h"
#include "render/MatrixOwner.h"
#include "render/ShaderProgram.h"
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
    matrixLocations = program->getMatrixLocations();
    samplerLocation = glGetUniformLocation(program->getId(), "diffuse_texture_sampler");
    indexCount = static_cast<unsigned int>(indices.size());
    createBuffers();
    return true;
}

void Icosphere::createBuffers() {
    // Position, normal, texture co-ordinate.
    create_indexed_float_vertex_array(interleavedVertices.data(), interleavedVertices.size(), indices.data(),
                                      indexCount, {3, 3, 2}, &vertexArray, &vertexBuffer, &indexBuffer);
}

void Icosphere::setPos(const glm::vec3& position) {
    x = position.x;
    y = position.y;
    z = position.z;
}

void Icosphere::useProgramAndTexture() {
    program->use();
    glUniform1i(samplerLocation, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
}

glm::mat4 Icosphere::worldMatrixAt(const glm::vec3& centre) const {
    return glm::rotate(glm::translate(glm::mat4(1.0f), centre), rotationAngle, rotationAxis);
}

void Icosphere::render(MatrixOwner* camera) {
    // Only a drawable whose set-up succeeded has its buffers.
    if (vertexArray == 0) {
        return;
    }
    useProgramAndTexture();
    program->setCameraMatrices(camera, worldMatrixAt(glm::vec3(x, y, z)), matrixLocations);
    glBindVertexArray(vertexArray);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT, nullptr);
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
