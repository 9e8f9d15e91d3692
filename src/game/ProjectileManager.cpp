#include "game/ProjectileManager.h"

#include <cstdlib>

#include "core/Log.h"
#include "core/MailBox.h"
#include "core/MathUtil.h"
#include "render/Icosphere.h"
#include "render/LevelQuery.h"
#include "render/SphereCrowd.h"
#include "sound/GameSound.h"

namespace {

constexpr float kHitRadius = 1.0f;
constexpr float kMaxAge = 5.0f;

// The pool belongs to the manager made last; an older one that is deleted later must not
// free its successor's records.
Projectile* mpProjectiles = nullptr;
const ProjectileManager* mpPoolOwner = nullptr;

}  // namespace

ProjectileManager::ProjectileManager(LevelQuery* level) : level(level) {
    free(mpProjectiles);
    mpProjectiles = static_cast<Projectile*>(calloc(kPoolSize, sizeof(Projectile)));
    mpPoolOwner = this;
}

ProjectileManager::~ProjectileManager() {
    // The crowd draws the sphere's mesh, so it goes first.
    crowd.reset();
    delete sphere;
    if (mpPoolOwner == this) {
        free(mpProjectiles);
        mpProjectiles = nullptr;
        mpPoolOwner = nullptr;
    }
}

bool ProjectileManager::setup() {
    if (mpProjectiles == nullptr) {
        LOG_ERROR("Failed to allocate projectiles");
        return false;
    }
    sphere = new Icosphere(0.0f, 0.0f, 0.0f, "textures/sunmap.jpg", 0.0f, 0.1f, 5);
    if (!sphere->setup()) {
        LOG_ERROR("Failed to setup projectile sphere");
        return false;
    }
    crowd = std::make_unique<SphereCrowd>(sphere);
    return crowd->setup();
}

void ProjectileManager::add(const glm::vec3& position, glm::vec3 direction, float speed, int owner) {
    if (mpProjectiles == nullptr) {
        return;
    }
    for (int i = 0; i < kPoolSize; ++i) {
        Projectile& projectile = mpProjectiles[i];
        if (projectile.active) {
            continue;
        }
        // A shot aimed at its own starting point stands still rather than flying off as NaN.
        const float length = glm::length(direction);
        projectile.position = position;
        projectile.velocity = length > 0.0f ? direction / length * speed : glm::vec3(0.0f);
        projectile.active = true;
        projectile.owner = static_cast<float>(owner);
        projectile.age = 0.0f;
        return;
    }
}

void ProjectileManager::update(float dt, const glm::vec3& eye) {
    if (mpProjectiles == nullptr) {
        return;
    }
    for (int i = 0; i < kPoolSize; ++i) {
        Projectile& projectile = mpProjectiles[i];
        if (!projectile.active) {
            continue;
        }
        // The tests see where the previous step left the projectile; the move comes last.
        projectile.age += dt;
        // The terrain stops a shot before it can hit; a hit counts even in a shot's last step.
        const bool inTerrain = level != nullptr && level->isCollision(projectile.position);
        if (!inTerrain && MathUtil::pointInsideSphere(projectile.position, eye, kHitRadius)) {
            // The hit ends the projectile, so each one costs at most one life.
            send_game_sound(SOUND_DAMAGE_TAKEN_1);
            MailBox::getInstance()->sendMessage(MESSAGE_PLAYER_HIT, nullptr);
            projectile.active = false;
        } else if (inTerrain || projectile.age > kMaxAge) {
            projectile.active = false;
        } else {
            projectile.position += projectile.velocity * dt;
        }
    }
}

void ProjectileManager::render(MatrixOwner* camera) {
    if (mpProjectiles == nullptr || crowd == nullptr) {
        return;
    }
    glm::vec3 centres[kPoolSize];
    int count = 0;
    for (int i = 0; i < kPoolSize; ++i) {
        if (mpProjectiles[i].active) {
            centres[count++] = mpProjectiles[i].position;
        }
    }
    crowd->render(camera, centres, count);
}

const Projectile* ProjectileManager::getProjectile(int index) const {
    if (mpProjectiles == nullptr || index < 0 || index >= kPoolSize) {
        return nullptr;
    }
    return &mpProjectiles[index];
}

int ProjectileManager::getActiveCount() const {
    int count = 0;
    for (int i = 0; mpProjectiles != nullptr && i < kPoolSize; ++i) {
        count += mpProjectiles[i].active ? 1 : 0;
    }
    return count;
}

unsigned int ProjectileManager::getSentTriangleCount() const {
    return crowd != nullptr ? crowd->getSentTriangleCount() : 0;
}
