// A single coloured segment between two points.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>

class MatrixOwner;
class ShaderProgram;

class Line {
public:
    Line(const glm::vec3& from, const glm::vec3& to, glm::vec3 colour);
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // Copies the two points into the vertex data (no upload).
    void setupVertexData();
    bool setup();
    // Moves the segment and uploads it at once.
    void setLinePoints(const glm::vec3& from, const glm::vec3& to);
    void update(float dt);
    void render(MatrixOwner* camera);

    const float* getVertexData() const { return vertexData; }

private:
    float vertexData[6] = {};
    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
    ShaderProgram* program = nullptr;
    glm::vec3 start;
    glm::vec3 end;
    glm::vec3 colour;
};
