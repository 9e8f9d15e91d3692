// Point-sprite particles configured by a JSON entry, simulated on the processor and drawn
// additively. A system either flows (dead particles respawn at a rate, from its own random
// boxes or from what its controller answers) or bursts once at a point and then switches
// itself off when every particle is dead.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <string>

#include "core/Json.h"

class MatrixOwner;
class ParticleSystemController;
class ShaderProgram;

// One particle, also the vertex of the GPU buffer (inputs 0 to 2; sortZ is not read).
struct Particle {
    glm::vec3 startPosition;
    glm::vec3 velocity;
    float spawnDelay;
    float lifetime;  // seconds
    float age;       // seconds; the particle is dead once this exceeds the lifetime
    float sortZ;     // height under the motion law, the depth key of sortForZ
};

// qsort order by descending sortZ.
int compareParticleZ(const void* first, const void* second);

class ParticleSystem {
public:
    ParticleSystem(std::string jsonEntry, bool active);
    ~ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    void setParticleSystemController(ParticleSystemController* controller);
    bool setup();
    void update(float dt);
    void render(MatrixOwner* camera);
    // Requests a burst at position (system space) with the next update.
    void activateOnce(glm::vec3 position);
    bool isActive();
    void sortForZ();

    // The steps of setup() that need no OpenGL context: reading the JSON entry, and the
    // particle array with the drawn gravity.
    bool readJson();
    bool initParticles();

    const Particle* getParticles() const { return particles; }
    int getMaxParticles() const { return maxParticles; }
    float getFlow() const { return flow; }
    glm::vec3 getGravity() const { return gravity; }
    glm::vec3 getGravityMin() const { return gravityMin; }
    glm::vec3 getGravityMax() const { return gravityMax; }
    glm::vec3 getStartColour() const { return startColour; }
    glm::vec3 getEndColour() const { return endColour; }
    glm::vec3 getStaticVelocityMin() const { return staticVelocityMin; }
    glm::vec3 getStaticVelocityMax() const { return staticVelocityMax; }
    glm::vec3 getStaticPositionMin() const { return staticPositionMin; }
    glm::vec3 getStaticPositionMax() const { return staticPositionMax; }
    float getLifetimeMin() const { return lifetimeMin; }
    float getLifetimeMax() const { return lifetimeMax; }
    float getSpawnDelayMin() const { return spawnDelayMin; }
    float getSpawnDelayMax() const { return spawnDelayMax; }
    float getStartSize() const { return startSize; }
    float getEndSize() const { return endSize; }
    int getPendingSpawns() const { return pendingSpawns; }
    bool isOneShotRunning() const { return oneShotRunning; }

    // The system's origin in world space; owners write it directly.
    glm::vec3 position = glm::vec3(0.0f);

private:
    void walkJson(const json_value* value, const char* key, int depth);
    void applyJsonNumber(const char* key, float value);
    void respawnForBurst(Particle& particle);
    void respawnFromController(Particle& particle);
    void respawnFromBoxes(Particle& particle);
    void drawLifetimeAndDelay(Particle& particle);
    void createBuffers();

    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
    std::string jsonEntry;
    ParticleSystemController* controller = nullptr;
    Particle* particles = nullptr;
    glm::vec3 gravity = glm::vec3(0.0f);
    glm::vec3 gravityMin = glm::vec3(0.0f);
    glm::vec3 gravityMax = glm::vec3(0.0f);
    glm::vec3 startColour = glm::vec3(0.0f);
    glm::vec3 endColour = glm::vec3(0.0f);
    glm::vec3 staticVelocityMin = glm::vec3(0.0f);
    glm::vec3 staticVelocityMax = glm::vec3(0.0f);
    glm::vec3 staticPositionMin = glm::vec3(0.0f);
    glm::vec3 staticPositionMax = glm::vec3(0.0f);
    bool oneShotRequested = false;
    glm::vec3 oneShotPosition = glm::vec3(0.0f);
    float flow = 0.0f;
    int maxParticles = 0;
    float lifetimeMin = 0.0f;
    float lifetimeMax = 0.0f;
    float spawnDelayMin = 0.0f;
    float spawnDelayMax = 0.0f;
    bool active;
    float startSize = 0.0f;
    float endSize = 0.0f;
    bool oneShotRunning = false;
    int pendingSpawns = 0;
    float spawnTimer = 0.0f;
    GLuint texture = 0;
    ShaderProgram* program = nullptr;
    bool textureLoaded = false;
};
