#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <glm/glm.hpp>
#include <string>
#include <utility>
#include <vector>

#include "render/ParticleSystem.h"
#include "render/ParticleSystemController.h"
#include "support/TestSupport.h"

namespace {

const char* const kEntry = "particlesystems/test.json";

// A package holding one particle description, the working directory while it lives.
struct ParticlePackage {
    explicit ParticlePackage(const std::string& json)
        : built(testing_support::buildPackage(dir.path(), {{kEntry, json}})) {}
    testing_support::TempDir dir;
    bool built;
    testing_support::ScopedWorkingDirectory inside{dir.path()};
};

class FixedController : public ParticleSystemController {
public:
    glm::vec3 spawnPosition{7, 8, 9}, velocity{1, 2, 10.1f};
    bool active = true;
    bool getSpawnPosition(glm::vec3& out) override { return (out = spawnPosition, true); }
    bool getVelocity(glm::vec3& out) override { return (out = velocity, true); }
    bool getFlowRate(float& out) override { return (out = 1000.0f, true); }
    bool getAngle(float&) override { return false; }
    bool getActive(bool& out) override { return (out = active, true); }
};

int aliveCount(const ParticleSystem& system) {
    int alive = 0;
    for (int i = 0; i < system.getMaxParticles(); ++i) {
        alive += system.getParticles()[i].age <= system.getParticles()[i].lifetime ? 1 : 0;
    }
    return alive;
}

TEST(ParticleSystem, BadDescriptionsFailWithOneLineAndStillStepSafely) {
    const char* const parseLine = "] Failed to parse particle system JSON\n";
    const struct {
        const char* entry;
        const char* json;
        bool jsonRead;
        const char* line;
    } cases[] = {
        {"particlesystems/absent.json", "{}", false, parseLine},
        {kEntry, "{\"flow\": ", false, parseLine},
        {kEntry, "", false, parseLine},
        {kEntry, R"({"max_particles": -5})", true, "] Failed to allocate memory for particles (-5)\n"},
        {kEntry, R"({"max_particles": 1e12})", true, "] Failed to allocate memory for particles (2147483647)\n"},
    };
    for (const auto& c : cases) {
        ParticlePackage package(c.json);
        ASSERT_TRUE(package.built);
        ParticleSystem system(c.entry, true);
        testing_support::CapturedStdout output;
        EXPECT_EQ(system.readJson(), c.jsonRead) << c.json;
        EXPECT_FALSE(c.jsonRead && system.initParticles()) << c.json;
        const std::string text = output.finish();
        EXPECT_NE(text.find(c.line), std::string::npos) << c.json << ": " << text;
        system.update(0.1f);
    }
}

TEST(ParticleSystem, SpawnsFollowTheFlowTimerAtMostOnePerStep) {
    const struct {
        const char* what;
        const char* json;
        std::vector<std::pair<float, int>> steps;  // step length, particles alive after it
        float lifetimeLow, lifetimeHigh;
    } cases[] = {
        // The timer must pass 0.1 s, in the fourth step, and restarts from 0 at each spawn.
        {"first spawn", R"({"max_particles": 200, "flow": 10, "lifetime_min": 5, "liftime_max": 6})",
         {{0.03f, 0}, {0.03f, 0}, {0.03f, 0}, {0.03f, 1}, {0.03f, 1}, {0.03f, 1}, {0.03f, 1}, {0.03f, 2}}, 5, 6},
        // A whole second still owes a single spawn.
        {"high flow", R"({"max_particles": 500, "flow": 100, "lifetime_min": 5, "liftime_max": 6})",
         {{0.02f, 1}, {0.02f, 2}, {0.02f, 3}, {1.0f, 4}}, 5, 6},
        // Equal bounds give 0: the particle dies in the next step and its slot is taken again.
        {"equal bounds", R"({"max_particles": 4, "flow": 1000, "lifetime_min": 2, "liftime_max": 2,
                            "spawn_delay_min": 0.5, "spawn_delay_max": 0.5})",
         {{0.1f, 1}, {0.1f, 1}}, 0, 0},
    };
    for (const auto& c : cases) {
        ParticlePackage package(c.json);
        ASSERT_TRUE(package.built);
        ParticleSystem system(kEntry, true);
        ASSERT_TRUE(system.readJson() && system.initParticles()) << c.what;
        srand(7);
        for (size_t step = 0; step < c.steps.size(); ++step) {
            system.update(c.steps[step].first);
            EXPECT_EQ(aliveCount(system), c.steps[step].second) << c.what << ", step " << step + 1;
        }
        const Particle& first = system.getParticles()[0];
        EXPECT_TRUE(first.lifetime == c.lifetimeLow || (first.lifetime > c.lifetimeLow && first.lifetime < c.lifetimeHigh))
            << c.what << ": " << first.lifetime;
        EXPECT_EQ(first.spawnDelay, 0.0f) << c.what;
    }
}

TEST(ParticleSystem, OwedSpawnsAreRepaidTogetherFromTheController) {
    ParticlePackage package(R"({"max_particles": 3, "flow": 5, "lifetime_min": 1, "liftime_max": 1.002})");
    ASSERT_TRUE(package.built);
    FixedController controller;
    ParticleSystem system(kEntry, false);
    system.setParticleSystemController(&controller);
    ASSERT_TRUE(system.readJson() && system.initParticles());
    srand(7);
    // A burst takes every slot at once; the flow keeps owing one spawn a step meanwhile.
    system.activateOnce(glm::vec3(0.0f));
    for (int step = 0; step < 3; ++step) {
        system.update(0.5f);
    }
    EXPECT_EQ(aliveCount(system), 3);
    EXPECT_EQ(system.getPendingSpawns(), 3);
    system.update(0.5f);  // all three die in this step
    EXPECT_EQ(aliveCount(system), 3);
    EXPECT_EQ(system.getPendingSpawns(), 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(system.getParticles()[i].startPosition, glm::vec3(7, 8, 9));
        // The controller answers upward-positive; the stored vertical velocity is negated.
        EXPECT_EQ(system.getParticles()[i].velocity, glm::vec3(1, 2, -10.1f));
    }
    // The controller, not the system's own flag, decides whether it runs.
    controller.active = false;
    system.update(0.5f);
    EXPECT_FALSE(system.isActive());
}

TEST(ParticleSystem, BurstRunsOnceFromThePointAndSwitchesItselfOff) {
    ParticlePackage package(R"({"max_particles": 5, "flow": 100, "lifetime_min": 1, "liftime_max": 1.2})");
    ASSERT_TRUE(package.built);
    ParticleSystem system(kEntry, false);
    ASSERT_TRUE(system.readJson() && system.initParticles());
    srand(7);
    system.update(0.25f);
    EXPECT_EQ(aliveCount(system), 0) << "made inactive: nothing spawns before the burst";
    system.activateOnce(glm::vec3(3, 4, 5));
    system.update(0.25f);
    EXPECT_EQ(aliveCount(system), 5);
    EXPECT_EQ(system.getParticles()[4].startPosition, glm::vec3(3, 4, 5));
    int steps = 0;
    while (system.isActive() && steps < 100) {
        system.update(0.25f);
        ++steps;
    }
    // The flow respawns nothing of a running burst; it ends in the first step with every
    // particle dead (lifetimes lie in [1, 1.2)).
    EXPECT_EQ(steps, 5);
    EXPECT_FALSE(system.isOneShotRunning());
}

TEST(ParticleSystem, DepthOrderIsConsistentForQsort) {
    const float nan = std::nanf("");
    const struct {
        float first, second;
        int order;
    } cases[] = {{1, 2, 1}, {2, 1, -1}, {3, 3, 0}, {nan, 1, 1}, {1, nan, -1}, {nan, nan, 0}};
    for (const auto& c : cases) {
        Particle a{};
        Particle b{};
        a.sortZ = c.first;
        b.sortZ = c.second;
        EXPECT_EQ(compareParticleZ(&a, &b), c.order) << c.first << " vs " << c.second;
    }
}

}  // namespace
