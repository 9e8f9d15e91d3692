#include "game/Rocket.h"

#include <cmath>
#include <cstdlib>

#include "core/Log.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"

namespace {

constexpr float kModelScale = 0.1f;
// Stands the file's y-up ship upright in the z-up world.
constexpr float kUpright = 1.5707964f;
const glm::vec3 kLandingPoint(0.0f, 0.0f, 12.0f);

// Take-off: z = 0.72 t^3 + 12 until it passes 250.
constexpr double kTakeOffRate = 0.72;
constexpr double kTakeOffBase = 12.0;
constexpr double kGoneHeight = 250.0;
// Landing: z = 88 e^(1 - 0.9 t) + 12, down to 12.4; then a second on the ground.
constexpr float kLandingDrop = 88.0f;
constexpr float kLandingDecay = 0.9f;
constexpr float kLandingBase = 12.0f;
constexpr float kTouchDownHeight = 12.4f;
constexpr float kSettlingTime = 1.0f;

// The flame leaves three units above the base point.
const glm::vec3 kNozzle(0.0f, 0.0f, 3.0f);
constexpr float kExhaustSpread = 10.0f;  // horizontal speed, units per second
constexpr double kExhaustDrop = 10.1;    // vertical speed at the flight's start, slowing by 1 per second
constexpr float kExhaustFlow = 100.0f;   // particles per second
constexpr double kTwoPi = 6.283185307179586;

}  // namespace

Rocket::Rocket(const glm::vec3& position, LevelQuery* level) : position(position), level(level) {}

Rocket::~Rocket() {
    delete model;
    delete engine;
}

bool Rocket::setup() {
    model = new Model("models/spaceship/spaceship.obj", "shaders/model.vs", "shaders/model.fs", false);
    if (!model->setup()) {
        LOG_ERROR("Failed to setup rocket model");
        return false;
    }
    model->setScale(kModelScale, false);
    model->rotation.x = kUpright;
    model->updateAABB();
    model->setPosition(kLandingPoint, false);

    engine = new ParticleSystem("particlesystems/rocketengine.json", false);
    engine->setParticleSystemController(this);
    if (!engine->setup()) {
        LOG_ERROR("Failed to setup rocket particle system");
        return false;
    }
    return true;
}

int Rocket::update(float dt) {
    timer += dt;
    fly();
    if (model != nullptr) {
        model->setPosition(position, false);
    }
    if (engine != nullptr) {
        engine->update(dt);
    }
    return state;
}

void Rocket::fly() {
    switch (state) {
        case ROCKET_STATE_TAKING_OFF: {
            const double t = timer;
            position.z = static_cast<float>(kTakeOffRate * t * t * t + kTakeOffBase);
            if (position.z > kGoneHeight) {
                state = ROCKET_STATE_GONE;
            }
            break;
        }
        case ROCKET_STATE_LANDING:
            position.z = kLandingDrop * std::exp(1.0f - kLandingDecay * timer) + kLandingBase;
            if (position.z <= kTouchDownHeight) {
                state = ROCKET_STATE_SETTLING;
                timer = 0.0f;
            }
            break;
        case ROCKET_STATE_SETTLING:
            if (timer > kSettlingTime) {
                state = ROCKET_STATE_LANDED;
            }
            break;
        case ROCKET_STATE_LANDED: state = ROCKET_STATE_STANDING; break;
        default: break;
    }
}

void Rocket::render(MatrixOwner* camera, const glm::vec3& light) {
    if (model != nullptr) {
        model->render(camera, light);
    }
    // The engine draws only while a flight is under way.
    if (engine != nullptr) {
        engine->render(camera);
    }
}

glm::vec3 Rocket::getPosition() {
    return position;
}

bool Rocket::getSpawnPosition(glm::vec3& spawnPosition) {
    spawnPosition = position + kNozzle;
    return true;
}

bool Rocket::getVelocity(glm::vec3& velocity) {
    // The raw generator value taken as radians: the direction turns many times over its range.
    const auto angle = static_cast<float>(static_cast<double>(rand()) / kTwoPi);
    const float speed = timer > 0.0f ? kExhaustSpread : 0.0f;
    velocity = glm::vec3(speed * std::cos(angle), speed * std::sin(angle),
                         static_cast<float>(kExhaustDrop - static_cast<double>(timer)));
    return true;
}

bool Rocket::getFlowRate(float& flow) {
    flow = kExhaustFlow;
    return true;
}

bool Rocket::getAngle(float& angle) {
    angle = kUpright;
    return true;
}

bool Rocket::getActive(bool& active) {
    active = state == ROCKET_STATE_TAKING_OFF || state == ROCKET_STATE_LANDING;
    return true;
}
