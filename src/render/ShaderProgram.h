// One linked OpenGL program whose stage sources are package entries, named by their entry
// names. Drawables either share one through ProgramManager or own one outright.
#pragma once

#include <string>

#include <GL/glew.h>
#include <glm/glm.hpp>

class MatrixOwner;

class ShaderProgram {
public:
    // An empty geometry name means a program of two stages.
    ShaderProgram(std::string vertex, std::string fragment, std::string geometry);
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Creates, compiles and links; false after the failing stage's log lines.
    bool build();
    void use();
    // Where the three matrices of every world-space shader live, for a drawable that draws
    // often enough to look them up once.
    struct MatrixLocations {
        GLint world = -1;
        GLint view = -1;
        GLint projection = -1;
    };
    MatrixLocations getMatrixLocations() const;
    // Sets u_world_matrix to world and u_view_matrix and u_projection_matrix to the camera's
    // view and perspective, as every world-space shader reads them. The program must be in use.
    void setCameraMatrices(MatrixOwner* camera, const glm::mat4& world);
    void setCameraMatrices(MatrixOwner* camera, const glm::mat4& world, const MatrixLocations& locations);
    GLuint getId() const { return programId; }
    void printShaderLog(GLuint shader);
    void printProgramLog(GLuint program);

    // Shares still held through ProgramManager.
    int getReferenceCount() const { return referenceCount; }

private:
    friend class ProgramManager;

    // Loads, compiles and attaches one stage; the shader object goes to *shader either way
    // so that build() can delete it.
    bool buildStage(GLenum type, const std::string& name, const char* stageWord, GLuint* shader);

    std::string vertexName;
    std::string fragmentName;
    std::string geometryName;
    GLuint programId = 0;
    int referenceCount = 1;
};
