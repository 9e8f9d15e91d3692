// One frame of the planet's enemy logic, without drawing: the ten UFOs and a full pool of
// twenty projectiles stepped over flat ground, as the planet view steps them after the camera
// and the level; with argument 1 the player also shoots in that frame. The enemy manager is
// set up from the run folder's package (its model and particle systems need an OpenGL
// context), so run under xvfb-run.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "BenchWindow.h"
#include "game/EnemyManager.h"
#include "game/ProjectileManager.h"
#include "render/LevelQuery.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

// Flat ground at 0, with the line of sight walked one height lookup per unit as the level
// walks it.
class FlatGround : public LevelQuery {
public:
    float getElevation(const glm::vec3& p) override { return getElevation(p.x, p.y); }
    float getElevation(float, float) override { return 0.0f; }
    glm::vec3 getNormal(const glm::vec3&) override { return glm::vec3(0.0f, 0.0f, -1.0f); }
    glm::vec3 getNormal(float, float) override { return glm::vec3(0.0f, 0.0f, -1.0f); }
    bool los(const glm::vec3& from, const glm::vec3& to, glm::vec3* hit) override {
        const glm::vec3 direction = glm::normalize(to - from);
        for (float t = 0.0f;; t += 1.0f) {
            const glm::vec3 point = from + t * direction;
            const float distance = glm::length(to - point);
            if (distance < 1.0f) {
                return true;
            }
            if (distance > 400.0f) {
                return false;
            }
            if (getElevation(point.x, point.y) > point.z) {
                if (hit != nullptr) {
                    *hit = point;
                }
                return false;
            }
        }
    }
    bool isCollision(const glm::vec3& p) override { return getElevation(p) > p.z; }
};

void BM_EnemiesAndProjectilesFrame(benchmark::State& state) {
    const bool shooting = state.range(0) != 0;
    FlatGround ground;
    EnemyManager enemies;
    if (!enemies.setup()) {
        state.SkipWithError("enemy manager did not set up");
        return;
    }
    ProjectileManager projectiles(&ground);
    enemies.projectileManager = &projectiles;
    srand(3);
    enemies.addEnemies();
    const glm::vec3 eye(0.0f, 0.0f, 2.0f);
    const glm::vec3 aim(0.3f, 1.0f, 0.4f);
    auto frame = [&]() {
        enemies.update(kFrame, eye, &ground, false);
        projectiles.update(kFrame, eye);
        if (shooting) {
            enemies.mouseClick(eye, aim, &ground);
        }
        // Shots that pass the player keep the pool full between the UFOs' own.
        while (projectiles.getActiveCount() < ProjectileManager::kPoolSize) {
            projectiles.add(glm::vec3(-30.0f, 5.0f, 20.0f), glm::vec3(1.0f, 0.0f, 0.0f), 10.0f, 0);
        }
    };
    // Ten seconds of play first: the UFOs are up, and those near the player attack.
    for (int i = 0; i < 600; ++i) {
        frame();
    }
    for (auto _ : state) {
        frame();
    }
    int attacking = 0;
    for (const auto& enemy : enemies.getEnemies()) {
        attacking += enemy->state == ENEMY_ATTACKING ? 1 : 0;
    }
    state.counters["attacking"] = attacking;
}
BENCHMARK(BM_EnemiesAndProjectilesFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return runInRunFolderWithWindow(argc, argv, "enemies bench");
}
