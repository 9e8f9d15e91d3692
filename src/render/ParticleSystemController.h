// Steers a particle system from outside (the rocket's engine flame). Every call fills its
// out-argument and returns true when it did; the particle system presets each argument
// and ignores the result.
#pragma once

#include <glm/glm.hpp>

class ParticleSystemController {
public:
    // Start position of the next particle, in the system's own space.
    virtual bool getSpawnPosition(glm::vec3& position) = 0;
    // Start velocity of the next particle, its vertical part upward-positive.
    virtual bool getVelocity(glm::vec3& velocity) = 0;
    // Particles per second.
    virtual bool getFlowRate(float& flow) = 0;
    virtual bool getAngle(float& angle) = 0;
    // Whether the system runs and draws.
    virtual bool getActive(bool& active) = 0;
    virtual ~ParticleSystemController() = default;
};
