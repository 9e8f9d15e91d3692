// The star map's camera: looks down on the solar system from above and behind, flies in
// when the map opens, pans, zooms in steps and follows a selected planet. Every movement
// eases: each frame the eye and the look-at point move part of the way to their goals.
#pragma once

#include <glm/glm.hpp>

#include "render/Followable.h"
#include "render/MatrixOwner.h"

class SolarSystemCamera : public MatrixOwner {
public:
    SolarSystemCamera(glm::vec3 position, glm::vec3 target, glm::vec3 up, float width, float height);
    ~SolarSystemCamera() override = default;

    glm::mat4 getViewMatrix() override;
    glm::mat4* getPerspectiveMatrix() override { return &perspective; }
    glm::mat4* getOrthogonalMatrix() override { return &ortho; }
    // The current eye.
    glm::vec3* getPosition() override { return &eye; }
    // Fixed at construction; it does not follow the camera's movements.
    glm::vec3* getViewDirection() override { return &viewDirection; }
    float getViewXYAngle() override { return 0.0f; }

    // Follows body; null goes back to free mode and undoes every pan and zoom.
    void setFollowable(Followable* body);
    void update(float dt);
    // Pans by a mouse movement in window pixels (y growing downwards); ignored while following.
    void setOffset(const glm::vec2& delta);
    void zoomIn();
    void zoomOut();

private:
    void updateFollowing(float dt);
    void updateFree(float dt);

    Followable* followed = nullptr;
    glm::vec3 position;
    glm::vec3 target;
    float distance;
    float zoom;
    float initialDistance;
    glm::vec3 viewDirection;
    glm::vec3 eye;
    glm::vec3 center;
    glm::vec3 up;
    glm::vec3 initialPosition;
    glm::vec3 initialTarget;
    float aspect;
    glm::mat4 perspective;
    glm::mat4 ortho;
};
