#include "render/TexturedQuad.h"

#include <cstddef>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "render/MatrixOwner.h"
#include "render/ProgramManager.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"
#include "render/VertexLayout.h"

namespace {

constexpr int kNormalOffset = 3;
constexpr int kTexCoordOffset = 6;
constexpr int kTangentOffset = 8;
constexpr int kBitangentOffset = 11;
constexpr unsigned int kQuadIndices[TexturedQuad::kIndexCount] = {0, 1, 3, 0, 3, 2};

}  // namespace

TexturedQuad::TexturedQuad(float x, float y, float z, float width, float height, std::string diffuseTexture,
                           std::string normalTexture, std::string vertexShader, std::string fragmentShader,
                           float textureSize)
    : width(width),
      height(height),
      position(x, y, z),
      textureSize(textureSize),
      normalTexturePath(std::move(normalTexture)),
      diffuseTexturePath(std::move(diffuseTexture)),
      vertexShader(std::move(vertexShader)),
      fragmentShader(std::move(fragmentShader)) {
    setupVertexData();
}

TexturedQuad::~TexturedQuad() {
    if (program != nullptr) {
        ProgramManager::getInstance()->freeProgram(vertexShader, fragmentShader, "");
    }
    if (diffuseTexture != 0) {
        TextureManager::getInstance()->freeTexture(diffuseTexturePath);
    }
    if (normalTexture != 0) {
        TextureManager::getInstance()->freeTexture(normalTexturePath);
    }
    delete_vertex_array(vertexArray, vertexBuffer, indexBuffer);
}

void TexturedQuad::setupVertexData() {
    const float halfWidth = width / 2.0f;
    const float halfHeight = height / 2.0f;
    const float uMax = width / textureSize;
    const float vMax = height / textureSize;
    const float corners[kVertexCount][4] = {
        {-halfWidth, halfHeight, 0.0f, vMax},
        {-halfWidth, -halfHeight, 0.0f, 0.0f},
        {halfWidth, halfHeight, uMax, vMax},
        {halfWidth, -halfHeight, uMax, 0.0f},
    };
    for (int v = 0; v < kVertexCount; ++v) {
        float* out = &vertexData[v * kFloatsPerVertex];
        out[0] = corners[v][0];
        out[1] = corners[v][1];
        out[2] = 0.0f;
        out[kNormalOffset] = 0.0f;
        out[kNormalOffset + 1] = 0.0f;
        out[kNormalOffset + 2] = 1.0f;
        out[kTexCoordOffset] = corners[v][2];
        out[kTexCoordOffset + 1] = corners[v][3];
    }
    for (int i = 0; i < kIndexCount; ++i) {
        indexData[i] = kQuadIndices[i];
    }
    calculateTangentsForQuad(0, 1, 2, 3);
}

void TexturedQuad::calculateTangentsForQuad(int a, int b, int c, int d) {
    const auto positionOf = [this](int v) { return glm::make_vec3(&vertexData[v * kFloatsPerVertex]); };
    const auto uvOf = [this](int v) { return glm::make_vec2(&vertexData[v * kFloatsPerVertex + kTexCoordOffset]); };
    const auto triangleFrame = [&](int v0, int v1, int v2, glm::vec3* tangent, glm::vec3* bitangent) {
        const glm::vec3 edge1 = positionOf(v1) - positionOf(v0);
        const glm::vec3 edge2 = positionOf(v2) - positionOf(v0);
        const glm::vec2 delta1 = uvOf(v1) - uvOf(v0);
        const glm::vec2 delta2 = uvOf(v2) - uvOf(v0);
        const float r = 1.0f / (delta1.x * delta2.y - delta1.y * delta2.x);
        *tangent = glm::normalize(r * (delta2.y * edge1 - delta1.y * edge2));
        *bitangent = glm::normalize(r * (delta1.x * edge2 - delta2.x * edge1));
    };
    glm::vec3 tangent1;
    glm::vec3 bitangent1;
    glm::vec3 tangent2;
    glm::vec3 bitangent2;
    triangleFrame(a, b, c, &tangent1, &bitangent1);
    triangleFrame(a, c, d, &tangent2, &bitangent2);
    const auto store = [this](int v, const glm::vec3& tangent, const glm::vec3& bitangent) {
        float* out = &vertexData[v * kFloatsPerVertex];
        for (int i = 0; i < 3; ++i) {
            out[kTangentOffset + i] = tangent[i];
            out[kBitangentOffset + i] = bitangent[i];
        }
    };
    const glm::vec3 meanTangent = (tangent1 + tangent2) * 0.5f;
    const glm::vec3 meanBitangent = (bitangent1 + bitangent2) * 0.5f;
    store(b, tangent1, bitangent1);
    store(c, tangent2, bitangent2);
    store(a, meanTangent, meanBitangent);
    store(d, meanTangent, meanBitangent);
}

bool TexturedQuad::setup() {
    program = ProgramManager::getInstance()->loadProgram(vertexShader, fragmentShader, "");
    if (program == nullptr) {
        return false;
    }
    diffuseTexture = TextureManager::getInstance()->loadTexture(diffuseTexturePath, true);
    normalTexture = TextureManager::getInstance()->loadTexture(normalTexturePath, true);
    // Position, normal, texture co-ordinate, tangent, bitangent: the offsets above.
    create_indexed_float_vertex_array(vertexData, kVertexCount * kFloatsPerVertex, indexData, kIndexCount,
                                      {3, 3, 2, 3, 3}, &vertexArray, &vertexBuffer, &indexBuffer);
    return true;
}

void TexturedQuad::setPosition(const glm::vec3& newPosition) {
    position = newPosition;
}

void TexturedQuad::update(float) {}

void TexturedQuad::render(MatrixOwner* camera, Followable*) {
    // Only a drawable whose set-up succeeded has its buffers.
    if (vertexArray == 0) {
        return;
    }
    program->use();
    const GLuint id = program->getId();
    program->setCameraMatrices(camera, glm::translate(glm::mat4(1.0f), position));
    glUniform1i(glGetUniformLocation(id, "diffuse_texture_sampler"), 0);
    glUniform1i(glGetUniformLocation(id, "normal_texture_sampler"), 1);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, diffuseTexture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, normalTexture);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(vertexArray);
    glDrawElements(GL_TRIANGLES, kIndexCount, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}
