#include "render/Circle.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

#include "render/MatrixOwner.h"
#include "render/ProgramManager.h"
#include "render/ShaderProgram.h"
#include "render/VertexLayout.h"

namespace {

constexpr const char* kVertexShader = "shaders/circle.vs";
constexpr const char* kFragmentShader = "shaders/circle.fs";
constexpr double kTwoPi = 6.283185307179586;

}  // namespace

Circle::Circle(float x, float y, float z, float radius, int32_t segments)
    // A ring needs one vertex at least.
    : segments(segments > 0 ? segments : 1), radius(radius), centre(x, y, z) {
    vertices.assign(static_cast<size_t>(this->segments) * 3, 0.0f);
    setupVertexData();
}

Circle::~Circle() {
    if (program != nullptr) {
        ProgramManager::getInstance()->freeProgram(kVertexShader, kFragmentShader, "");
    }
    delete_vertex_array(VAO, VBO);
}

void Circle::setupVertexData() {
    const float step = static_cast<float>(kTwoPi / segments);
    float angle = 0.0f;
    for (int32_t i = 0; i < segments; ++i) {
        vertices[static_cast<size_t>(i) * 3] = static_cast<float>(std::cos(static_cast<double>(angle)) * radius);
        vertices[static_cast<size_t>(i) * 3 + 1] = static_cast<float>(radius * std::sin(static_cast<double>(angle)));
        vertices[static_cast<size_t>(i) * 3 + 2] = 0.0f;
        angle += step;
    }
}

bool Circle::setup() {
    program = ProgramManager::getInstance()->loadProgram(kVertexShader, kFragmentShader, "");
    create_float_vertex_array(vertices.data(), vertices.size(), {3}, &VAO, &VBO);
    // The ring is decoration: a missing program only leaves it undrawn.
    return true;
}

void Circle::render(MatrixOwner* camera) {
    if (program == nullptr) {
        return;
    }
    program->use();
    program->setCameraMatrices(camera, glm::scale(glm::translate(glm::mat4(1.0f), centre), glm::vec3(scale)));
    glBindVertexArray(VAO);
    glDrawArrays(GL_LINE_LOOP, 0, segments);
    glBindVertexArray(0);
}

void Circle::update(float) {}
