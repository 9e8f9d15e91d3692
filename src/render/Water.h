// A square patch of water: a flat grid of n x n vertices one world unit apart, textured,
// blended additively without writing depth, animated by the water shaders from a time value
// and random per-vertex parameters.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <string>
#include <vector>

class MatrixOwner;
class ShaderProgram;

// One grid vertex as the vertex buffer holds it (40 bytes, inputs 0 to 3).
struct WaterVertex {
    glm::vec3 position;
    glm::vec3 drift;     // two random values in [0, 0.2) and 1.0
    glm::vec2 texCoord;  // the image repeats twice across the square
    glm::vec2 wave;      // random values in [0.05, 0.15) and [0, 10)
};

class Water {
public:
    Water(int size, const glm::vec3& position, std::string texturePath);
    ~Water();
    Water(const Water&) = delete;
    Water& operator=(const Water&) = delete;

    bool setup();
    void update(float dt);
    void render(MatrixOwner* camera, const glm::vec3& light, const glm::vec3& offset);

    // The vertices and indices, with the per-vertex random draws; no OpenGL needed.
    void buildGrid();

    float getTime() const { return time; }
    int getIndexCount() const { return indexCount; }
    const std::vector<WaterVertex>& getVertices() const { return vertices; }
    const std::vector<unsigned int>& getIndices() const { return indices; }

private:
    void createBuffers();

    int size;
    float time = 0.0f;
    glm::vec3 position;
    int indexCount = 0;
    std::vector<WaterVertex> vertices;
    std::vector<unsigned int> indices;
    std::string texturePath;
    ShaderProgram* program = nullptr;
    GLuint texture = 0;
    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
    GLuint indexBuffer = 0;
};
