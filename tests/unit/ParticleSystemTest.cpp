#include <cstdlib>
#include <functional>
#include <string>

#include <glm/glm.hpp>
#include <gtest/gtest.h>

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
    glm::vec3 spawnPosition{0.0f};
    glm::vec3 velocity{0.0f};
    float flow = 0.0f;
    bool active = true;
    bool getSpawnPosition(glm::vec3& position) override {
        position = spawnPosition;
        return true;
    }
    bool getVelocity(glm::vec3& out) override {
        out = velocity;
        return true;
    }
    bool getFlowRate(float& out) override {
        out = flow;
        return true;
    }
    bool getAngle(float&) override { return false; }
    bool getActive(bool& out) override {
        out = active;
        return true;
    }
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
    const unsigned int seed = 12345;
    srand(seed);
    action();
    const int next = rand();
    srand(seed);
    for (int draws = 0; draws < 10000; ++draws) {
        if (rand() == next) {
            return draws;
        }
    }
    return -1;
}

TEST(ParticleSystemJson, EveryKeyFillsItsField) {
    struct Key {
        const char* name;
        std::function<float(const ParticleSystem&)> field;
    };
    const Key keys[] = {
        {"max_particles", [](const ParticleSystem& s) { return static_cast<float>(s.getMaxParticles()); }},
        {"flow", [](const ParticleSystem& s) { return s.getFlow(); }},
        {"color_start_r", [](const ParticleSystem& s) { return s.getStartColour().r; }},
        {"color_start_g", [](const ParticleSystem& s) { return s.getStartColour().g; }},
        {"color_start_b", [](const ParticleSystem& s) { return s.getStartColour().b; }},
        {"color_end_r", [](const ParticleSystem& s) { return s.getEndColour().r; }},
        {"color_end_g", [](const ParticleSystem& s) { return s.getEndColour().g; }},
        {"color_end_b", [](const ParticleSystem& s) { return s.getEndColour().b; }},
        {"size_start", [](const ParticleSystem& s) { return s.getStartSize(); }},
        {"size_end", [](const ParticleSystem& s) { return s.getEndSize(); }},
        {"lifetime_min", [](const ParticleSystem& s) { return s.getLifetimeMin(); }},
        {"liftime_max", [](const ParticleSystem& s) { return s.getLifetimeMax(); }},
        {"spawn_delay_min", [](const ParticleSystem& s) { return s.getSpawnDelayMin(); }},
        {"spawn_delay_max", [](const ParticleSystem& s) { return s.getSpawnDelayMax(); }},
        {"static_velocity_min_x", [](const ParticleSystem& s) { return s.getStaticVelocityMin().x; }},
        {"static_velocity_min_y", [](const ParticleSystem& s) { return s.getStaticVelocityMin().y; }},
        {"static_velocity_min_z", [](const ParticleSystem& s) { return s.getStaticVelocityMin().z; }},
        {"static_velocity_max_x", [](const ParticleSystem& s) { return s.getStaticVelocityMax().x; }},
        {"static_velocity_max_y", [](const ParticleSystem& s) { return s.getStaticVelocityMax().y; }},
        {"static_velocity_max_z", [](const ParticleSystem& s) { return s.getStaticVelocityMax().z; }},
        {"static_position_min_x", [](const ParticleSystem& s) { return s.getStaticPositionMin().x; }},
        {"static_position_min_y", [](const ParticleSystem& s) { return s.getStaticPositionMin().y; }},
        {"static_position_min_z", [](const ParticleSystem& s) { return s.getStaticPositionMin().z; }},
        {"static_position_max_x", [](const ParticleSystem& s) { return s.getStaticPositionMax().x; }},
        {"static_position_max_y", [](const ParticleSystem& s) { return s.getStaticPositionMax().y; }},
        {"static_position_max_z", [](const ParticleSystem& s) { return s.getStaticPositionMax().z; }},
        {"gravity_min_x", [](const ParticleSystem& s) { return s.getGravityMin().x; }},
        {"gravity_min_y", [](const ParticleSystem& s) { return s.getGravityMin().y; }},
        {"gravity_min_z", [](const ParticleSystem& s) { return s.getGravityMin().z; }},
        {"gravity_max_x", [](const ParticleSystem& s) { return s.getGravityMax().x; }},
        {"gravity_max_y", [](const ParticleSystem& s) { return s.getGravityMax().y; }},
        {"gravity_max_z", [](const ParticleSystem& s) { return s.getGravityMax().z; }},
    };
    std::string json = "{";
    for (size_t i = 0; i < std::size(keys); ++i) {
        json += std::string(i == 0 ? "" : ",") + "\"" + keys[i].name + "\": " + std::to_string(i + 1) + ".5";
    }
    json += "}";
    ParticlePackage package(json);
    ASSERT_TRUE(package.ok());
    ParticleSystem system(kEntry, true);
    ASSERT_TRUE(system.readJson());
    for (size_t i = 0; i < std::size(keys); ++i) {
        // max_particles is truncated toward zero.
        const float expected = i == 0 ? 1.0f : static_cast<float>(i + 1) + 0.5f;
        EXPECT_EQ(keys[i].field(system), expected) << keys[i].name;
    }
}

TEST(ParticleSystemJson, KeysCountAtAnyDepthAndTheLastOneWins) {
    struct Case {
        const char* json;
        float flow;
        int maxParticles;
    };
    const Case cases[] = {
        {R"({"flow": 3})", 3, 0},
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
        const char* name;
        const char* entry;
        const char* json;
        bool jsonRead;
        const char* line;
    };
    const Case cases[] = {
        {"missing entry", "particlesystems/absent.json", "{}", false, "Failed to parse particle system JSON\n"},
        {"not JSON", kEntry, "{\"flow\": ", false, "Failed to parse particle system JSON\n"},
        {"empty entry", kEntry, "", false, "Failed to parse particle system JSON\n"},
        {"negative count", kEntry, R"({"max_particles": -5})", true, "Failed to allocate memory for particles (-5)\n"},
        {"absurd count", kEntry, R"({"max_particles": 1e12})", true,
         "Failed to allocate memory for particles (2147483647)\n"},
    };
    for (const Case& c : cases) {
        ParticlePackage package(c.json);
        ASSERT_TRUE(package.ok());
        ParticleSystem system(c.entry, true);
        CapturedStdout output;
        EXPECT_EQ(system.readJson(), c.jsonRead) << c.name;
        if (c.jsonRead) {
            EXPECT_FALSE(system.initParticles()) << c.name;
        }
        const std::string text = output.finish();
        EXPECT_NE(text.find(c.line), std::string::npos) << c.name << ": " << text;
        // A system that failed still updates safely.
        system.update(0.1f);
    }
}

const char* const kSlowFlow = R"({
    "max_particles": 200, "flow": 10, "lifetime_min": 5, "liftime_max": 6,
    "static_position_min_x": -1, "static_position_max_x": 1,
    "static_position_min_y": 2, "static_position_max_y": 3,
    "static_position_min_z": 0, "static_position_max_z": 0.5,
    "static_velocity_min_z": 1, "static_velocity_max_z": 2})";

TEST(ParticleSystemFlow, FirstParticleComesWhenTheTimerPassesTheInterval) {
    ParticlePackage package(kSlowFlow);
    ASSERT_TRUE(package.ok());
    ParticleSystem system(kEntry, true);
    ASSERT_TRUE(prepare(system));
    EXPECT_EQ(aliveCount(system), 0);
    // Flow 10: the timer must pass 0.1 s; steps of 0.03 s pass it in the fourth step.
    const int expectedAlive[] = {0, 0, 0, 1, 1, 1, 1, 2};
    for (int step = 0; step < 8; ++step) {
        system.update(0.03f);
        EXPECT_EQ(aliveCount(system), expectedAlive[step]) << "after step " << step + 1;
    }
    for (int i = 0; i < system.getMaxParticles(); ++i) {
        const Particle& particle = system.getParticles()[i];
        if (particle.age <= particle.lifetime) {
            EXPECT_GE(particle.startPosition.x, -1.0f);
            EXPECT_LT(particle.startPosition.x, 1.0f);
            EXPECT_GE(particle.startPosition.y, 2.0f);
            EXPECT_LT(particle.startPosition.y, 3.0f);
            EXPECT_GE(particle.velocity.z, 1.0f);
            EXPECT_LT(particle.velocity.z, 2.0f);
            EXPECT_GE(particle.lifetime, 5.0f);
            EXPECT_LT(particle.lifetime, 6.0f);
        }
    }
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
    // One step of a whole second still owes a single spawn.
    system.update(1.0f);
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
    system.update(0.5f);
    EXPECT_EQ(aliveCount(system), 3);
    system.update(0.5f);
    system.update(0.5f);
    EXPECT_EQ(system.getPendingSpawns(), 3);

    system.update(0.5f);  // all three die in this step
    EXPECT_EQ(aliveCount(system), 3);
    EXPECT_EQ(system.getPendingSpawns(), 1);
    for (int i = 0; i < 3; ++i) {
        const Particle& particle = system.getParticles()[i];
        EXPECT_EQ(particle.startPosition, glm::vec3(7.0f, 8.0f, 9.0f));
        // The controller answers upward-positive; the stored vertical velocity is negated.
        EXPECT_EQ(particle.velocity, glm::vec3(1.0f, 2.0f, -10.1f));
        EXPECT_EQ(particle.sortZ, -100.0f);
    }
}

TEST(ParticleSystemFlow, ControllerDecidesWhetherTheSystemRuns) {
    ParticlePackage package(R"({"max_particles": 3, "flow": 100, "lifetime_min": 1, "liftime_max": 2})");
    ASSERT_TRUE(package.ok());
    FixedController controller;
    controller.active = false;
    controller.flow = 100.0f;
    ParticleSystem system(kEntry, true);
    system.setParticleSystemController(&controller);
    ASSERT_TRUE(prepare(system));
    EXPECT_FALSE(system.isActive());
    system.update(0.5f);
    EXPECT_EQ(system.getParticles()[0].age, 2.0f);
    controller.active = true;
    EXPECT_TRUE(system.isActive());
    system.update(0.5f);
    EXPECT_EQ(aliveCount(system), 1);
}

TEST(ParticleSystemBurst, RunsOnceFromThePointAndSwitchesItselfOff) {
    ParticlePackage package(R"({"max_particles": 5, "flow": 100, "lifetime_min": 1, "liftime_max": 1.2,
                                "static_velocity_min_x": -1, "static_velocity_max_x": 1})");
    ASSERT_TRUE(package.ok());
    ParticleSystem system(kEntry, false);
    ASSERT_TRUE(prepare(system));

    // Made inactive: nothing ages before the burst.
    system.update(0.25f);
    EXPECT_FALSE(system.isActive());
    EXPECT_EQ(system.getParticles()[0].age, 2.0f);

    system.activateOnce(glm::vec3(3.0f, 4.0f, 5.0f));
    EXPECT_TRUE(system.isActive());
    system.update(0.25f);
    EXPECT_EQ(aliveCount(system), 5);
    EXPECT_TRUE(system.isOneShotRunning());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(system.getParticles()[i].startPosition, glm::vec3(3.0f, 4.0f, 5.0f));
    }
    int steps = 0;
    while (system.isActive() && steps < 100) {
        system.update(0.25f);
        // Dead particles of a running burst are not respawned by the flow.
        EXPECT_LE(aliveCount(system), 5);
        ++steps;
    }
    EXPECT_FALSE(system.isActive());
    EXPECT_FALSE(system.isOneShotRunning());
    EXPECT_EQ(aliveCount(system), 0);
    // Switched off in the first step with every particle dead: lifetimes lie in [1, 1.2).
    EXPECT_EQ(steps, 5);
}

TEST(ParticleSystemDraws, EachKindOfSpawnTakesItsShareOfTheGenerator) {
    const char* json = R"({"max_particles": 1, "flow": 1000,
        "lifetime_min": 1, "liftime_max": 2, "spawn_delay_min": 0, "spawn_delay_max": 1,
        "static_position_min_x": 0, "static_position_max_x": 1, "static_position_min_y": 0,
        "static_position_max_y": 1, "static_position_min_z": 0, "static_position_max_z": 1,
        "static_velocity_min_x": 0, "static_velocity_max_x": 1, "static_velocity_min_y": 0,
        "static_velocity_max_y": 1, "static_velocity_min_z": 0, "static_velocity_max_z": 1,
        "gravity_min_z": -2, "gravity_max_z": -1})";
    ParticlePackage package(json);
    ASSERT_TRUE(package.ok());
    struct Case {
        const char* name;
        std::function<void(ParticleSystem&)> step;
        int draws;
    };
    FixedController controller;
    controller.flow = 1000.0f;
    const Case cases[] = {
        // Only the z range of gravity is wide enough to draw.
        {"set-up draws gravity", [](ParticleSystem&) {}, 4},
        {"static spawn", [](ParticleSystem& s) { s.update(0.1f); }, 4 + 32},
        {"burst spawn",
         [](ParticleSystem& s) {
             s.activateOnce(glm::vec3(0.0f));
             s.update(0.1f);
         },
         4 + 20},
        {"controller spawn",
         [&controller](ParticleSystem& s) {
             s.setParticleSystemController(&controller);
             s.update(0.1f);
         },
         4 + 8},
    };
    for (const Case& c : cases) {
        ParticleSystem system(kEntry, true);
        ASSERT_TRUE(system.readJson());
        EXPECT_EQ(randDraws([&] {
                      system.initParticles();
                      c.step(system);
                  }),
                  c.draws)
            << c.name;
        EXPECT_GE(system.getGravity().z, -2.0f);
        EXPECT_LT(system.getGravity().z, -1.0f);
    }
}

TEST(ParticleSystemSort, OrdersByDescendingHeight) {
    ParticlePackage package(R"({"max_particles": 6, "flow": 1000, "lifetime_min": 5, "liftime_max": 6,
                                "static_position_min_z": -10, "static_position_max_z": 10})");
    ASSERT_TRUE(package.ok());
    ParticleSystem system(kEntry, true);
    ASSERT_TRUE(prepare(system));
    for (int step = 0; step < 7; ++step) {
        system.update(0.01f);
    }
    system.sortForZ();
    for (int i = 1; i < 6; ++i) {
        EXPECT_GE(system.getParticles()[i - 1].sortZ, system.getParticles()[i].sortZ);
    }
}

}  // namespace
