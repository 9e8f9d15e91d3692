#include "render/Water.h"

#include <cstddef>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "core/Log.h"
#include "core/MathUtil.h"
#include "render/MatrixOwner.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"
#include "render/VertexLayout.h"

static_assert(sizeof(WaterVertex) == 40, "a water vertex is ten packed floats");
static_assert(offsetof(WaterVertex, texCoord) == 6 * sizeof(float) && offsetof(WaterVertex, wave) == 8 * sizeof(float),
              "the fields follow each other in the order the attributes are numbered");

namespace {

// The water's clock runs at a tenth of real time.
constexpr float kTimeRate = 0.1f;
constexpr size_t kFloatsPerVertex = sizeof(WaterVertex) / sizeof(float);
constexpr float kTextureRepeats = 2.0f;
constexpr float kDriftRange = 0.2f;
constexpr float kWaveHeightBase = 0.05f;
constexpr float kWaveHeightRange = 0.1f;
constexpr float kWavePhaseRange = 10.0f;

}  // namespace

Water::Water(int size, const glm::vec3& position, std::string texturePath)
    : size(size), position(position), texturePath(std::move(texturePath)) {}

Water::~Water() {
    // Only a reference that setup() took is given back: the image may be shared with others.
    if (texture != 0) {
        TextureManager::getInstance()->freeTexture(texturePath);
    }
    delete_vertex_array(vertexArray, vertexBuffer, indexBuffer);
    delete program;
}

bool Water::setup() {
    texture = TextureManager::getInstance()->loadTexture(texturePath, true);
    program = new ShaderProgram("shaders/water.vs", "shaders/water.fs", "");
    if (!program->build()) {
        LOG_ERROR("Failed to build shader program\n");
        return false;
    }
    buildGrid();
    createBuffers();
    return true;
}

void Water::buildGrid() {
    // A size below 2 has no cell: nothing is drawn.
    const int n = size > 0 ? size : 0;
    vertices.clear();
    vertices.reserve(static_cast<size_t>(n) * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            WaterVertex vertex;
            vertex.position = glm::vec3(static_cast<float>(j), static_cast<float>(i), 0.0f);
            // The draw order is part of a level's seeded sequence.
            vertex.drift.x = MathUtil::grf(0.0f, kDriftRange);
            vertex.drift.y = MathUtil::grf(0.0f, kDriftRange);
            vertex.drift.z = 1.0f;
            vertex.texCoord = glm::vec2(static_cast<float>(j) * kTextureRepeats / static_cast<float>(n),
                                        static_cast<float>(i) * kTextureRepeats / static_cast<float>(n));
            vertex.wave.x = MathUtil::grf(kWaveHeightBase, kWaveHeightRange);
            vertex.wave.y = MathUtil::grf(0.0f, kWavePhaseRange);
            vertices.push_back(vertex);
        }
    }
    indices.clear();
    for (int i = 0; i + 1 < n; ++i) {
        for (int j = 0; j + 1 < n; ++j) {
            const unsigned int k = static_cast<unsigned int>(i * n + j);
            const unsigned int row = static_cast<unsigned int>(n);
            indices.insert(indices.end(), {k, k + row, k + 1, k + 1, k + row, k + row + 1});
        }
    }
    indexCount = static_cast<int>(indices.size());
}

void Water::createBuffers() {
    // Position, drift, texture co-ordinate, wave.
    create_indexed_float_vertex_array(reinterpret_cast<const float*>(vertices.data()),
                                      vertices.size() * kFloatsPerVertex, indices.data(), indices.size(), {3, 3, 2, 2},
                                      &vertexArray, &vertexBuffer, &indexBuffer);
}

void Water::update(float dt) {
    time += kTimeRate * dt;
}

void Water::render(MatrixOwner* camera, const glm::vec3& light, const glm::vec3& offset) {
    // Only a drawable whose set-up succeeded has its buffers.
    if (vertexArray == 0) {
        return;
    }
    program->use();
    const GLuint id = program->getId();
    const GLint samplerLocation = glGetUniformLocation(id, "u_texture_sampler");
    const GLint timeLocation = glGetUniformLocation(id, "u_time");
    const GLint viewDirLocation = glGetUniformLocation(id, "u_view_dir");
    const GLint viewPosLocation = glGetUniformLocation(id, "u_view_pos");
    const GLint lightLocation = glGetUniformLocation(id, "u_light_pos");

    glUniform3fv(lightLocation, 1, glm::value_ptr(light));
    glUniform3fv(viewDirLocation, 1, glm::value_ptr(*camera->getViewDirection()));
    glUniform3fv(viewPosLocation, 1, glm::value_ptr(*camera->getPosition()));
    program->setCameraMatrices(camera, glm::translate(glm::mat4(1.0f), position + offset));
    glUniform1f(timeLocation, time);
    glUniform1i(samplerLocation, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);

    glBindVertexArray(vertexArray);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glBindVertexArray(0);
}
