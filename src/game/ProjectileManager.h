// The UFOs' shots on a planet: a fixed pool of projectiles that fly in straight lines, end in
// the terrain, at the player's eye or of old age, and are all drawn with one shared sphere,
// through a crowd that sends only what can reach a pixel.
// The pool is process-wide, so one manager is in use at a time: each planet visit makes its
// own, which starts with every record free.
#pragma once

#include <glm/glm.hpp>
#include <memory>

class Icosphere;
class LevelQuery;
class MatrixOwner;
class SphereCrowd;

struct Projectile {
    glm::vec3 position;
    glm::vec3 velocity;  // units per second
    bool active;         // the record holds a flying projectile
    float owner;         // who fired it; not read
    float age;           // seconds since it was fired
};

class ProjectileManager {
public:
    static constexpr int kPoolSize = 20;

    explicit ProjectileManager(LevelQuery* level);
    ~ProjectileManager();
    ProjectileManager(const ProjectileManager&) = delete;
    ProjectileManager& operator=(const ProjectileManager&) = delete;

    bool setup();
    // Takes the lowest free record; with every record flying the shot is dropped.
    void add(const glm::vec3& position, glm::vec3 direction, float speed, int owner);
    // One step of every flying projectile; eye is the camera position.
    void update(float dt, const glm::vec3& eye);
    void render(MatrixOwner* camera);

    // Record index of the pool; null when out of range.
    const Projectile* getProjectile(int index) const;
    int getActiveCount() const;
    // Triangles of the shared sphere that the last render sent, over every projectile.
    unsigned int getSentTriangleCount() const;

private:
    Icosphere* sphere = nullptr;
    LevelQuery* level;
    std::unique_ptr<SphereCrowd> crowd;  // draws the sphere at every projectile
};
