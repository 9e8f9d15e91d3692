#include "render/ShaderProgram.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "core/Log.h"
#include "core/PackageManager.h"
#include "render/MatrixOwner.h"

namespace {

// Shader and program objects keep their info logs behind calls of the same shapes.
void logInfoLog(GLuint object, PFNGLGETSHADERIVPROC getParameter, PFNGLGETSHADERINFOLOGPROC getLog) {
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    GLsizei written = 0;
    getLog(object, length, &written, text.data());
    if (written > 0) {
        LOG_ERROR("  %s", text.data());
    }
}
}  // namespace

ShaderProgram::ShaderProgram(std::string vertex, std::string fragment, std::string geometry)
    : vertexName(std::move(vertex)), fragmentName(std::move(fragment)), geometryName(std::move(geometry)) {}

ShaderProgram::~ShaderProgram() {
    if (programId != 0) {
        glDeleteProgram(programId);
    }
}

bool ShaderProgram::build() {
    // The program object comes first so that the destructor deletes it whatever fails.
    programId = glCreateProgram();

    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint geometryShader = 0;
    bool built = buildStage(GL_VERTEX_SHADER, vertexName, "vertex", &vertexShader) &&
                 buildStage(GL_FRAGMENT_SHADER, fragmentName, "fragment", &fragmentShader) &&
                 (geometryName.empty() || buildStage(GL_GEOMETRY_SHADER, geometryName, "geometry", &geometryShader));
    if (built) {
        glLinkProgram(programId);
        GLint linked = GL_FALSE;
        glGetProgramiv(programId, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            LOG_ERROR("Error linking program %d!", static_cast<int>(programId));
            printProgramLog(programId);
            built = false;
        }
    }
    // Attached shaders live on inside the program; a failed build leaves none behind.
    for (GLuint shader : {vertexShader, fragmentShader, geometryShader}) {
        if (shader != 0) {
            glDeleteShader(shader);
        }
    }
    return built;
}

bool ShaderProgram::buildStage(GLenum type, const std::string& name, const char* stageWord, GLuint* shader) {
    uint32_t size = 0;
    char* bytes = PackageManager::getInstance()->load(kPackageFile, name, &size);
    if (bytes == nullptr) {
        LOG_ERROR("Failed to load package file %s", name.c_str());
        return false;
    }
    // Package entries carry no terminating zero; the string adds one.
    const std::string source(bytes, size);
    free(bytes);

    *shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(*shader, 1, &text, nullptr);
    glCompileShader(*shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(*shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        LOG_ERROR("Unable to compile %s shader %s", stageWord, name.c_str());
        printShaderLog(*shader);
        return false;
    }
    glAttachShader(programId, *shader);
    return true;
}

void ShaderProgram::use() {
    glUseProgram(programId);
}

ShaderProgram::MatrixLocations ShaderProgram::getMatrixLocations() const {
    MatrixLocations locations;
    locations.world = glGetUniformLocation(programId, "u_world_matrix");
    locations.view = glGetUniformLocation(programId, "u_view_matrix");
    locations.projection = glGetUniformLocation(programId, "u_projection_matrix");
    return locations;
}

void ShaderProgram::setCameraMatrices(MatrixOwner* camera, const glm::mat4& world) {
    setCameraMatrices(camera, world, getMatrixLocations());
}

void ShaderProgram::setCameraMatrices(MatrixOwner* camera, const glm::mat4& world, const MatrixLocations& locations) {
    const glm::mat4 view = camera->getViewMatrix();
    glUniformMatrix4fv(locations.world, 1, GL_FALSE, glm::value_ptr(world));
    glUniformMatrix4fv(locations.view, 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(locations.projection, 1, GL_FALSE, glm::value_ptr(*camera->getPerspectiveMatrix()));
}

void ShaderProgram::printShaderLog(GLuint shader) {
    if (!glIsShader(shader)) {
        LOG_ERROR("Name %d is not a shader", static_cast<int>(shader));
        return;
    }
    logInfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
}

void ShaderProgram::printProgramLog(GLuint program) {
    if (!glIsProgram(program)) {
        LOG_ERROR("Name %d is not a program", static_cast<int>(program));
        return;
    }
    logInfoLog(program, glGetProgramiv, glGetProgramInfoLog);
}
