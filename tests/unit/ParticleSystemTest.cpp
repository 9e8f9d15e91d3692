#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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
        {kEntry, "", "] Failed to parse particle system JSON\n"},
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

// Each of the 32 keys lands in its own field: key i + 1 carries i + 1.5.
TEST(ParticleSystem, EveryKeyFillsItsField) {
    std::vector<std::string> keys = {"max_particles", "flow"};
    for (const char* colour : {"color_start_", "color_end_"}) {
        for (const char* channel : {"r", "g", "b"}) {
            keys.push_back(std::string(colour) + channel);
        }
    }
    keys.insert(keys.end(),
                {"size_start", "size_end", "lifetime_min", "liftime_max", "spawn_delay_min", "spawn_delay_max"});
    for (const char* range : {"static_velocity_min_", "static_velocity_max_", "static_position_min_",
                              "static_position_max_", "gravity_min_", "gravity_max_"}) {
        for (const char* axis : {"x", "y", "z"}) {
            keys.push_back(std::string(range) + axis);
        }
    }
    std::string json = "{";
    for (size_t i = 0; i < keys.size(); ++i) {
        json += std::string(i == 0 ? "" : ",") + "\"" + keys[i] + "\": " + std::to_string(i + 1) + ".5";
    }
    ParticlePackage package(json + "}");
    ASSERT_TRUE(package.built);
    ParticleSystem s(kEntry, true);
    ASSERT_TRUE(s.readJson());
    const glm::vec3 vectors[] = {s.getStartColour(),
                                 s.getEndColour(),
                                 glm::vec3(s.getStartSize(), s.getEndSize(), s.getLifetimeMin()),
                                 glm::vec3(s.getLifetimeMax(), s.getSpawnDelayMin(), s.getSpawnDelayMax()),
                                 s.getStaticVelocityMin(),
                                 s.getStaticVelocityMax(),
                                 s.getStaticPositionMin(),
                                 s.getStaticPositionMax(),
                                 s.getGravityMin(),
                                 s.getGravityMax()};
    std::vector<float> read = {static_cast<float>(s.getMaxParticles()), s.getFlow()};
    for (const glm::vec3& v : vectors) {
        read.insert(read.end(), {v.x, v.y, v.z});
    }
    ASSERT_EQ(read.size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        // max_particles is truncated toward zero.
        EXPECT_EQ(read[i], i == 0 ? 1.0f : static_cast<float>(i + 1) + 0.5f) << keys[i];
    }
}

// A key counts at any depth and the last one read wins; what is not a number reads as 0, a
// number beyond float as the largest float; the lifetime's upper key is spelt "liftime_max".
TEST(ParticleSystem, KeysCountAtAnyDepthAndTheLastOneWins) {
    const std::tuple<const char*, float, int> cases[] = {
        {R"({"outer": {"inner": {"flow": 4}}})", 4, 0},
        {R"({"list": [1, {"flow": 5}]})", 5, 0},
        {R"({"flow": 1, "later": {"flow": 2}})", 2, 0},
        {R"({"earlier": {"flow": 2}, "flow": 1})", 1, 0},
        {R"({"flow": 6, "flow": "fast"})", 0, 0},
        {R"({"flow": 6, "flow": true})", 0, 0},
        {R"({"flow": {"max_particles": 7}})", 0, 7},
        {R"({"flow": 2, "max_particles": -2.5})", 2, -2},
        {R"({"flow": 1e300})", FLT_MAX, 0},
        {R"({"lifetime_max": 9})", 0, 0},
        {R"([])", 0, 0},
    };
    for (const auto& [json, flow, maxParticles] : cases) {
        ParticlePackage package(json);
        ASSERT_TRUE(package.built);
        ParticleSystem system(kEntry, true);
        ASSERT_TRUE(system.readJson()) << json;
        EXPECT_TRUE(system.getFlow() == flow && system.getMaxParticles() == maxParticles &&
                    system.getLifetimeMax() == 0.0f)
            << json;
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
        {R"({"max_particles": 200, "flow": 10, "lifetime_min": 5, "liftime_max": 6,
             "static_position_min_x": -1, "static_position_max_x": 1,
             "static_position_min_y": 3, "static_position_max_y": 4,
             "static_velocity_min_x": -2, "static_velocity_max_x": -1,
             "static_velocity_min_z": 1, "static_velocity_max_z": 2})",
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
        // Place and velocity are drawn from their own boxes, from the lower bound up; equal bounds give 0.
        const std::pair<glm::vec3, std::pair<glm::vec3, glm::vec3>> drawn[] = {
            {first.startPosition, {system.getStaticPositionMin(), system.getStaticPositionMax()}},
            {first.velocity, {system.getStaticVelocityMin(), system.getStaticVelocityMax()}}};
        for (const auto& [value, bounds] : drawn) {
            for (int axis = 0; axis < 3; ++axis) {
                const float low = bounds.first[axis], high = bounds.second[axis];
                EXPECT_TRUE(low == high ? value[axis] == 0.0f : value[axis] >= low && value[axis] < high)
                    << json << ", axis " << axis << ": " << value[axis];
            }
        }
    }
}

class FixedController : public ParticleSystemController {
public:
    bool active = true;
    bool getSpawnPosition(glm::vec3& out) override { return (out = glm::vec3(7, 8, 9), true); }
    bool getVelocity(glm::vec3& out) override { return (out = glm::vec3(1, 2, 10.1f), true); }
    bool getFlowRate(float& out) override { return (out = 1000.0f, true); }
    bool getAngle(float&) override { return false; }
    bool getActive(bool& out) override { return (out = active, true); }
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
    // The controller, not the system's own flag (off since the burst ended), decides whether it runs.
    system.update(0.25f);
    EXPECT_EQ(system.getParticles()[0].age, 0.25f);
    controller.active = false;
    system.update(0.25f);
    EXPECT_FALSE(system.isActive());
    EXPECT_EQ(system.getParticles()[0].age, 0.25f);
}

TEST(ParticleSystem, BurstRunsOnceFromThePointAndSwitchesItselfOff) {
    ParticlePackage package(R"({"max_particles": 5, "flow": 100, "lifetime_min": 0.5, "liftime_max": 1.5})");
    ASSERT_TRUE(package.built);
    ParticleSystem system(kEntry, false);
    srand(7);
    ASSERT_TRUE(system.readJson() && system.initParticles());
    system.update(0.25f);
    EXPECT_EQ(aliveCount(system), 0) << "made inactive: nothing spawns before the burst";
    system.activateOnce(glm::vec3(3, 4, 5));
    system.update(0.25f);
    EXPECT_EQ(aliveCount(system), 5);
    EXPECT_EQ(system.getParticles()[4].startPosition, glm::vec3(3, 4, 5));
    // The flow respawns nothing of a running burst; it ends in the first step with every
    // particle dead, the sixth at the latest (lifetimes lie in [0.5, 1.5)).
    int steps = 0;
    for (int alive = 5; system.isActive() && steps < 100; ++steps) {
        system.update(0.25f);
        const int now = aliveCount(system);
        EXPECT_TRUE(now <= alive && (now == 0) == !system.isActive()) << "step " << steps + 1 << ": " << now;
        alive = now;
    }
    EXPECT_LE(steps, 6);
    EXPECT_FALSE(system.isOneShotRunning());
}

}  // namespace
