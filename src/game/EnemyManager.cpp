#include "game/EnemyManager.h"

#include <cmath>

#include "core/MathUtil.h"
#include "game/ProjectileManager.h"
#include "render/LevelQuery.h"
#include "render/MatrixOwner.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"
#include "sound/GameSound.h"

namespace {

constexpr int kEnemyCount = 10;
constexpr float kTwoPi = 6.2831855f;
constexpr float kQuarterTurn = 1.5707964f;
constexpr float kUfoScale = 0.05f;

// Spawning: a ring of radius 30 to 100 around the centre, UFOs still on the ground kept
// 15 apart.
constexpr float kSpawnRadius = 30.0f;
constexpr float kSpawnRadiusRange = 70.0f;
constexpr float kSpawnSpacing = 15.0f;
// Ten UFOs cover far less of the ring than would make a draw fail this often in a row;
// the bound only keeps a generator stuck on one value from hanging the game.
constexpr int kMaxSpawnDraws = 1000;

constexpr float kFlyingHeight = 22.0f;
constexpr float kBobHeight = 0.5f;
constexpr float kSpinDivisor = 5.0f;
constexpr float kBobRate = 2.0f;
// Beyond this distance from the centre a new leg heads back towards it.
constexpr float kRoamRadius = 70.0f;

constexpr float kAttackRange = 40.0f;
constexpr float kShotInterval = 1.0f;
constexpr float kShotSpeed = 10.0f;
const glm::vec3 kMuzzle(0.0f, 0.0f, 1.0f);

constexpr float kFullHealth = 50.0f;
constexpr float kHitDamage = 10.0f;

float bobbingHeight(const Enemy& enemy) {
    return kFlyingHeight + kBobHeight * std::sin(enemy.phase);
}

}  // namespace

EnemyManager::EnemyManager() = default;

EnemyManager::~EnemyManager() {
    model.reset();
    explosion.reset();
    smoke.reset();
}

bool EnemyManager::setup() {
    model = std::make_unique<Model>("models/ufo1/Low_poly_UFO.obj", "shaders/ufo.vs", "shaders/ufo.fs", false);
    if (!model->setup()) {
        return false;
    }
    model->setScale(kUfoScale, false);
    model->rotation.x = kQuarterTurn;
    model->updateAABB();
    // The draw turns the scaled model about its origin: no vertex gets farther from it than
    // the box's farthest corner. A hundredth more covers the rounding of the view test and
    // of the draw's own arithmetic.
    modelReach =
        1.01f * kUfoScale * glm::length(glm::max(glm::abs(model->getAabbMin()), glm::abs(model->getAabbMax())));
    explosion = std::make_unique<ParticleSystem>("particlesystems/explosion.json", false);
    if (!explosion->setup()) {
        return false;
    }
    smoke = std::make_unique<ParticleSystem>("particlesystems/smoke.json", false);
    return smoke->setup();
}

void EnemyManager::reset() {
    enemies.clear();
}

void EnemyManager::addEnemies() {
    for (int i = 0; i < kEnemyCount; ++i) {
        auto enemy = std::make_unique<Enemy>();
        initializeEnemy(enemy.get());
        enemies.push_back(std::move(enemy));
    }
}

void EnemyManager::initializeEnemy(Enemy* enemy) {
    enemy->state = ENEMY_FLYING;
    enemy->timer = 0.0f;
    enemy->health = kFullHealth;
    enemy->pos = getRandomPos();
    enemy->phase = MathUtil::grf(0.0f, 1.0f);
    enemy->duration = MathUtil::grf(1.0f, 2.0f);
    const float u = MathUtil::get_random();
    const float v = MathUtil::get_random();
    enemy->dir = glm::normalize(glm::vec3(2.0f * u - 1.0f, 2.0f * v - 1.0f, 0.0f));
}

bool EnemyManager::tooClose(const glm::vec3& point) {
    for (const auto& enemy : enemies) {
        if (glm::length(enemy->pos - point) < kSpawnSpacing) {
            return true;
        }
    }
    return false;
}

glm::vec3 EnemyManager::getRandomPos() {
    glm::vec3 candidate(0.0f);
    for (int draw = 0; draw < kMaxSpawnDraws; ++draw) {
        const float angle = MathUtil::grf(0.0f, kTwoPi);
        const float radius = MathUtil::grf(kSpawnRadius, kSpawnRadiusRange);
        candidate = glm::vec3(centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle), 0.0f);
        if (!tooClose(candidate)) {
            break;
        }
    }
    return candidate;
}

glm::vec3 EnemyManager::getRandomDir(Enemy* enemy) {
    if (MathUtil::pointInsideCircle(glm::vec2(enemy->pos), glm::vec2(centre), kRoamRadius)) {
        const float angle = MathUtil::grf(0.0f, kTwoPi);
        return glm::vec3(std::cos(angle), std::sin(angle), 0.0f);
    }
    // Three-dimensional: from up in the air the horizontal part is shorter than 1, so the
    // way back is flown more slowly.
    return glm::normalize(centre - enemy->pos);
}

void EnemyManager::update(float dt, const glm::vec3& eye, LevelQuery* /*level*/, bool playerDead) {
    for (const auto& enemy : enemies) {
        updateEnemy(*enemy, dt, eye, playerDead);
    }
    if (explosion != nullptr) {
        explosion->update(dt);
    }
    if (smoke != nullptr) {
        smoke->update(dt);
    }
}

void EnemyManager::updateEnemy(Enemy& enemy, float dt, const glm::vec3& eye, bool playerDead) {
    enemy.timer += dt;
    enemy.spin += enemy.duration * dt / kSpinDivisor;
    enemy.phase += kBobRate * dt;
    switch (enemy.state) {
        case ENEMY_DEAD:
            if (enemy.timer > enemy.duration) {
                initializeEnemy(&enemy);
            }
            break;
        case ENEMY_FLYING: fly(enemy, dt, eye, playerDead); break;
        case ENEMY_HOVERING: hover(enemy); break;
        case ENEMY_ATTACKING: attack(enemy, eye, playerDead); break;
        default: break;
    }
}

void EnemyManager::fly(Enemy& enemy, float dt, const glm::vec3& eye, bool playerDead) {
    // Tested where the last step left it: the switch to attacking stops it at once.
    if (!playerDead && glm::length(eye - enemy.pos) < kAttackRange) {
        enemy.state = ENEMY_ATTACKING;
        enemy.timer = 0.0f;
        return;
    }
    // The leg's duration is also its speed: longer legs are flown faster.
    enemy.pos.x += enemy.dir.x * enemy.duration * dt;
    enemy.pos.y += enemy.dir.y * enemy.duration * dt;
    enemy.pos.z = bobbingHeight(enemy);
    if (enemy.timer > enemy.duration) {
        enemy.state = ENEMY_HOVERING;
        enemy.timer = 0.0f;
        enemy.duration = MathUtil::grf(1.0f, 2.0f);
    }
}

void EnemyManager::hover(Enemy& enemy) {
    enemy.pos.z = bobbingHeight(enemy);
    if (enemy.timer > enemy.duration) {
        enemy.timer = 0.0f;
        enemy.duration = MathUtil::grf(1.0f, 3.0f);
        enemy.dir = getRandomDir(&enemy);
        enemy.state = ENEMY_FLYING;
    }
}

void EnemyManager::attack(Enemy& enemy, const glm::vec3& eye, bool playerDead) {
    enemy.pos.z = bobbingHeight(enemy);
    if (playerDead || glm::length(eye - enemy.pos) > kAttackRange) {
        enemy.state = ENEMY_FLYING;
        enemy.timer = 0.0f;
        return;
    }
    if (enemy.timer > kShotInterval) {
        const glm::vec3 origin = enemy.pos + kMuzzle;
        if (projectileManager != nullptr) {
            projectileManager->add(origin, eye - origin, kShotSpeed, 0);
        }
        send_game_sound(SOUND_LASER);
        enemy.timer = 0.0f;
    }
}

void EnemyManager::render(MatrixOwner* camera, const glm::vec3& light) {
    if (model != nullptr) {
        const glm::mat4 viewProjection = *camera->getPerspectiveMatrix() * camera->getViewMatrix();
        const glm::vec3 reach(modelReach);
        for (const auto& enemy : enemies) {
            if (enemy->state == ENEMY_DEAD) {
                continue;
            }
            model->setPosition(enemy->pos, false);
            // The model's y axis is its up axis once the quarter turn about x stands it upright.
            model->rotation.y = enemy->spin;
            model->updateAABB();
            // A saucer wholly outside the view would draw no pixel: its draw is saved, as a
            // level object's is. It is placed all the same, so the model is left as the last
            // living one's, which the player's shots are tested against.
            if (MathUtil::boxOutsideView(viewProjection, enemy->pos - reach, enemy->pos + reach)) {
                continue;
            }
            model->render(camera, light);
        }
    }
    if (explosion != nullptr) {
        explosion->render(camera);
    }
    if (smoke != nullptr) {
        smoke->render(camera);
    }
}

void EnemyManager::mouseClick(const glm::vec3& origin, const glm::vec3& direction, LevelQuery* level) {
    if (model == nullptr) {
        return;
    }
    for (const auto& enemy : enemies) {
        if (enemy->state == ENEMY_DEAD || !isHit(*enemy, origin, direction, level)) {
            continue;
        }
        enemy->health -= kHitDamage;
        if (enemy->health <= 0.0f) {
            destroy(*enemy);
        }
        return;
    }
}

bool EnemyManager::isHit(const Enemy& enemy, const glm::vec3& origin, const glm::vec3& direction, LevelQuery* level) {
    // Turned as the last placing left it: the box follows the spin of the last living UFO placed.
    model->setPosition(enemy.pos, true);
    const glm::vec3 top = model->top;
    // The box test is a test along the whole line: a UFO behind the player would count.
    if (glm::dot(top - origin, direction) <= 0.0f) {
        return false;
    }
    const bool seen = level == nullptr || level->los(origin, top, nullptr);
    return seen && MathUtil::rayIntersectsBox(top, model->size, origin, direction);
}

void EnemyManager::destroy(Enemy& enemy) {
    send_game_sound(SOUND_EXPLOSION_1);
    enemy.state = ENEMY_DEAD;
    enemy.timer = 0.0f;
    const glm::vec3 top = model->top;
    if (explosion != nullptr) {
        explosion->activateOnce(top);
    }
    if (smoke != nullptr) {
        smoke->activateOnce(top);
    }
}
