#include "game/CelestialBody.h"

#include <cmath>
#include <utility>

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
      position(getPosition()) {}

glm::vec3 CelestialBody::getPosition() {
    return glm::vec3(orbitRadius * std::cos(orbitAngle), orbitRadius * std::sin(orbitAngle), 0.0f);
}

void CelestialBody::advance(float dt) {
    orbitAngle += orbitSpeed * dt;
    position = getPosition();
    spin += spinSpeed * dt;
}
