// A ring in the x-y plane drawn as one line loop: the star map's orbits. One circle of
// radius 1 serves every orbit by its public scale.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

class MatrixOwner;
class ShaderProgram;

class Circle {
public:
    Circle(float x, float y, float z, float radius, int32_t segments);
    ~Circle();
    Circle(const Circle&) = delete;
    Circle& operator=(const Circle&) = delete;

    bool setup();
    void render(MatrixOwner* camera);
    void update(float dt);
    // Recomputes the vertices from radius and segments without uploading them.
    void setupVertexData();

    const std::vector<float>& getVertices() const { return vertices; }
    int32_t getSegments() const { return segments; }

    // Uniform scale applied when drawing; users write it directly.
    float scale = 1.0f;

private:
    std::vector<float> vertices;
    int32_t segments;
    float radius;
    glm::vec3 centre;
    GLuint VBO = 0;
    GLuint VAO = 0;
    ShaderProgram* program = nullptr;
};
