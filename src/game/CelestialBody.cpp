#include "game/CelestialBody.h"

#include <cmath>
#include <utility>

namespace {
// Not the virtual getPosition: the constructor needs it before the object is whole.
glm::vec3 orbitPoint(float radius, float angle) {
    return glm::vec3(radius * std::cos(angle), radius * std::sin(angle), 0.0f);
}
}  // namespace

CelestialBody::CelestialBody(std::string name, int32_t meshIndex, std::string levelPath, float orbitRadius, float scale,
                             float orbitSpeed, float spinSpeed, float orbitAngle)
    : name(std::move(name)),
      levelPath(std::move(levelPath)),
      meshIndex(meshIndex),
      scale(scale),
      orbitAngle(orbitAngle),
      orbitRadius(orbitRadius),
      orbitSpeed(orbitSpeed),
      spinSpeed(spinSpeed),
      position(orbitPoint(orbitRadius, orbitAngle)) {}

glm::vec3 CelestialBody::getPosition() {
    return orbitPoint(orbitRadius, orbitAngle);
}

void CelestialBody::advance(float dt) {
    orbitAngle += orbitSpeed * dt;
    position = getPosition();
    spin += spinSpeed * dt;
}
