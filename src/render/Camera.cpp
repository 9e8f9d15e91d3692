#include "render/Camera.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

namespace {
const float kFieldOfView = 1.5707964f;  // 90 degrees, vertical
const float kNearPlane = 0.01f;
const float kFarPlane = 400.0f;
const float kEyeAboveGround = 1.0f;
const float kJumpPhaseRate = 5.0f;  // radians per second: one arch lasts about 0.63 s
const float kOrbitRate = 0.1f;      // radians per second
const double kOrbitRadius = 15.0;
const float kOrbitHeight = 30.0f;
const float kOrbitStartHeight = 40.0f;
const glm::vec3 kResetPosition(40.0f, 0.0f, 0.0f);
const glm::vec3 kResetTarget(0.0f, 0.0f, 1.0f);
const glm::vec3 kResetUp(0.0f, 0.0f, 1.0f);
const glm::vec3 kFlatNormal(0.0f, 0.0f, -1.0f);

// How fast the player walks over terrain of this (downward) normal when heading along a
// horizontal direction: 0.5 up steep slopes, 1.0 on the flat, 1.5 down steep ones.
float slope_speed_factor(const glm::vec3& normal, const glm::vec3& heading) {
    const float kSteepUphill = 40.0f;
    const float kSteepDownhill = 140.0f;
    const float kSlowest = 0.5f;
    const float kFastest = 1.5f;
    const glm::vec3 horizontal = glm::normalize(heading);
    const float cosine = std::clamp(glm::dot(normal, horizontal), -1.0f, 1.0f);
    const float degrees = std::acos(cosine) * 180.0f / 3.14159265f;
    if (degrees < kSteepUphill) {
        return kSlowest;
    }
    if (degrees > kSteepDownhill) {
        return kFastest;
    }
    return std::clamp(0.01f * degrees + 0.1f, kSlowest, kFastest);
}
}  // namespace

Camera::Camera(glm::vec3 position, glm::vec3 target, glm::vec3 up, float width, float height)
    : position(position),
      target(target),
      up(up),
      aspectRatio(width / height),
      perspective(glm::perspectiveRH(kFieldOfView, aspectRatio, kNearPlane, kFarPlane)),
      orthogonal(glm::ortho(0.0f, width, 0.0f, height, -1.0f, 1.0f)) {}

glm::mat4 Camera::getViewMatrix() {
    return glm::lookAtRH(position, target, up);
}

void Camera::reset() {
    followTarget = nullptr;
    orbiting = false;
    position = kResetPosition;
    target = kResetTarget;
    up = kResetUp;
}

void Camera::setStaticRotateAroundCurrentPoint() {
    orbiting = true;
    target = position;
    orbitCentre = position;
    orbitAngle = 0.0f;
    position.z = kOrbitStartHeight;
}

void Camera::update(float yaw, float viewZ, float forward, float strafe, float eyeHeight, bool jump, LevelQuery* level,
                    float dt) {
    if (orbiting) {
        orbit(dt);
    } else if (followTarget != nullptr) {
        target = followTarget->getPosition();
    } else {
        walk(yaw, viewZ, forward, strafe, eyeHeight, jump, level, dt);
    }
}

void Camera::orbit(float dt) {
    orbitAngle += kOrbitRate * dt;
    position.x = static_cast<float>(orbitCentre.x + kOrbitRadius * std::cos(static_cast<double>(orbitAngle)));
    position.y = static_cast<float>(orbitCentre.y + kOrbitRadius * std::sin(static_cast<double>(orbitAngle)));
    position.z = kOrbitHeight;
}

void Camera::advanceJump(bool jump, float dt) {
    // One phase for every camera: only one exists at a time, and a jump survives mode changes.
    static float jumpTimer = 0.0f;
    if (!jumping && jump) {
        jumping = true;
        jumpOffset = 0.0f;
        jumpTimer = 0.0f;
        return;
    }
    if (jumping) {
        jumpTimer += kJumpPhaseRate * dt;
        jumpOffset = std::sin(jumpTimer);
        if (jumpOffset < 0.0f) {
            jumping = false;
            jumpOffset = 0.0f;
        }
    }
}

void Camera::walk(float yaw, float viewZ, float forward, float strafe, float eyeHeight, bool jump, LevelQuery* level,
                  float dt) {
    // Ground and slope are read where the eye stands before this step.
    const float ground = (level != nullptr ? level->getElevation(position) : 0.0f) + eyeHeight;
    const glm::vec3 normal = level != nullptr ? level->getNormal(position) : kFlatNormal;

    advanceJump(jump, dt);

    viewXYAngle = yaw;
    viewDirection = glm::normalize(glm::vec3(std::cos(yaw), std::sin(yaw), viewZ));
    // As long as the direction's horizontal part: tilting the view slows the strafe too.
    const glm::vec2 right(viewDirection.y, -viewDirection.x);
    const float factor = slope_speed_factor(normal, glm::vec3(viewDirection.x, viewDirection.y, 0.0f));

    position.x += viewDirection.x * factor * forward + right.x * strafe;
    position.y += viewDirection.y * factor * forward + right.y * strafe;
    position.z = ground + kEyeAboveGround + jumpOffset;
    target = position + viewDirection;
}
