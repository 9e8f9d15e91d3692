// The planet view's first-person camera. Walking carries the eye over the terrain with a
// slope-dependent speed and a jump; following turns the eye towards a Followable; orbiting
// circles a fixed point after the player's death.
#pragma once

#include <glm/glm.hpp>

#include "render/Followable.h"
#include "render/LevelQuery.h"
#include "render/MatrixOwner.h"

class Camera : public MatrixOwner {
public:
    Camera(glm::vec3 position, glm::vec3 target, glm::vec3 up, float width, float height);
    ~Camera() override = default;

    glm::mat4 getViewMatrix() override;
    glm::mat4* getPerspectiveMatrix() override { return &perspective; }
    glm::mat4* getOrthogonalMatrix() override { return &orthogonal; }
    glm::vec3* getPosition() override { return &position; }
    glm::vec3* getViewDirection() override { return &viewDirection; }
    float getViewXYAngle() override { return viewXYAngle; }

    // Back to walking with the eye at the level's start; the jump and view direction stay.
    void reset();
    // Starts circling the current eye position from 40 units up.
    void setStaticRotateAroundCurrentPoint();
    // One frame. yaw in radians (0 along +x); viewZ is the view direction's z before
    // normalisation; forward and strafe are this frame's distances; dt in seconds.
    void update(float yaw, float viewZ, float forward, float strafe, float eyeHeight, bool jump, LevelQuery* level,
                float dt);

    // Set by the owner: following while not null. Not owned.
    Followable* followTarget = nullptr;
    // Read by the owner to choose between walking and jumping sounds.
    bool jumping = false;
    float jumpOffset = 0.0f;
    // The eye; the owner places it directly when it needs to.
    glm::vec3 position;

private:
    void orbit(float dt);
    void walk(float yaw, float viewZ, float forward, float strafe, float eyeHeight, bool jump, LevelQuery* level,
              float dt);
    void advanceJump(bool jump, float dt);

    glm::vec3 target;
    glm::vec3 up;
    glm::vec3 viewDirection = glm::vec3(-1.0f, 0.0f, 0.0f);
    float viewXYAngle = 0.0f;
    float aspectRatio;
    bool orbiting = false;
    glm::vec3 orbitCentre = glm::vec3(0.0f);
    float orbitAngle = 0.0f;
    glm::mat4 perspective;
    glm::mat4 orthogonal;
};
