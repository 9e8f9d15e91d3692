// What every render call learns about the camera: its matrices, eye and view direction.
// The pointed-to values belong to the camera and stay valid while it lives.
#pragma once

#include <glm/glm.hpp>

class MatrixOwner {
public:
    virtual glm::mat4 getViewMatrix() = 0;
    virtual glm::mat4* getPerspectiveMatrix() = 0;
    // Pixels: x 0..1280 to the right, y 0..720 upward, origin at the window's lower left.
    virtual glm::mat4* getOrthogonalMatrix() = 0;
    virtual glm::vec3* getPosition() = 0;
    virtual glm::vec3* getViewDirection() = 0;
    virtual float getViewXYAngle() = 0;
    virtual ~MatrixOwner() = default;
};
