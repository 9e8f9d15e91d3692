#include "render/ParticleSystem.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "core/Log.h"
#include "core/MathUtil.h"
#include "render/MatrixOwner.h"
#include "render/ParticleSystemController.h"
#include "render/ProgramManager.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"
#include "render/VertexLayout.h"

static_assert(sizeof(Particle) == 40, "a particle is ten packed floats, the vertex layout");

namespace {

constexpr const char* kVertexShader = "shaders/particlesystem.vs";
constexpr const char* kFragmentShader = "shaders/particlesystem.fs";
constexpr const char* kTexture = "textures/particle.bmp";

// A damaged entry asking for more slots than this fails like an allocation would, instead
// of claiming gigabytes.
constexpr int kMaxParticleSlots = 1 << 20;

// A fresh slot is dead: its age already exceeds its lifetime.
constexpr float kDeadSpawnDelay = 1.0f;
constexpr float kDeadLifetime = 1.0f;
constexpr float kDeadAge = 2.0f;
// Controller spawns take the lowest depth key until their first step.
constexpr float kControllerSpawnSortZ = -100.0f;

float drawBetween(float min, float max) {
    return MathUtil::grf(min, std::fabs(max - min));
}

}  // namespace

int compareParticleZ(const void* first, const void* second) {
    // qsort may read outside the array when the order is inconsistent, so equal keys compare
    // equal and a key that is not a number sorts below every other.
    const auto key = [](const void* particle) {
        const float z = static_cast<const Particle*>(particle)->sortZ;
        return std::isnan(z) ? -INFINITY : z;
    };
    const float a = key(first);
    const float b = key(second);
    if (b > a) {
        return 1;
    }
    return a > b ? -1 : 0;
}

ParticleSystem::ParticleSystem(std::string jsonEntry, bool active) : jsonEntry(std::move(jsonEntry)), active(active) {}

ParticleSystem::~ParticleSystem() {
    if (program != nullptr) {
        ProgramManager::getInstance()->freeProgram(kVertexShader, kFragmentShader, "");
    }
    if (textureLoaded) {
        TextureManager::getInstance()->freeTexture(kTexture);
    }
    delete_vertex_array(vertexArray, vertexBuffer);
    free(particles);
}

void ParticleSystem::setParticleSystemController(ParticleSystemController* newController) {
    controller = newController;
}

bool ParticleSystem::setup() {
    if (!readJson()) {
        return false;
    }
    program = ProgramManager::getInstance()->loadProgram(kVertexShader, kFragmentShader, "");
    texture = TextureManager::getInstance()->loadTexture(kTexture, true);
    textureLoaded = texture != 0;
    if (!initParticles()) {
        return false;
    }
    createBuffers();
    return true;
}

bool ParticleSystem::readJson() {
    json_value* root = json_parse_entry(jsonEntry);
    if (root == nullptr) {
        LOG_ERROR("Failed to parse particle system JSON");
        return false;
    }
    walkJson(root, nullptr, 0);
    json_value_free(root);
    return true;
}

void ParticleSystem::walkJson(const json_value* value, const char* key, int depth) {
    if (depth < kJsonMaxDepth) {
        if (value->type == json_object) {
            for (unsigned int i = 0; i < value->u.object.length; ++i) {
                walkJson(value->u.object.values[i].value, value->u.object.values[i].name, depth + 1);
            }
        } else if (value->type == json_array) {
            for (unsigned int i = 0; i < value->u.array.length; ++i) {
                walkJson(value->u.array.values[i], nullptr, depth + 1);
            }
        }
    }
    if (key == nullptr) {
        return;
    }
    applyJsonNumber(key, json_number_as_float(value));
}

void ParticleSystem::applyJsonNumber(const char* key, float value) {
    if (strcmp(key, "max_particles") == 0) {
        // Saturated outside int; the slot limit then rejects it.
        maxParticles = MathUtil::truncateToInt(value);
        return;
    }
    struct KeyField {
        const char* key;
        float* field;
    };
    // "liftime_max" is how the descriptions spell it.
    const KeyField fields[] = {
        {"flow", &flow},
        {"color_start_r", &startColour.r},
        {"color_start_g", &startColour.g},
        {"color_start_b", &startColour.b},
        {"color_end_r", &endColour.r},
        {"color_end_g", &endColour.g},
        {"color_end_b", &endColour.b},
        {"size_start", &startSize},
        {"size_end", &endSize},
        {"lifetime_min", &lifetimeMin},
        {"liftime_max", &lifetimeMax},
        {"spawn_delay_min", &spawnDelayMin},
        {"spawn_delay_max", &spawnDelayMax},
        {"static_velocity_min_x", &staticVelocityMin.x},
        {"static_velocity_min_y", &staticVelocityMin.y},
        {"static_velocity_min_z", &staticVelocityMin.z},
        {"static_velocity_max_x", &staticVelocityMax.x},
        {"static_velocity_max_y", &staticVelocityMax.y},
        {"static_velocity_max_z", &staticVelocityMax.z},
        {"static_position_min_x", &staticPositionMin.x},
        {"static_position_min_y", &staticPositionMin.y},
        {"static_position_min_z", &staticPositionMin.z},
        {"static_position_max_x", &staticPositionMax.x},
        {"static_position_max_y", &staticPositionMax.y},
        {"static_position_max_z", &staticPositionMax.z},
        {"gravity_min_x", &gravityMin.x},
        {"gravity_min_y", &gravityMin.y},
        {"gravity_min_z", &gravityMin.z},
        {"gravity_max_x", &gravityMax.x},
        {"gravity_max_y", &gravityMax.y},
        {"gravity_max_z", &gravityMax.z},
    };
    for (const KeyField& entry : fields) {
        if (strcmp(key, entry.key) == 0) {
            *entry.field = value;
            return;
        }
    }
}

bool ParticleSystem::initParticles() {
    if (maxParticles < 0 || maxParticles > kMaxParticleSlots) {
        LOG_ERROR("Failed to allocate memory for particles (%d)", maxParticles);
        return false;
    }
    free(particles);
    // One byte at least, so that an empty system still owns a valid block.
    particles = static_cast<Particle*>(malloc(static_cast<size_t>(maxParticles) * sizeof(Particle) + 1));
    if (particles == nullptr) {
        LOG_ERROR("Failed to allocate memory for particles (%d)", maxParticles);
        return false;
    }
    for (int i = 0; i < maxParticles; ++i) {
        particles[i] = Particle{glm::vec3(0.0f), glm::vec3(0.0f), kDeadSpawnDelay, kDeadLifetime, kDeadAge, 0.0f};
    }
    gravity.x = drawBetween(gravityMin.x, gravityMax.x);
    gravity.y = drawBetween(gravityMin.y, gravityMax.y);
    gravity.z = drawBetween(gravityMin.z, gravityMax.z);
    return true;
}

void ParticleSystem::createBuffers() {
    glGenBuffers(1, &vertexBuffer);
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(maxParticles) * static_cast<GLsizeiptr>(sizeof(Particle)),
                 particles, GL_STATIC_DRAW);
    constexpr GLsizei stride = sizeof(Particle);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Particle, startPosition)));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Particle, velocity)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Particle, spawnDelay)));
    glEnableVertexAttribArray(2);
}

bool ParticleSystem::isActive() {
    if (controller != nullptr) {
        bool controllerActive = false;
        controller->getActive(controllerActive);
        return controllerActive;
    }
    return active;
}

void ParticleSystem::activateOnce(glm::vec3 burstPosition) {
    oneShotRequested = true;
    oneShotPosition = burstPosition;
    active = true;
}

void ParticleSystem::drawLifetimeAndDelay(Particle& particle) {
    particle.lifetime = drawBetween(lifetimeMin, lifetimeMax);
    particle.spawnDelay = drawBetween(spawnDelayMin, spawnDelayMax);
}

void ParticleSystem::respawnForBurst(Particle& particle) {
    particle.startPosition = oneShotPosition;
    particle.velocity.x = drawBetween(staticVelocityMin.x, staticVelocityMax.x);
    particle.velocity.y = drawBetween(staticVelocityMin.y, staticVelocityMax.y);
    particle.velocity.z = drawBetween(staticVelocityMin.z, staticVelocityMax.z);
    drawLifetimeAndDelay(particle);
    particle.age = 0.0f;
}

void ParticleSystem::respawnFromController(Particle& particle) {
    glm::vec3 velocity(0.0f);
    controller->getVelocity(velocity);
    // The controller answers upward-positive; the stored vertical velocity is negated.
    particle.velocity = glm::vec3(velocity.x, velocity.y, -velocity.z);
    glm::vec3 spawnPosition(0.0f);
    controller->getSpawnPosition(spawnPosition);
    particle.startPosition = spawnPosition;
    drawLifetimeAndDelay(particle);
    particle.age = 0.0f;
    particle.sortZ = kControllerSpawnSortZ;
    --pendingSpawns;
    spawnTimer = 0.0f;
}

void ParticleSystem::respawnFromBoxes(Particle& particle) {
    particle.startPosition.x = drawBetween(staticPositionMin.x, staticPositionMax.x);
    particle.startPosition.y = drawBetween(staticPositionMin.y, staticPositionMax.y);
    particle.startPosition.z = drawBetween(staticPositionMin.z, staticPositionMax.z);
    particle.velocity.x = drawBetween(staticVelocityMin.x, staticVelocityMax.x);
    particle.velocity.y = drawBetween(staticVelocityMin.y, staticVelocityMax.y);
    particle.velocity.z = drawBetween(staticVelocityMin.z, staticVelocityMax.z);
    drawLifetimeAndDelay(particle);
    particle.age = 0.0f;
    --pendingSpawns;
    spawnTimer = 0.0f;
}

void ParticleSystem::update(float dt) {
    if (!isActive() || particles == nullptr) {
        return;
    }
    float currentFlow = flow;
    if (controller != nullptr) {
        controller->getFlowRate(currentFlow);
    }
    // At most one spawn is owed per step, however many intervals the step spans. A flow of
    // 0 never spawns; a negative one owes a spawn every step.
    spawnTimer += dt;
    const bool spawnDue = currentFlow > 0.0f ? spawnTimer > 1.0f / currentFlow : currentFlow < 0.0f;
    if (spawnDue) {
        ++pendingSpawns;
    }

    int deadCount = 0;
    for (int i = 0; i < maxParticles; ++i) {
        Particle& particle = particles[i];
        particle.age += dt;
        if (!(particle.age > particle.lifetime)) {
            particle.sortZ = particle.startPosition.z + particle.velocity.z * particle.age +
                             0.5f * gravity.z * particle.age * particle.age;
            continue;
        }
        ++deadCount;
        if (oneShotRequested) {
            respawnForBurst(particle);
        } else if (pendingSpawns <= 0) {
            continue;
        } else if (controller != nullptr) {
            respawnFromController(particle);
        } else if (!oneShotRunning) {
            respawnFromBoxes(particle);
        }
    }

    if (oneShotRunning && deadCount == maxParticles) {
        active = false;
        oneShotRunning = false;
    }
    if (oneShotRequested) {
        oneShotRequested = false;
        oneShotRunning = true;
    }
}

void ParticleSystem::render(MatrixOwner* camera) {
    // Without its program the system cannot draw.
    if (!isActive() || program == nullptr || vertexArray == 0) {
        return;
    }
    program->use();
    const GLuint id = program->getId();
    const GLint startColourLocation = glGetUniformLocation(id, "u_start_color");
    const GLint endColourLocation = glGetUniformLocation(id, "u_end_color");
    const GLint gravityLocation = glGetUniformLocation(id, "u_gravity");
    const GLint samplerLocation = glGetUniformLocation(id, "s_texture");
    const GLint startSizeLocation = glGetUniformLocation(id, "u_start_point_size");
    const GLint endSizeLocation = glGetUniformLocation(id, "u_end_point_size");

    // Particles add light: they never hide each other or what is drawn after them.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);

    program->setCameraMatrices(camera, glm::translate(glm::mat4(1.0f), position));
    glUniform3fv(gravityLocation, 1, glm::value_ptr(gravity));
    glUniform3fv(startColourLocation, 1, glm::value_ptr(startColour));
    glUniform3fv(endColourLocation, 1, glm::value_ptr(endColour));
    glUniform1f(startSizeLocation, startSize);
    glUniform1f(endSizeLocation, endSize);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glUniform1i(samplerLocation, 0);

    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(maxParticles) * static_cast<GLsizeiptr>(sizeof(Particle)),
                 particles, GL_STATIC_DRAW);
    glDrawArrays(GL_POINTS, 0, maxParticles);

    glBindVertexArray(0);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

void ParticleSystem::sortForZ() {
    if (maxParticles > 0) {
        qsort(particles, static_cast<size_t>(maxParticles), sizeof(Particle), compareParticleZ);
    }
}
