#include "render/Line.h"

#include <glm/gtc/type_ptr.hpp>
#include <iterator>

#include "render/MatrixOwner.h"
#include "render/ProgramManager.h"
#include "render/ShaderProgram.h"
#include "render/VertexLayout.h"

namespace {

constexpr const char* kVertexShader = "shaders/line.vs";
constexpr const char* kFragmentShader = "shaders/line.fs";

}  // namespace

Line::Line(const glm::vec3& from, const glm::vec3& to, glm::vec3 colour) : start(from), end(to), colour(colour) {
    setupVertexData();
}

Line::~Line() {
    if (program != nullptr) {
        ProgramManager::getInstance()->freeProgram(kVertexShader, kFragmentShader, "");
    }
    delete_vertex_array(vertexArray, vertexBuffer);
}

void Line::setupVertexData() {
    for (int i = 0; i < 3; ++i) {
        vertexData[i] = start[i];
        vertexData[3 + i] = end[i];
    }
}

bool Line::setup() {
    program = ProgramManager::getInstance()->loadProgram(kVertexShader, kFragmentShader, "");
    if (program == nullptr) {
        return false;
    }
    create_float_vertex_array(vertexData, std::size(vertexData), {3}, &vertexArray, &vertexBuffer);
    return true;
}

void Line::setLinePoints(const glm::vec3& from, const glm::vec3& to) {
    start = from;
    end = to;
    setupVertexData();
    // A line that was never set up has no buffer to fill yet.
    if (vertexBuffer != 0) {
        upload_float_vertices(vertexBuffer, vertexData, std::size(vertexData));
    }
}

void Line::update(float) {}

void Line::render(MatrixOwner* camera) {
    // Only a drawable whose set-up succeeded has its buffers.
    if (vertexArray == 0) {
        return;
    }
    program->use();
    const GLuint id = program->getId();
    program->setCameraMatrices(camera, glm::mat4(1.0f));
    glUniform3fv(glGetUniformLocation(id, "u_color"), 1, glm::value_ptr(colour));
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_LINES, 0, 2);
    glBindVertexArray(0);
}
