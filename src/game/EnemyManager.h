// The ten UFOs of a planet: they appear on a ring around the level's artefact, fly and hover
// in turns above the ground, stop to fire at a player who comes near, and fall to five of
// the player's hits with an explosion and smoke, coming back elsewhere a little later. The
// game object keeps one manager for the whole run; each planet visit resets and refills it.
// One model and two particle systems serve every UFO: each is re-placed before it is drawn
// or tested.
#pragma once

#include <glm/glm.hpp>
#include <memory>
#include <vector>

class Level;
class LevelQuery;
class MatrixOwner;
class Model;
class ParticleSystem;
class ProjectileManager;

// The values of Enemy::state.
enum enemy_state : int {
    ENEMY_DEAD = 0,
    ENEMY_FLYING = 1,
    ENEMY_HOVERING = 2,
    ENEMY_ATTACKING = 3,
};

// One UFO.
struct Enemy {
    glm::vec3 pos = glm::vec3(0.0f);  // z is 0 at spawn and about 22 once it has moved
    glm::vec3 dir = glm::vec3(0.0f);  // flying direction; only x and y move the UFO
    float spin = 0.0f;                // radians about the UFO's vertical axis; kept across respawns
    float phase = 0.0f;               // bobbing phase, radians
    int state = ENEMY_DEAD;           // an enemy_state
    float timer = 0.0f;               // seconds in the current state
    float duration = 0.0f;            // seconds of the current spell; also the flying speed
    float health = 0.0f;              // 50 at spawn, 10 less per hit
};

class EnemyManager {
public:
    EnemyManager();
    ~EnemyManager();
    EnemyManager(const EnemyManager&) = delete;
    EnemyManager& operator=(const EnemyManager&) = delete;

    // The model and both particle systems; no line of its own on failure.
    bool setup();
    void reset();
    void addEnemies();
    void initializeEnemy(Enemy* enemy);
    bool tooClose(const glm::vec3& point);
    glm::vec3 getRandomPos();
    glm::vec3 getRandomDir(Enemy* enemy);
    // eye is the camera position; level is not used.
    void update(float dt, const glm::vec3& eye, LevelQuery* level, bool playerDead);
    void render(MatrixOwner* camera, const glm::vec3& light);
    // The player's shot from origin along direction: damages at most one UFO.
    void mouseClick(const glm::vec3& origin, const glm::vec3& direction, LevelQuery* level);

    const std::vector<std::unique_ptr<Enemy>>& getEnemies() const { return enemies; }
    ParticleSystem* getExplosion() const { return explosion.get(); }

    // Written by the planet view for each visit: the level (not used here), the point the
    // UFOs gather around (the artefact) and the visit's projectiles (not owned).
    Level* level = nullptr;
    glm::vec3 centre = glm::vec3(0.0f);
    ProjectileManager* projectileManager = nullptr;

private:
    void updateEnemy(Enemy& enemy, float dt, const glm::vec3& eye, bool playerDead);
    void fly(Enemy& enemy, float dt, const glm::vec3& eye, bool playerDead);
    void hover(Enemy& enemy);
    void attack(Enemy& enemy, const glm::vec3& eye, bool playerDead);
    bool isHit(const Enemy& enemy, const glm::vec3& origin, const glm::vec3& direction, LevelQuery* level);
    void destroy(Enemy& enemy);

    std::vector<std::unique_ptr<Enemy>> enemies;
    std::unique_ptr<Model> model;
    // How far from its position a saucer's vertices can lie, whichever way it is turned.
    float modelReach = 0.0f;
    std::unique_ptr<ParticleSystem> explosion;
    std::unique_ptr<ParticleSystem> smoke;
};
