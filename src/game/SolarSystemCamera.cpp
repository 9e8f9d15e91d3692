#include "game/SolarSystemCamera.h"

#include <algorithm>

#include <glm/gtc/matrix_transform.hpp>

namespace {
const float kFieldOfView = 1.5707964f;  // 90 degrees, vertical
const float kNearPlane = 0.01f;
const float kFarPlane = 400.0f;
// The fly-in starts here whatever the start position.
const glm::vec3 kFlyInEye(0.0f, -1000.0f, 100.0f);
const glm::vec3 kFollowOffset(0.0f, -20.0f, 10.0f);
const float kCenterRate = 5.0f;  // per second: the look-at point and the panned ground position
const float kEyeRate = 1.0f;     // per second: the following eye and the zoom height
const float kZoomStep = 20.0f;
const float kClosestZoom = 50.0f;
const float kFarthestZoom = 300.0f;
const float kPixelsPerUnit = 10.0f;  // of a drag
}  // namespace

SolarSystemCamera::SolarSystemCamera(glm::vec3 position, glm::vec3 target, glm::vec3 up, float width, float height)
    : position(position),
      target(target),
      distance(glm::length(position)),
      zoom(glm::length(position)),
      initialDistance(glm::length(position)),
      viewDirection(glm::normalize(-position)),
      eye(kFlyInEye),
      center(0.0f),
      up(up),
      initialPosition(position),
      initialTarget(target),
      aspect(width / height),
      perspective(glm::perspectiveRH(kFieldOfView, width / height, kNearPlane, kFarPlane)),
      ortho(glm::ortho(0.0f, aspect * height, 0.0f, height, -1.0f, 1.0f)) {}

glm::mat4 SolarSystemCamera::getViewMatrix() {
    return glm::lookAtRH(eye, center, up);
}

void SolarSystemCamera::setFollowable(Followable* body) {
    followed = body;
    if (body == nullptr) {
        position = initialPosition;
        target = initialTarget;
        zoom = initialDistance;
    }
}

void SolarSystemCamera::update(float dt) {
    // The easing factors are not clamped: frames longer than 0.2 s overshoot.
    if (followed != nullptr) {
        updateFollowing(dt);
    } else {
        updateFree(dt);
    }
}

void SolarSystemCamera::updateFollowing(float dt) {
    target = followed->getPosition();
    position = target + kFollowOffset;
    center += (target - center) * kCenterRate * dt;
    eye += (position - eye) * kEyeRate * dt;
}

void SolarSystemCamera::updateFree(float dt) {
    eye.x += (position.x - eye.x) * kCenterRate * dt;
    eye.y += (position.y - eye.y) * kCenterRate * dt;
    center += (target - center) * kCenterRate * dt;
    // The eye's height is the eased zoom, not the start position's height.
    distance += (zoom - distance) * kEyeRate * dt;
    eye.z = distance;
}

void SolarSystemCamera::setOffset(const glm::vec2& delta) {
    if (followed != nullptr) {
        return;
    }
    position.x -= delta.x / kPixelsPerUnit;
    target.x -= delta.x / kPixelsPerUnit;
    position.y += delta.y / kPixelsPerUnit;
    target.y += delta.y / kPixelsPerUnit;
}

void SolarSystemCamera::zoomIn() {
    zoom = std::max(kClosestZoom, zoom - kZoomStep);
}

void SolarSystemCamera::zoomOut() {
    zoom = std::min(kFarthestZoom, zoom + kZoomStep);
}
