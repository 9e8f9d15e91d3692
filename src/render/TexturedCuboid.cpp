#include "render/TexturedCuboid.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "core/Log.h"
#include "render/MatrixOwner.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"
#include "render/VertexLayout.h"

namespace {

constexpr int kFaceCount = 6;
constexpr int kCornersPerFace = 4;
constexpr int kVerticesPerFace = 6;
// Two counter-clockwise triangles per face: A-B-C and A-C-D.
constexpr int kCornerOfVertex[kVerticesPerFace] = {0, 1, 2, 0, 2, 3};

constexpr float kLo = -0.5f;
constexpr float kHi = 0.5f;

// The unit cube: faces +Y, -Y, +X, -X, +Z, -Z, each with its outward normal and its
// corners A, B, C, D.
struct TemplateFace {
    float normal[3];
    float corners[kCornersPerFace][3];
};
constexpr TemplateFace kTemplateFaces[kFaceCount] = {
    {{0, 1, 0}, {{kLo, kHi, kHi}, {kHi, kHi, kHi}, {kHi, kHi, kLo}, {kLo, kHi, kLo}}},
    {{0, -1, 0}, {{kLo, kLo, kLo}, {kHi, kLo, kLo}, {kHi, kLo, kHi}, {kLo, kLo, kHi}}},
    {{1, 0, 0}, {{kHi, kLo, kHi}, {kHi, kLo, kLo}, {kHi, kHi, kLo}, {kHi, kHi, kHi}}},
    {{-1, 0, 0}, {{kLo, kLo, kLo}, {kLo, kLo, kHi}, {kLo, kHi, kHi}, {kLo, kHi, kLo}}},
    {{0, 0, 1}, {{kLo, kLo, kHi}, {kHi, kLo, kHi}, {kHi, kHi, kHi}, {kLo, kHi, kHi}}},
    {{0, 0, -1}, {{kHi, kLo, kLo}, {kLo, kLo, kLo}, {kLo, kHi, kLo}, {kHi, kHi, kLo}}},
};

constexpr float kThird = 0.33333334f;
constexpr float kTwoThirds = 0.6666667f;

// The sky-box image is a 3 x 3 grid: the top face takes the centre cell, the side faces
// the cells that share an edge with it; the bottom is never seen and samples (0, 0).
constexpr float kCubeUVs[kFaceCount][kCornersPerFace][2] = {
    {{kTwoThirds, kTwoThirds}, {kTwoThirds, kThird}, {1, kThird}, {1, kTwoThirds}},
    {{0, kTwoThirds}, {0, kThird}, {kThird, kThird}, {kThird, kTwoThirds}},
    {{kThird, kThird}, {kThird, 0}, {kTwoThirds, 0}, {kTwoThirds, kThird}},
    {{kThird, 1}, {kThird, kTwoThirds}, {kTwoThirds, kTwoThirds}, {kTwoThirds, 1}},
    {{kThird, kTwoThirds}, {kThird, kThird}, {kTwoThirds, kThird}, {kTwoThirds, kTwoThirds}},
    {{0, 0}, {0, 0}, {0, 0}, {0, 0}},
};

constexpr float kDefaultUVs[kFaceCount][kCornersPerFace][2] = {
    {{0, 1}, {1, 1}, {1, 0}, {0, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}},
    {{1, 0}, {1, 1}, {0, 1}, {0, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
};

// The dimension mapping repeats the image once per this many world units.
constexpr float kDimensionRepeat = 10.0f;

constexpr int kTexCoordOffset = 6;

// One face of the box for the line test: the axis it is normal to and the side.
struct CollisionFace {
    int axis;
    float side;
};
constexpr CollisionFace kCollisionOrder[kFaceCount] = {{1, -1}, {1, 1}, {0, -1}, {0, 1}, {2, -1}, {2, 1}};

}  // namespace

TexturedCuboid::TexturedCuboid(float x, float y, float z, float width, float height, float depth,
                               std::string texturePath, std::string vertexShader, std::string fragmentShader)
    : x(x),
      y(y),
      z(z),
      vertexData(kVertexCount * kFloatsPerVertex, 0.0f),
      width(width),
      height(height),
      depth(depth),
      texturePath(std::move(texturePath)),
      vertexShader(std::move(vertexShader)),
      fragmentShader(std::move(fragmentShader)) {}

TexturedCuboid::~TexturedCuboid() {
    // Only a reference that setup() took is given back: the image may be shared with others.
    if (texture != 0) {
        TextureManager::getInstance()->freeTexture(texturePath);
    }
    delete program;
    delete_vertex_array(vertexArray, vertexBuffer);
}

bool TexturedCuboid::setup(uv_mapping mapping) {
    copyTemplateVertices();
    program = new ShaderProgram(vertexShader, fragmentShader, "");
    if (!program->build()) {
        LOG_ERROR("Failed to build shader program\n");
        return false;
    }
    texture = TextureManager::getInstance()->loadTexture(texturePath, true);
    if (mapping == UV_MAPPING_DIMENSION) {
        setupDimensionUVData();
    } else if (mapping == UV_MAPPING_CUBE) {
        setupCubeUVData();
    } else {
        setupDefaultUVData();
    }
    createBuffers();
    return true;
}

void TexturedCuboid::copyTemplateVertices() {
    for (int face = 0; face < kFaceCount; ++face) {
        for (int v = 0; v < kVerticesPerFace; ++v) {
            float* out = &vertexData[(face * kVerticesPerFace + v) * kFloatsPerVertex];
            const float* corner = kTemplateFaces[face].corners[kCornerOfVertex[v]];
            for (int i = 0; i < 3; ++i) {
                out[i] = corner[i];
                out[3 + i] = kTemplateFaces[face].normal[i];
            }
            out[kTexCoordOffset] = 0.0f;
            out[kTexCoordOffset + 1] = 0.0f;
        }
    }
}

void TexturedCuboid::applyFaceUVs(const float faceUVs[6][4][2]) {
    for (int face = 0; face < kFaceCount; ++face) {
        for (int v = 0; v < kVerticesPerFace; ++v) {
            float* out = &vertexData[(face * kVerticesPerFace + v) * kFloatsPerVertex + kTexCoordOffset];
            out[0] = faceUVs[face][kCornerOfVertex[v]][0];
            out[1] = faceUVs[face][kCornerOfVertex[v]][1];
        }
    }
}

void TexturedCuboid::setupCubeUVData() {
    applyFaceUVs(kCubeUVs);
}

void TexturedCuboid::setupDefaultUVData() {
    applyFaceUVs(kDefaultUVs);
}

void TexturedCuboid::setupDimensionUVData() {
    const float w = width / kDimensionRepeat;
    const float h = height / kDimensionRepeat;
    const float d = depth / kDimensionRepeat;
    const float uvs[kFaceCount][kCornersPerFace][2] = {
        {{0, 0}, {w, 0}, {w, d}, {0, d}}, {{0, 0}, {w, 0}, {w, d}, {0, d}}, {{0, d}, {0, 0}, {h, 0}, {h, d}},
        {{h, 0}, {h, d}, {0, d}, {0, 0}}, {{0, 0}, {w, 0}, {w, h}, {0, h}}, {{0, 0}, {w, 0}, {w, h}, {0, h}},
    };
    applyFaceUVs(uvs);
}

void TexturedCuboid::createBuffers() {
    // Position, normal, texture co-ordinate.
    create_float_vertex_array(vertexData.data(), vertexData.size(), {3, 3, 2}, &vertexArray, &vertexBuffer);
}

void TexturedCuboid::update(float) {}

glm::mat4 TexturedCuboid::worldMatrix() const {
    glm::mat4 world = glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
    world = glm::rotate(world, rotationZ, glm::vec3(0.0f, 0.0f, 1.0f));
    world = glm::translate(world, -pivot);
    world = glm::rotate(world, rotationY, glm::vec3(0.0f, 1.0f, 0.0f));
    world = glm::translate(world, pivot);
    return glm::scale(world, glm::vec3(scale * width, scale * height, scale * depth));
}

void TexturedCuboid::render(MatrixOwner* camera, bool lit, const glm::vec3& lightPosition) {
    // Only a drawable whose set-up succeeded has its buffers.
    if (vertexArray == 0) {
        return;
    }
    program->use();
    const GLuint id = program->getId();
    const GLint samplerLocation = glGetUniformLocation(id, "diffuse_texture_sampler");
    if (lit) {
        glUniform3fv(glGetUniformLocation(id, "u_light_pos"), 1, glm::value_ptr(lightPosition));
        glUniform3fv(glGetUniformLocation(id, "u_view_dir"), 1, glm::value_ptr(*camera->getViewDirection()));
        glUniform3fv(glGetUniformLocation(id, "u_view_pos"), 1, glm::value_ptr(*camera->getPosition()));
    }
    program->setCameraMatrices(camera, worldMatrix());
    glUniform1i(samplerLocation, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, kVertexCount);
    glBindVertexArray(0);
}

bool TexturedCuboid::checkCollision(const glm::vec3& origin, const glm::vec3& direction) {
    const glm::vec3 centre(x, y, z);
    const glm::vec3 half(width / 2.0f, height / 2.0f, depth / 2.0f);
    for (const CollisionFace& face : kCollisionOrder) {
        glm::vec3 normal(0.0f);
        normal[face.axis] = face.side;
        const float facing = glm::dot(direction, normal);
        if (facing == 0.0f) {
            continue;
        }
        glm::vec3 planePoint = centre;
        planePoint[face.axis] += face.side * half[face.axis];
        // A line, not a ray: t may be negative.
        const float t = glm::dot(planePoint - origin, normal) / facing;
        const glm::vec3 hit = origin + t * direction;
        bool inside = true;
        for (int axis = 0; axis < 3; ++axis) {
            if (axis != face.axis &&
                !(hit[axis] > centre[axis] - half[axis] && hit[axis] < centre[axis] + half[axis])) {
                inside = false;
            }
        }
        if (inside) {
            return true;
        }
    }
    return false;
}

bool TexturedCuboid::pointInside(const glm::vec3& point, cuboid_axis axis) const {
    const glm::vec3 centre(x, y, z);
    const glm::vec3 extent(width, height, depth);
    const cuboid_axis skipped[3] = {CUBOID_AXIS_IGNORE_X, CUBOID_AXIS_IGNORE_Y, CUBOID_AXIS_IGNORE_Z};
    for (int i = 0; i < 3; ++i) {
        if (axis == skipped[i] || axis == CUBOID_AXIS_IGNORE_ALL) {
            continue;
        }
        if (!(point[i] > centre[i] - extent[i] / 2.0f && point[i] < centre[i] + extent[i] / 2.0f)) {
            return false;
        }
    }
    return true;
}
