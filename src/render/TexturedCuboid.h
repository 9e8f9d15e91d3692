// A box with six textured faces and a program of its own: the planet view's sky box. It
// also answers line hits against its faces and point containment.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "render/RayCollidable.h"

class MatrixOwner;
class ShaderProgram;

// Which texture coordinates setup() gives the faces. The underlying type is fixed so that
// any int a caller passes is a valid value (unknown ones take the default mapping).
enum uv_mapping : int {
    UV_MAPPING_DEFAULT = 0,
    UV_MAPPING_CUBE = 1,       // a 3 x 3 grid: top in the centre cell, sides around it
    UV_MAPPING_DIMENSION = 2,  // one repeat per 10 world units of the extents
};

// Which axis pointInside() leaves out.
enum cuboid_axis : int {
    CUBOID_AXIS_NONE = 0,
    CUBOID_AXIS_IGNORE_X = 1,
    CUBOID_AXIS_IGNORE_Y = 2,
    CUBOID_AXIS_IGNORE_Z = 3,
    CUBOID_AXIS_IGNORE_ALL = 4,
};

class TexturedCuboid : public RayCollidable {
public:
    static constexpr int kVertexCount = 36;
    static constexpr int kFloatsPerVertex = 8;  // position, normal, texture coordinate

    // Width, height and depth are the extents along x, y and z.
    TexturedCuboid(float x, float y, float z, float width, float height, float depth, std::string texturePath,
                   std::string vertexShader, std::string fragmentShader);
    ~TexturedCuboid() override;
    TexturedCuboid(const TexturedCuboid&) = delete;
    TexturedCuboid& operator=(const TexturedCuboid&) = delete;

    bool setup(uv_mapping mapping);
    void update(float seconds);
    void render(MatrixOwner* camera, bool lit, const glm::vec3& lightPosition);

    bool checkCollision(const glm::vec3& origin, const glm::vec3& direction) override;
    bool pointInside(const glm::vec3& point, cuboid_axis axis) const;

    void setupCubeUVData();
    void setupDimensionUVData();
    void setupDefaultUVData();

    // Model-to-world transform of the unit cube.
    glm::mat4 worldMatrix() const;
    // The 36 vertices as setup() built them, 8 floats each.
    const std::vector<float>& getVertexData() const { return vertexData; }

    // The owner moves the box by writing its centre between frames.
    float x;
    float y;
    float z;
    float rotationY = 0.0f;
    float rotationZ = 0.0f;
    glm::vec3 pivot = glm::vec3(0.0f);

private:
    void copyTemplateVertices();
    // Writes (u, v) for the corners A, B, C, D of each face in the order +Y, -Y, +X, -X, +Z, -Z.
    void applyFaceUVs(const float faceUVs[6][4][2]);
    void createBuffers();

    std::vector<float> vertexData;
    float scale = 1.0f;
    float width;
    float height;
    float depth;
    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
    std::string texturePath;
    GLuint texture = 0;
    std::string vertexShader;
    std::string fragmentShader;
    ShaderProgram* program = nullptr;
};
