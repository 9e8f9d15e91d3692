// The player's spaceship on a planet: it lands when the planet view begins and takes off when
// the player boards it, flying each way along a closed-form height curve as a small state
// machine, and steers its engine's flame as that particle system's controller.
#pragma once

#include <glm/glm.hpp>

#include "render/Followable.h"
#include "render/ParticleSystemController.h"

class LevelQuery;
class MatrixOwner;
class Model;
class ParticleSystem;

// Flight states; the level starts a flight by writing `state` and `timer`.
enum rocket_state : int {
    ROCKET_STATE_STANDING = 0,
    ROCKET_STATE_TAKING_OFF = 1,
    ROCKET_STATE_GONE = 2,
    ROCKET_STATE_SETTLING = 3,
    ROCKET_STATE_LANDING = 4,
    ROCKET_STATE_LANDED = 5,  // the landing ended in this step; standing from the next
};

class Rocket : public ParticleSystemController, public Followable {
public:
    Rocket(const glm::vec3& position, LevelQuery* level);
    ~Rocket() override;
    Rocket(const Rocket&) = delete;
    Rocket& operator=(const Rocket&) = delete;

    bool getSpawnPosition(glm::vec3& spawnPosition) override;
    bool getVelocity(glm::vec3& velocity) override;
    bool getFlowRate(float& flow) override;
    bool getAngle(float& angle) override;
    bool getActive(bool& active) override;
    glm::vec3 getPosition() override;

    bool setup();
    // One step of the flight; the state after it.
    int update(float dt);
    void render(MatrixOwner* camera, const glm::vec3& light);

    // The rocket's base point in world space; only z changes in flight.
    glm::vec3 position;
    int state = ROCKET_STATE_STANDING;
    // Seconds in the current flight.
    float timer = 0.0f;

private:
    void fly();

    // The level the rocket stands on; kept with it, though no flight reads the terrain.
    [[maybe_unused]] LevelQuery* level;
    Model* model = nullptr;
    ParticleSystem* engine = nullptr;
};
