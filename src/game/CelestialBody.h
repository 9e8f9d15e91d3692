// The star or one planet of the star map: a place on a circular orbit about the origin in
// the plane z = 0, a spin, and the mesh set that draws it. The solar system moves it; the
// star-map camera can follow it.
#pragma once

#include <cstdint>
#include <string>

#include <glm/glm.hpp>

#include "render/Followable.h"

class CelestialBody : public Followable {
public:
    CelestialBody(std::string name, int32_t meshIndex, std::string levelPath, float orbitRadius, float scale,
                  float orbitSpeed, float spinSpeed, float orbitAngle);

    // Computed from the orbit at each call; equal to `position` after each update.
    glm::vec3 getPosition() override;
    // Moves along the orbit and spins by dt seconds.
    void advance(float dt);

    std::string name;
    std::string levelPath;  // empty for the star, which cannot be selected
    int32_t meshIndex;
    float scale;
    float orbitAngle;   // radians
    float orbitRadius;  // world units
    float orbitSpeed;   // radians per second
    float spinSpeed;    // radians per second
    float spin = 0.0f;  // radians about the vertical axis
    glm::vec3 position;
};
