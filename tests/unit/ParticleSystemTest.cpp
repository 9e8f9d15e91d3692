#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "render/ParticleSystem.h"
#include "render/ParticleSystemController.h"
#include "support/TestSupport.h"

namespace {

const char* const kEntry = "particlesystems/test.json";

// A package holding one particle description, the working directory while it lives.
struct ParticlePackage : testing_support::PackageDir {
    explicit ParticlePackage(const std::string& json) : PackageDir({{kEntry, json}}) {}
};

int aliveCount(const ParticleSystem& system) {
    const Particle* all = system.getParticles();
    return static_cast<int>(
        std::count_if(all, all + system.getMaxParticles(), [](const Particle& p) { return p.age <= p.lifetime; }));
}

TEST(ParticleSystem, BadDescriptionsFailWithOneLineAndStillStepSafely) {
    const char* const cases[][3] = {
        {"particlesystems/absent.json", "{}", "] Failed to parse particle system JSON\n"},
        {kEntry, "{\"flow\": ", "] Failed to parse particle system JSON\n"},
        {kEntry, R"({"max_particles": -5})", "] Failed to allocate memory for particles (-5)\n"},
        {kEntry, R"({"max_particles": 1e12})", "] Failed to allocate memory for particles (2147483647)\n"},
    };
    for (const auto& c : cases) {
        ParticlePackage package(c[1]);
        ASSERT_TRUE(package.built);
        ParticleSystem system(c[0], true);
        testing_support::CapturedStdout output;
        EXPECT_FALSE(system.readJson() && system.initParticles()) << c[1];
        EXPECT_NE(output.finish().find(c[2]), std::string::npos) << c[1];
        system.update(0.1f);
    }
}

TEST(ParticleSystem, HugeAndInfiniteBoundsDrawWithinTheirRange) {
    // 1e999 parses as infinite and clamps to the largest float; the spans overflow to infinity.
    ParticlePackage package(R"({"max_particles": 8, "flow": -1, "lifetime_min": 1, "liftime_max": 1e999,
        "gravity_min_z": -1e999, "gravity_max_z": 1e999, "gravity_min_x": 5, "gravity_max_x": 4e9,
        "static_velocity_min_y": -3e38, "static_velocity_max_y": 3e38, "static_position_max_x": 1e30})");
    ASSERT_TRUE(package.built);
    ParticleSystem system(kEntry, true);
    srand(7);
    ASSERT_TRUE(system.readJson() && system.initParticles());
    for (int step = 0; step < 3; ++step) {
        system.update(0.5f);
    }
    // At most 2^32 steps of a thousandth above the lower bound.
    const glm::vec3 gravity = system.getGravity();
    EXPECT_TRUE(gravity.x >= 5.0f && gravity.x < 5.0f + 4294967.296f) << gravity.x;
    EXPECT_EQ(gravity.z, -FLT_MAX);  // the steps vanish beside the bound
    for (int i = 0; i < 3; ++i) {
        const Particle& particle = system.getParticles()[i];
        EXPECT_TRUE(std::isfinite(particle.velocity.y) && std::isfinite(particle.lifetime)) << i;
        EXPECT_TRUE(particle.startPosition.x >= 0.0f && particle.startPosition.x < 4294967.296f) << i;
    }
}

TEST(ParticleSystem, SpawnsFollowTheFlowTimerAtMostOnePerStep) {
    // The description, each step's length with the particles alive after it, the lowest lifetime drawn.
    const std::tuple<const char*, std::vector<std::pair<float, int>>, float> cases[] = {
        // The timer must pass 0.1 s, in the fourth step, and restarts from 0 at each spawn.
        {R"({"max_particles": 200, "flow": 10, "lifetime_min": 5, "liftime_max": 6})",
         {{0.03f, 0}, {0.03f, 0}, {0.03f, 0}, {0.03f, 1}, {0.03f, 1}, {0.03f, 1}, {0.03f, 1}, {0.03f, 2}},
         5},
        // At high flow one a step; a whole second still owes a single spawn.
        {R"({"max_particles": 500, "flow": 100, "lifetime_min": 5, "liftime_max": 6})",
         {{0.02f, 1}, {0.02f, 2}, {0.02f, 3}, {1.0f, 4}},
         5},
        // Equal bounds give 0: the particle dies in the next step and its slot is taken again.
        {R"({"max_particles": 4, "flow": 1000, "lifetime_min": 2, "liftime_max": 2,
             "spawn_delay_min": 0.5, "spawn_delay_max": 0.5})",
         {{0.1f, 1}, {0.1f, 1}},
         0},
    };
    for (const auto& [json, steps, lifetime] : cases) {
        ParticlePackage package(json);
        ASSERT_TRUE(package.built);
        ParticleSystem system(kEntry, true);
        srand(7);
        ASSERT_TRUE(system.readJson() && system.initParticles()) << json;
        for (size_t step = 0; step < steps.size(); ++step) {
            system.update(steps[step].first);
            EXPECT_EQ(aliveCount(system), steps[step].second) << json << ", step " << step + 1;
        }
        const Particle& first = system.getParticles()[0];
        EXPECT_TRUE(first.lifetime >= lifetime && first.lifetime < lifetime + 1 && first.spawnDelay == 0.0f) << json;
    }
}

class FixedController : public ParticleSystemController {
public:
    bool getSpawnPosition(glm::vec3& out) override { return (out = glm::vec3(7, 8, 9), true); }
    bool getVelocity(glm::vec3& out) override { return (out = glm::vec3(1, 2, 10.1f), true); }
    bool getFlowRate(float& out) override { return (out = 1000.0f, true); }
    bool getAngle(float&) override { return false; }
    bool getActive(bool& out) override { return (out = true, true); }
};

TEST(ParticleSystem, BurstEndsWhenAllDieAndOwedSpawnsComeTogetherFromTheController) {
    ParticlePackage package(R"({"max_particles": 3, "flow": 5, "lifetime_min": 1, "liftime_max": 1.002})");
    ASSERT_TRUE(package.built);
    FixedController controller;
    ParticleSystem system(kEntry, false);
    system.setParticleSystemController(&controller);
    srand(7);
    ASSERT_TRUE(system.readJson() && system.initParticles());
    // A burst takes every slot at once; the flow keeps owing one spawn a step meanwhile.
    system.activateOnce(glm::vec3(0.0f));
    for (int step = 0; step < 3; ++step) {
        system.update(0.5f);
    }
    EXPECT_TRUE(aliveCount(system) == 3 && system.getPendingSpawns() == 3 && system.isOneShotRunning());
    system.update(0.5f);  // all three die in this step: the burst ends, the owed spawns come at once
    EXPECT_FALSE(system.isOneShotRunning());
    EXPECT_EQ(aliveCount(system), 3);
    EXPECT_EQ(system.getPendingSpawns(), 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(system.getParticles()[i].startPosition, glm::vec3(7, 8, 9));
        // The controller answers upward-positive; the stored vertical velocity is negated.
        EXPECT_EQ(system.getParticles()[i].velocity, glm::vec3(1, 2, -10.1f));
    }
}

}  // namespace
