#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "render/ParticleSystem.h"
#include "render/ParticleSystemController.h"
#include "support/TestSupport.h"

using testing_support::CapturedStdout;

namespace {

const char* const kEntry = "particlesystems/test.json";

// A package holding one particle description, the working directory while it lives.
class ParticlePackage {
public:
    explicit ParticlePackage(const std::string& json) {
        built = testing_support::buildPackage(dir.path(), {{kEntry, json}});
    }
    bool ok() const { return built; }

private:
    testing_support::TempDir dir;
    bool built = false;
    testing_support::ScopedWorkingDirectory inside{dir.path()};
};

class FixedController : public ParticleSystemController {
public:
    glm::vec3 spawnPosition{0.0f}, velocity{0.0f};
    float flow = 0.0f;
    bool active = true;
    bool getSpawnPosition(glm::vec3& out) override { return (out = spawnPosition, true); }
    bool getVelocity(glm::vec3& out) override { return (out = velocity, true); }
    bool getFlowRate(float& out) override { return (out = flow, true); }
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

// Reads the description and makes the particles without an OpenGL context.
bool prepare(ParticleSystem& system) {
    return system.readJson() && system.initParticles();
}

// How many rand() values `action` takes, found by locating the next value in a fresh
// sequence from the same seed.
int randDraws(const std::function<void()>& action) {
    srand(12345);
    action();
    const int next = rand();
    srand(12345);
    int draws = 0;
    while (rand() != next && draws < 10000) {
        ++draws;
    }
    return draws;
}

TEST(ParticleSystemJson, EveryKeyFillsItsField) {
    // In the order of the fields read back below.
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
    ASSERT_EQ(keys.size(), 32u);
    std::string json = "{";
    for (size_t i = 0; i < keys.size(); ++i) {
        json += std::string(i == 0 ? "" : ",") + "\"" + keys[i] + "\": " + std::to_string(i + 1) + ".5";
    }
    ParticlePackage package(json + "}");
    ASSERT_TRUE(package.ok());
    ParticleSystem s(kEntry, true);
    ASSERT_TRUE(s.readJson());
    const float read[] = {static_cast<float>(s.getMaxParticles()),
                          s.getFlow(),
                          s.getStartColour().r,
                          s.getStartColour().g,
                          s.getStartColour().b,
                          s.getEndColour().r,
                          s.getEndColour().g,
                          s.getEndColour().b,
                          s.getStartSize(),
                          s.getEndSize(),
                          s.getLifetimeMin(),
                          s.getLifetimeMax(),
                          s.getSpawnDelayMin(),
                          s.getSpawnDelayMax(),
                          s.getStaticVelocityMin().x,
                          s.getStaticVelocityMin().y,
                          s.getStaticVelocityMin().z,
                          s.getStaticVelocityMax().x,
                          s.getStaticVelocityMax().y,
                          s.getStaticVelocityMax().z,
                          s.getStaticPositionMin().x,
                          s.getStaticPositionMin().y,
                          s.getStaticPositionMin().z,
                          s.getStaticPositionMax().x,
                          s.getStaticPositionMax().y,
                          s.getStaticPositionMax().z,
                          s.getGravityMin().x,
                          s.getGravityMin().y,
                          s.getGravityMin().z,
                          s.getGravityMax().x,
                          s.getGravityMax().y,
                          s.getGravityMax().z};
    for (size_t i = 0; i < keys.size(); ++i) {
        // max_particles is truncated toward zero.
        EXPECT_EQ(read[i], i == 0 ? 1.0f : static_cast<float>(i + 1) + 0.5f) << keys[i];
    }
}

TEST(ParticleSystemJson, KeysCountAtAnyDepthAndTheLastOneWins) {
    struct Case {
        const char* json;
        float flow;
        int maxParticles;
    };
    const Case cases[] = {
        {R"({"outer": {"inner": {"flow": 4}}})", 4, 0},
        {R"({"list": [1, {"flow": 5}]})", 5, 0},
        {R"({"flow": 1, "later": {"flow": 2}})", 2, 0},
        {R"({"earlier": {"flow": 2}, "flow": 1})", 1, 0},
        {R"({"flow": 6, "flow": "fast"})", 0, 0},
        {R"({"flow": 6, "flow": true})", 0, 0},
        {R"({"flow": {"max_particles": 7}})", 0, 7},
        {R"({"flow": 2, "max_particles": -2.5})", 2, -2},
        {R"({"flow": 1e300})", 3.4028235e38f, 0},
        {R"({"lifetime_max": 9})", 0, 0},
        {R"([])", 0, 0},
    };
    for (const Case& c : cases) {
        ParticlePackage package(c.json);
        ASSERT_TRUE(package.ok());
        ParticleSystem system(kEntry, true);
        ASSERT_TRUE(system.readJson()) << c.json;
        EXPECT_EQ(system.getFlow(), c.flow) << c.json;
        EXPECT_EQ(system.getMaxParticles(), c.maxParticles) << c.json;
        EXPECT_EQ(system.getLifetimeMax(), 0.0f) << c.json;
    }
}

TEST(ParticleSystemJson, BadDescriptionsFailWithOneLine) {
    struct Case {
        const char* entry;
        const char* json;
        bool jsonRead;
        const char* line;
    };
    const char* const parseLine = "] Failed to parse particle system JSON\n";
    const Case cases[] = {
        {"particlesystems/absent.json", "{}", false, parseLine},
        {kEntry, "{\"flow\": ", false, parseLine},
        {kEntry, "", false, parseLine},
        {kEntry, R"({"max_particles": -5})", true, "] Failed to allocate memory for particles (-5)\n"},
        {kEntry, R"({"max_particles": 1e12})", true, "] Failed to allocate memory for particles (2147483647)\n"},
    };
    for (const Case& c : cases) {
        ParticlePackage package(c.json);
        ASSERT_TRUE(package.ok());
        ParticleSystem system(c.entry, true);
        CapturedStdout output;
        EXPECT_EQ(system.readJson(), c.jsonRead) << c.json;
        EXPECT_FALSE(c.jsonRead && system.initParticles()) << c.json;
        const std::string text = output.finish();
        EXPECT_NE(text.find(c.line), std::string::npos) << c.json << ": " << text;
        system.update(0.1f);  // a failed system still steps safely
    }
}

TEST(ParticleSystemFlow, FirstParticleComesWhenTheTimerPassesTheInterval) {
    ParticlePackage package(R"({"max_particles": 200, "flow": 10, "lifetime_min": 5, "liftime_max": 6,
        "static_position_min_x": -1, "static_position_max_x": 1, "static_velocity_min_z": 1, "static_velocity_max_z": 2})");
    ASSERT_TRUE(package.ok());
    ParticleSystem system(kEntry, true);
    ASSERT_TRUE(prepare(system));
    // Flow 10: the timer must pass 0.1 s; steps of 0.03 s pass it in the fourth step, and the
    // timer starts again from 0 at each spawn.
    const int expectedAlive[] = {0, 0, 0, 1, 1, 1, 1, 2};
    for (int step = 0; step < 8; ++step) {
        system.update(0.03f);
        EXPECT_EQ(aliveCount(system), expectedAlive[step]) << "after step " << step + 1;
    }
    const Particle& first = system.getParticles()[0];
    EXPECT_TRUE(first.startPosition.x >= -1.0f && first.startPosition.x < 1.0f);
    EXPECT_TRUE(first.velocity.z >= 1.0f && first.velocity.z < 2.0f);
    EXPECT_TRUE(first.lifetime >= 5.0f && first.lifetime < 6.0f);
}

TEST(ParticleSystemFlow, SpawnsAtMostOnePerStep) {
    ParticlePackage package(R"({"max_particles": 500, "flow": 100, "lifetime_min": 5, "liftime_max": 6})");
    ASSERT_TRUE(package.ok());
    ParticleSystem system(kEntry, true);
    ASSERT_TRUE(prepare(system));
    for (int step = 0; step < 60; ++step) {
        system.update(1.0f / 60.0f);
    }
    EXPECT_EQ(aliveCount(system), 60);
    system.update(1.0f);  // a whole second still owes a single spawn
    EXPECT_EQ(aliveCount(system), 61);
}

TEST(ParticleSystemFlow, EqualBoundsGiveZeroAndSuchParticlesDieNextStep) {
    ParticlePackage package(R"({"max_particles": 4, "flow": 1000, "lifetime_min": 2, "liftime_max": 2,
                                "spawn_delay_min": 0.5, "spawn_delay_max": 0.5})");
    ASSERT_TRUE(package.ok());
    ParticleSystem system(kEntry, true);
    ASSERT_TRUE(prepare(system));
    system.update(0.1f);
    ASSERT_EQ(aliveCount(system), 1);
    EXPECT_EQ(system.getParticles()[0].lifetime, 0.0f);
    EXPECT_EQ(system.getParticles()[0].spawnDelay, 0.0f);
    system.update(0.1f);
    // The first died and its slot was taken again at once.
    EXPECT_EQ(aliveCount(system), 1);
    EXPECT_EQ(system.getParticles()[0].age, 0.0f);
}

TEST(ParticleSystemFlow, OwedSpawnsAccumulateAndAreRepaidTogether) {
    ParticlePackage package(R"({"max_particles": 3, "flow": 5, "lifetime_min": 1, "liftime_max": 1.002})");
    ASSERT_TRUE(package.ok());
    FixedController controller;
    controller.flow = 1000.0f;
    controller.velocity = glm::vec3(1.0f, 2.0f, 10.1f);
    controller.spawnPosition = glm::vec3(7.0f, 8.0f, 9.0f);
    ParticleSystem system(kEntry, false);
    system.setParticleSystemController(&controller);
    ASSERT_TRUE(prepare(system));

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
        EXPECT_EQ(system.getParticles()[i].startPosition, glm::vec3(7.0f, 8.0f, 9.0f));
        // The controller answers upward-positive; the stored vertical velocity is negated.
        EXPECT_EQ(system.getParticles()[i].velocity, glm::vec3(1.0f, 2.0f, -10.1f));
    }
    // The controller, not the system's own flag, decides whether it runs.
    controller.active = false;
    system.update(0.5f);
    EXPECT_FALSE(system.isActive());
    EXPECT_EQ(system.getParticles()[0].age, 0.0f);
}

TEST(ParticleSystemBurst, RunsOnceFromThePointAndSwitchesItselfOff) {
    ParticlePackage package(R"({"max_particles": 5, "flow": 100, "lifetime_min": 1, "liftime_max": 1.2})");
    ASSERT_TRUE(package.ok());
    ParticleSystem system(kEntry, false);
    ASSERT_TRUE(prepare(system));
    system.update(0.25f);
    EXPECT_EQ(system.getParticles()[0].age, 2.0f) << "made inactive: nothing ages before the burst";

    system.activateOnce(glm::vec3(3.0f, 4.0f, 5.0f));
    system.update(0.25f);
    EXPECT_EQ(aliveCount(system), 5);
    EXPECT_EQ(system.getParticles()[4].startPosition, glm::vec3(3.0f, 4.0f, 5.0f));
    int steps = 0;
    while (system.isActive() && steps < 100) {
        system.update(0.25f);
        ++steps;
    }
    // The flow respawns nothing of a running burst, and the system switches off in the first
    // step with every particle dead: lifetimes lie in [1, 1.2).
    EXPECT_EQ(steps, 5);
    EXPECT_FALSE(system.isOneShotRunning());
}

TEST(ParticleSystemDraws, EachKindOfSpawnTakesItsShareOfTheGenerator) {
    ParticlePackage package(R"({"max_particles": 1, "flow": 1000,
        "lifetime_min": 1, "liftime_max": 2, "spawn_delay_min": 0, "spawn_delay_max": 1,
        "static_position_max_x": 1, "static_position_max_y": 1, "static_position_max_z": 1,
        "static_velocity_max_x": 1, "static_velocity_max_y": 1, "static_velocity_max_z": 1,
        "gravity_min_z": -2, "gravity_max_z": -1})");
    ASSERT_TRUE(package.ok());
    FixedController controller;
    controller.flow = 1000.0f;
    struct Case {
        const char* name;
        std::function<void(ParticleSystem&)> step;
        int draws;  // four rand() per random value
    };
    const Case cases[] = {
        {"set-up: gravity z only", [](ParticleSystem&) {}, 4},
        {"static spawn", [](ParticleSystem& s) { s.update(0.1f); }, 4 + 32},
        {"burst spawn", [](ParticleSystem& s) { s.activateOnce(glm::vec3(0.0f)), s.update(0.1f); }, 4 + 20},
        {"controller spawn", [&](ParticleSystem& s) { s.setParticleSystemController(&controller), s.update(0.1f); },
         4 + 8},
    };
    for (const Case& c : cases) {
        ParticleSystem system(kEntry, true);
        ASSERT_TRUE(system.readJson());
        EXPECT_EQ(randDraws([&] { system.initParticles(), c.step(system); }), c.draws) << c.name;
        EXPECT_TRUE(system.getGravity().z >= -2.0f && system.getGravity().z < -1.0f);
    }
}

TEST(ParticleSystemSort, DepthOrderIsConsistentForQsort) {
    const float nan = std::nanf("");
    struct Case {
        float first, second;
        int order;
    };
    const Case cases[] = {{1, 2, 1}, {2, 1, -1}, {3, 3, 0}, {nan, 1, 1}, {1, nan, -1}, {nan, nan, 0}};
    for (const Case& c : cases) {
        Particle a{};
        Particle b{};
        a.sortZ = c.first;
        b.sortZ = c.second;
        EXPECT_EQ(compareParticleZ(&a, &b), c.order) << c.first << " vs " << c.second;
    }
}

}  // namespace
