#include <gtest/gtest.h>

#include <cstdlib>

#include "game/EnemyManager.h"
#include "game/ProjectileManager.h"
#include "sound/GameSound.h"
#include "support/PlanetFakes.h"
#include "support/ScriptedRand.h"

namespace {

using Log = testing_support::MessageLog::vector;
constexpr float kStep = 1.0f / 64.0f;  // a power of two: ages and timers add up exactly

struct Planet : ::testing::Test {
    testing_support::FakeTerrain ground;
    testing_support::MessageLog log;
};

}  // namespace

TEST_F(Planet, AShotEndsInTheTerrainAtTheEyeOrOfOldAgeAndTheMoveComesLast) {
    // From, direction, where it ends, speed, the step it ends in, whether it hits the player.
    const std::tuple<glm::vec3, glm::vec3, glm::vec3, float, int, bool> cases[] = {
        {{40, 0, 2}, {-1, 0, 0}, {0.9375f, 0, 2}, 10.0f, 251, true},      // within 1 after 250 moves (3.9 s)
        {{0, 5, 2}, {0, 1, 0}, {0, 55, 2}, 10.0f, 321, false},            // a miss: older than 5 s in step 321
        {{5, 5, -0.5f}, {0, 0, 1}, {5, 5, -0.5f}, 10.0f, 1, false},       // fired inside the terrain
        {{0, -1.5f, 2}, {0, 1, 0}, {0, -0.9921875f, 2}, 0.5f, 66, true},  // crawling through the eye: one life
    };
    const Log hit{{MESSAGE_PLAY_GAME_SOUND, SOUND_DAMAGE_TAKEN_1}, {MESSAGE_PLAYER_HIT, -1}};  // sound first
    for (const auto& [from, direction, end, speed, lastStep, hits] : cases) {
        log.clear();
        ProjectileManager pool(&ground);
        pool.add(from, direction, speed, 0);
        int steps = 0;
        for (; pool.getProjectile(0)->active && steps < 1000; ++steps) {
            pool.update(kStep, glm::vec3(0.0f, 0.0f, 2.0f));
        }
        EXPECT_TRUE(steps == lastStep && glm::length(pool.getProjectile(0)->position - end) < 1e-4f) << lastStep;
        EXPECT_EQ(log, hits ? hit : Log{}) << lastStep;
    }
}

TEST_F(Planet, AFullPoolDropsTheShotAndTheFreedRecordIsTakenNext) {
    ProjectileManager pool(&ground);
    for (int i = 0; i <= ProjectileManager::kPoolSize; ++i) {  // the eighth starts in the ground
        pool.add(glm::vec3(static_cast<float>(i), 0.0f, i == 7 ? -1.0f : 10.0f), {0, 1, 0}, 1.0f, 0);
    }
    EXPECT_EQ(pool.getProjectile(ProjectileManager::kPoolSize - 1)->position.x, 19.0f);
    pool.update(kStep, glm::vec3(500.0f));
    pool.add(glm::vec3(42.0f, 0.0f, 10.0f), {0, 1, 0}, 1.0f, 0);
    EXPECT_EQ(pool.getProjectile(7)->position.x, 42.0f);
    EXPECT_EQ(pool.getActiveCount(), ProjectileManager::kPoolSize);
}

TEST(EnemySpawn, TenUfosOnTheRingAtLeast15ApartAndAStuckGeneratorStillEnds) {
    for (unsigned seed = 1; seed <= 30; ++seed) {
        srand(seed);
        EnemyManager manager;
        manager.centre = glm::vec3(120.0f, -40.0f, 9.0f);
        manager.addEnemies();
        const auto& ufos = manager.getEnemies();
        for (size_t i = 0; i < ufos.size(); ++i) {
            const float radius = glm::length(glm::vec2(ufos[i]->pos - manager.centre));
            EXPECT_TRUE(radius > 29.999f && radius < 100.0f && ufos[i]->pos.z == 0.0f) << seed << ": " << radius;
            for (size_t j = 0; j < i; ++j) {
                EXPECT_GE(glm::length(ufos[i]->pos - ufos[j]->pos), 15.0f) << seed << ": " << i << ", " << j;
            }
        }
    }
    testing_support::ScriptedRand zeros({});  // the same spot, drawn for ever
    EnemyManager manager;
    manager.addEnemies();
    EXPECT_EQ(manager.getEnemies().size(), 10u);
    // Every UFO stands on that spot: a draw just inside 15 of it is drawn again, one just outside kept.
    for (const auto& [away, tooClose] : {std::pair{14.99f, true}, {15.01f, false}}) {
        const glm::vec3 spot = manager.getEnemies()[0]->pos + glm::vec3(0.6f, 0.8f, 0.0f) * away;
        EXPECT_EQ(manager.tooClose(spot), tooClose) << away;
    }
}

TEST_F(Planet, AUfoAttacksTheLivingPlayerOnceASecondDiesAndComesBack) {
    srand(11);
    ProjectileManager projectiles(&ground);
    EnemyManager manager;
    manager.projectileManager = &projectiles;
    manager.addEnemies();
    for (const auto& enemy : manager.getEnemies()) {  // the first alone, still, the others dead for good
        *enemy = Enemy{glm::vec3(0.0f, 0.0f, 22.0f), glm::vec3(0.0f), 0.0f, 0.0f, ENEMY_DEAD, 0.0f, 1e9f, 50.0f};
    }
    Enemy& ufo = *manager.getEnemies()[0];
    ufo.state = ENEMY_FLYING;
    const glm::vec3 eye(0.0f, 30.0f, 2.0f);
    std::vector<int> laserSteps;  // attacking from step 1, each shot after more than 1 s: 65 steps
    for (int step = 1; step <= 350; ++step) {
        log.clear();
        manager.update(kStep, eye, &ground, step > 200);
        if (log == Log{{MESSAGE_PLAY_GAME_SOUND, SOUND_LASER}}) {
            laserSteps.push_back(step);
        }
        EXPECT_EQ(ufo.state, step > 200 ? ENEMY_FLYING : ENEMY_ATTACKING) << step;
    }
    EXPECT_EQ(laserSteps, (std::vector<int>{66, 131, 196}));
    const Projectile& shot = *projectiles.getProjectile(0);
    EXPECT_NEAR(shot.position.z, 23.0f + 0.5f * std::sin(2.0f * 66 * kStep), 1e-4f);
    EXPECT_LT(glm::length(glm::normalize(eye - shot.position) * 10.0f - shot.velocity), 1e-4f);

    ufo = Enemy{ufo.pos, ufo.dir, ufo.spin, ufo.phase, ENEMY_DEAD, 0.0f, 2.0f, 0.0f};  // as shot down
    for (int step = 1; step <= 129; ++step) {
        EXPECT_EQ(ufo.state, ENEMY_DEAD);
        manager.update(kStep, eye, &ground, true);
    }
    const float radius = glm::length(glm::vec2(ufo.pos));
    EXPECT_TRUE(ufo.state == ENEMY_FLYING && ufo.health == 50.0f && ufo.pos.z == 0.0f && ufo.spin > 0.0f);
    EXPECT_TRUE(radius > 29.999f && radius < 100.0f) << radius;
}

// A UFO fights a living player nearer than 40 and breaks off beyond; a leg that starts beyond
// 70 of the centre heads back to it, one within takes the drawn bearing (0 here: along x).
TEST_F(Planet, AUfoFightsWithin40OfTheEyeAndTurnsHomeFromBeyond70OfTheCentre) {
    testing_support::ScriptedRand zeros({});
    EnemyManager manager;
    manager.centre = glm::vec3(-20.0f, 5.0f, 0.0f);
    manager.addEnemies();
    Enemy& ufo = *manager.getEnemies()[0];
    // The state before, the eye's distance, the state after one still step.
    const std::tuple<int, float, int> fights[] = {
        {ENEMY_FLYING, 39.99f, ENEMY_ATTACKING},
        {ENEMY_FLYING, 40.01f, ENEMY_FLYING},
        {ENEMY_ATTACKING, 39.99f, ENEMY_ATTACKING},
        {ENEMY_ATTACKING, 40.01f, ENEMY_FLYING},
    };
    for (const auto& [before, away, after] : fights) {
        ufo = Enemy{glm::vec3(0.0f, 0.0f, 22.0f), glm::vec3(1, 0, 0), 0.0f, 0.0f, before, 0.0f, 1e9f, 50.0f};
        manager.update(0.0f, glm::vec3(0.0f, 0.0f, 22.0f) + glm::vec3(0.8f, 0.0f, -0.6f) * away, &ground, false);
        EXPECT_EQ(ufo.state, after) << before << " at " << away;
    }
    const glm::vec3 home = glm::normalize(glm::vec3(-70.01f, 0.0f, -22.0f));
    for (const auto& [out, heading] : {std::pair{69.99f, glm::vec3(1, 0, 0)}, {70.01f, home}}) {
        ufo.pos = manager.centre + glm::vec3(out, 0.0f, 22.0f);
        EXPECT_LT(glm::length(manager.getRandomDir(&ufo) - heading), 1e-4f) << out;
    }
}
