// The hand-written solar-system, level and particle-system descriptions, read from the run
// folder with the game's JSON entry point. A misspelt key silently reads as 0.
#include <gtest/gtest.h>

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "core/AssetList.h"
#include "game/LevelObjectManager.h"
#include "game/SolarSystemCamera.h"
#include "sound/GameSound.h"
#include "support/RunAssets.h"

using testing_support::jsonMember;
using testing_support::jsonNumber;
using testing_support::jsonText;

namespace {

bool isNumber(const json_value* value) {
    return value != nullptr && (value->type == json_integer || value->type == json_double);
}

bool inPackage(const std::string& entry) {
    static const std::vector<std::string> entries = buildAssetList();
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

// The star has no level; each planet leads to its own, every one with the keys its reader takes
// (only the kinds an array: the reader adds the numbers of every array to them; no object: the
// reader takes keys from inside it) and a seed of its own, and no two orbits (the star's
// included) lie closer than 10 units. Each body has a mesh of its own, the star the first; the
// planets keep the size the star map's picking circle is made for and move at a pace that can
// be followed. Each level plays a music of its own pieces (not the star map's, the final
// screen's or the planet view's fallback), footsteps of the footstep sounds, and object kinds
// that exist.
TEST(LevelDescriptions, TheSystemLeadsToNineLevelsWithEveryKey) {
    REQUIRE_RUN_ASSETS();
    const testing_support::JsonTree system = testing_support::readRunJson("levels/system_1/s1.json");
    const json_value* planets = jsonMember(system.get(), "planets");
    ASSERT_TRUE(planets != nullptr && planets->type == json_array && planets->u.array.length == 9u);
    EXPECT_EQ(jsonMember(system.get(), "levelPath"), nullptr);
    std::vector<double> radii = {jsonNumber(jsonMember(system.get(), "orbitRadius"))};
    std::set<double> seeds;
    std::set<double> meshes = {jsonNumber(jsonMember(system.get(), "meshIndex"))};
    EXPECT_EQ(*meshes.begin(), 0.0) << "the star's mesh";
    const std::set<std::string> levelMusic = {"sounds/background_3.wav", "sounds/background_4.wav",
                                              "sounds/background_5.wav", "sounds/background_6.wav",
                                              "sounds/background_8.wav", "sounds/background_9.wav"};
    for (unsigned i = 0; i < 9; ++i) {
        const json_value* planet = planets->u.array.values[i];
        const std::string entry = "levels/system_1/s1p" + std::to_string(i + 1) + ".json";
        SCOPED_TRACE(entry);
        EXPECT_TRUE(!jsonText(jsonMember(planet, "name")).empty() &&
                    jsonText(jsonMember(planet, "levelPath")) == entry);
        for (const char* key : {"meshIndex", "scale", "orbitRadius", "orbitSpeed"}) {
            EXPECT_TRUE(isNumber(jsonMember(planet, key))) << key;
        }
        radii.push_back(jsonNumber(jsonMember(planet, "orbitRadius")));
        const double mesh = jsonNumber(jsonMember(planet, "meshIndex")),
                     speed = jsonNumber(jsonMember(planet, "orbitSpeed"));
        EXPECT_TRUE(mesh >= 1 && mesh <= 13 && meshes.insert(mesh).second) << "mesh " << mesh;
        EXPECT_EQ(jsonNumber(jsonMember(planet, "scale")), 1.0);
        EXPECT_TRUE(speed > 0.0 && speed < 0.5) << "orbit speed " << speed;
        const testing_support::JsonTree root = testing_support::readRunJson(entry);
        ASSERT_TRUE(root != nullptr && root->type == json_object);
        EXPECT_FALSE(jsonText(jsonMember(root.get(), "name")).empty());
        for (const char* key : {"diffuseTextureMap", "specularTextureMap", "normalTextureMap", "skyboxTexture",
                                "waterTexture", "backgroundSound"}) {
            EXPECT_TRUE(inPackage(jsonText(jsonMember(root.get(), key)))) << key;
        }
        for (const char* key : {"objectDensity", "skyboxLightPositionX", "skyboxLightPositionY", "skyboxLightPositionZ",
                                "skyboxLightRotationSpeed", "seed", "artefactPositionX", "artefactPositionY",
                                "artefactPositionZ", "footstepSound", "footstepSoundWater"}) {
            EXPECT_TRUE(isNumber(jsonMember(root.get(), key))) << key;
        }
        const std::string effect = jsonText(jsonMember(root.get(), "particleSystem"));
        EXPECT_TRUE(effect.empty() || inPackage(effect)) << effect;
        EXPECT_EQ(levelMusic.count(jsonText(jsonMember(root.get(), "backgroundSound"))), 1u);
        for (const char* key : {"footstepSound", "footstepSoundWater"}) {
            const double sound = jsonNumber(jsonMember(root.get(), key));
            EXPECT_TRUE(sound >= SOUND_FOOTSTEP1 && sound <= SOUND_FOOTSTEP5) << key << " is no footstep";
        }
        const json_value* kinds = jsonMember(root.get(), "objectKinds");
        for (unsigned k = 0; kinds != nullptr && kinds->type == json_array && k < kinds->u.array.length; ++k) {
            const json_value* kind = kinds->u.array.values[k];
            EXPECT_TRUE(kind->type == json_integer && kind->u.integer >= 0 && kind->u.integer < kLevelObjectKinds)
                << "object kind " << jsonNumber(kind);
        }
        for (unsigned k = 0; k < root->u.object.length; ++k) {
            const json_value* value = root->u.object.values[k].value;
            const bool kinds = std::string(root->u.object.values[k].name) == "objectKinds";
            EXPECT_TRUE((value->type == json_array && (!kinds || value->u.array.length > 0)) == kinds &&
                        value->type != json_object)
                << root->u.object.values[k].name;
        }
        seeds.insert(jsonNumber(jsonMember(root.get(), "seed")));
    }
    EXPECT_EQ(seeds.size(), 9u) << "two levels share a seed";
    std::sort(radii.begin(), radii.end());
    for (size_t i = 1; i < radii.size(); ++i) {
        EXPECT_GE(radii[i] - radii[i - 1], 10.0) << "orbits " << radii[i - 1] << " and " << radii[i];
    }
    // The star map's camera once it has flown in, and zoomed all the way out: every orbit, with
    // room for its planet, in the picture and before the far plane.
    SolarSystemCamera camera(glm::vec3(0.0f, -100.0f, 100.0f), glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, 1.0f), 1280, 720);
    for (const int zoomSteps : {0, 20}) {
        for (int step = 0; step < zoomSteps; ++step) {
            camera.zoomOut();
        }
        for (int frame = 0; frame < 60 * 30; ++frame) {
            camera.update(1.0f / 60.0f);
        }
        const glm::mat4 toClip = *camera.getPerspectiveMatrix() * camera.getViewMatrix();
        for (const double radius : radii) {
            for (int step = 0; step < 32; ++step) {
                const float angle = glm::two_pi<float>() * static_cast<float>(step) / 32.0f;
                const glm::vec4 clip =
                    toClip * glm::vec4((static_cast<float>(radius) + 4.0f) * glm::vec2(cos(angle), sin(angle)), 0, 1);
                const glm::vec3 ndc = glm::vec3(clip) / clip.w;
                EXPECT_TRUE(clip.w > 0.0f && std::fabs(ndc.x) < 1.0f && std::fabs(ndc.y) < 1.0f && ndc.z < 1.0f)
                    << "orbit " << radius << " leaves the view after " << zoomSteps << " zoom steps out";
            }
        }
    }
}

// Every key of a particle-system description is a number the reader knows, each of the 32 is
// there, and each min/max pair lies 0.001 or more apart or both are 0, because the random draw
// between two closer bounds gives exactly 0 instead of either bound.
TEST(ParticleSystemDescriptions, CarryTheirKeysAndWorkingRanges) {
    REQUIRE_RUN_ASSETS();
    std::set<std::string> known = {"max_particles", "flow",        "size_start",      "size_end",
                                   "lifetime_min",  "liftime_max", "spawn_delay_min", "spawn_delay_max"};
    for (const char* colour : {"color_start_", "color_end_"}) {
        for (const char* channel : {"r", "g", "b"}) {
            known.insert(std::string(colour) + channel);
        }
    }
    for (const char* vector : {"static_velocity_", "static_position_", "gravity_"}) {
        for (const char* bound : {"min_", "max_"}) {
            for (const char* axis : {"x", "y", "z"}) {
                known.insert(std::string(vector) + bound + axis);
            }
        }
    }
    // Effects that flow respawn at their own rate; the others (false) burst once.
    const std::map<std::string, bool> flows = {{"artefact", true},     {"death", false},   {"explosion", false},
                                               {"glow", true},         {"smoke", false},   {"snow", true},
                                               {"rocketengine", true}, {"starfield", true}};
    for (const auto& [name, flowing] : flows) {
        const std::string entry = "particlesystems/" + name + ".json";
        SCOPED_TRACE(entry);
        const testing_support::JsonTree root = testing_support::readRunJson(entry);
        ASSERT_TRUE(inPackage(entry) && root != nullptr && root->type == json_object);
        std::map<std::string, double> values;
        for (unsigned i = 0; i < root->u.object.length; ++i) {
            const auto& member = root->u.object.values[i];
            EXPECT_TRUE(isNumber(member.value) && known.count(member.name) != 0) << member.name;
            values[member.name] = jsonNumber(member.value);
        }
        EXPECT_EQ(values.size(), known.size()) << "keys missing";
        for (const std::string& low : known) {
            const size_t min = low.find("min");
            const std::string high =
                low == "lifetime_min" ? "liftime_max" : low.substr(0, min) + "max" + low.substr(min + 3);
            const double gap = std::fabs(values[high] - values[low]);
            EXPECT_TRUE(min == std::string::npos || (gap == 0.0 ? values[low] == 0.0 : gap >= 0.001)) << low;
        }
        const double lifetime = std::min(values["lifetime_min"], values["liftime_max"]);
        EXPECT_TRUE(values["max_particles"] >= 1.0 && lifetime > 0.0 && values["size_start"] > 0.0 &&
                    values["size_end"] > 0.0 && (values["flow"] > 0.0) == flowing);
        // Snow hangs 75 units over the player: it must fall to the highest ground, 25 up, before it dies.
        const double fall = -std::max(values["static_velocity_min_z"], values["static_velocity_max_z"]);
        EXPECT_TRUE(name != "snow" || fall * lifetime >= 50.0);
    }
}

}  // namespace
