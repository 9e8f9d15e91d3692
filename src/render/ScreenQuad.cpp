#include "render/ScreenQuad.h"

#include <algorithm>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "core/Log.h"
#include "render/ProgramManager.h"
#include "render/VertexLayout.h"

namespace {
const float kOffsetModeStart = 0.12f;
const float kOffsetModeEnd = 0.87f;
const float kOffsetWindow = 0.75f;  // of the texture, in both directions
const float kMaxOffset = 0.25f;
const float kOffsetDeltaScale = 10000.0f;
const float kRotationRate = 2.0f;  // per second, of the remaining angle
}  // namespace

ScreenQuad::ScreenQuad(int x, int y, int width, int height, std::string vertexShader, std::string fragmentShader,
                       bool uvOffsetMode)
    : x(static_cast<float>(x)),
      y(static_cast<float>(y)),
      width(static_cast<float>(width)),
      height(static_cast<float>(height)),
      uvOffsetMode(uvOffsetMode),
      vertexShader(std::move(vertexShader)),
      fragmentShader(std::move(fragmentShader)) {
    if (uvOffsetMode) {
        uOffset = kOffsetModeStart;
        vOffset = kOffsetModeStart;
        setupCoords(kOffsetModeStart, kOffsetModeStart, kOffsetModeEnd, kOffsetModeEnd);
    } else {
        setupCoords(0.0f, 0.0f, 1.0f, 1.0f);
    }
}

ScreenQuad::~ScreenQuad() {
    // A quad that never got its program must not give back a reference another quad holds.
    if (program != nullptr) {
        ProgramManager::getInstance()->freeProgram(vertexShader, fragmentShader, "");
    }
    delete_vertex_array(vertexArray, vertexBuffer);
}

bool ScreenQuad::setup() {
    program = ProgramManager::getInstance()->loadProgram(vertexShader, fragmentShader, "");
    if (program == nullptr) {
        return false;
    }
    create_float_vertex_array(vertices.data(), vertices.size(), {2, 2}, &vertexArray, &vertexBuffer);
    return true;
}

void ScreenQuad::setTexture(GLuint newTexture) {
    texture = newTexture;
}

void ScreenQuad::setupCoords(float left, float bottom, float right, float top) {
    const float rightX = x + width;
    const float topY = y + height;
    vertices = {x,      topY, left,  top,     //
                x,      y,    left,  bottom,  //
                rightX, y,    right, bottom,  //
                x,      topY, left,  top,     //
                rightX, y,    right, bottom,  //
                rightX, topY, right, top};
}

void ScreenQuad::setUV(float left, float bottom, float right, float top) {
    setupCoords(left, bottom, right, top);
    dirty = true;
}

void ScreenQuad::setPos(int newX, int newY) {
    x = static_cast<float>(newX);
    y = static_cast<float>(newY);
    setUV(0.0f, 0.0f, 1.0f, 1.0f);
}

void ScreenQuad::setPosAndUV(int newX, int newY, float u, float v) {
    x = static_cast<float>(newX);
    y = static_cast<float>(newY);
    setUV(0.0f, 0.0f, u, v);
}

void ScreenQuad::setPosY(int newY) {
    y = static_cast<float>(newY);
    setUV(0.0f, 0.0f, 1.0f, 1.0f);
}

void ScreenQuad::setUVOffset(float du, float dv) {
    if (!uvOffsetMode) {
        LOG_WARNING("This ScreenQuad is not created for UV offset");
        return;
    }
    uOffset = std::clamp(uOffset + du / kOffsetDeltaScale, 0.0f, kMaxOffset);
    vOffset = std::clamp(vOffset + dv / kOffsetDeltaScale, 0.0f, kMaxOffset);
    setUV(uOffset, vOffset, uOffset + kOffsetWindow, vOffset + kOffsetWindow);
}

void ScreenQuad::update(float dt) {
    // Not clamped: frames longer than 0.5 s overshoot the target.
    rotation += kRotationRate * (targetRotation - rotation) * dt;
}

void ScreenQuad::render(MatrixOwner* camera, bool blend) {
    if (program == nullptr) {
        return;
    }
    program->use();
    glDisable(GL_DEPTH_TEST);
    if (blend) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }

    const glm::vec3 centre(x + width / 2.0f, y + height / 2.0f, 0.0f);
    const glm::mat4 world = glm::translate(glm::mat4(1.0f), centre) *
                            glm::rotate(glm::mat4(1.0f), rotation, glm::vec3(0.0f, 0.0f, 1.0f)) *
                            glm::translate(glm::mat4(1.0f), -centre);
    const GLuint id = program->getId();
    glUniform1i(glGetUniformLocation(id, "u_texture_sampler"), 0);
    glUniformMatrix4fv(glGetUniformLocation(id, "u_world_matrix"), 1, GL_FALSE, glm::value_ptr(world));
    glUniformMatrix4fv(glGetUniformLocation(id, "u_projection_matrix"), 1, GL_FALSE,
                       glm::value_ptr(*camera->getOrthogonalMatrix()));
    glUniform1f(glGetUniformLocation(id, "u_alpha"), alpha);

    if (dirty) {
        upload_float_vertices(vertexBuffer, vertices.data(), vertices.size());
        dirty = false;
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, kVertexCount);
    glBindVertexArray(0);

    glEnable(GL_DEPTH_TEST);
    if (blend) {
        glDisable(GL_BLEND);
    }
}
