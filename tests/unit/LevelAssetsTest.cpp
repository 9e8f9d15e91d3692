// The hand-written solar-system, level and particle-system descriptions, read from the run
// folder with the game's JSON entry point. A misspelt key silently reads as 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "core/AssetList.h"
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
// (only the kinds an array: the reader adds the numbers of every array to them) and a seed of
// its own, and no two orbits (the star's included) lie closer than 10 units.
TEST(LevelDescriptions, TheSystemLeadsToNineLevelsWithEveryKey) {
    SKIP_WITHOUT_RUN_ASSETS();
    const testing_support::JsonTree system = testing_support::readRunJson("levels/system_1/s1.json");
    const json_value* planets = jsonMember(system.get(), "planets");
    ASSERT_TRUE(planets != nullptr && planets->type == json_array && planets->u.array.length == 9u);
    EXPECT_EQ(jsonMember(system.get(), "levelPath"), nullptr);
    std::vector<double> radii = {jsonNumber(jsonMember(system.get(), "orbitRadius"))};
    std::set<double> seeds;
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
        for (unsigned k = 0; k < root->u.object.length; ++k) {
            const json_value* value = root->u.object.values[k].value;
            const bool kinds = std::string(root->u.object.values[k].name) == "objectKinds";
            EXPECT_EQ(value->type == json_array && (!kinds || value->u.array.length > 0), kinds)
                << root->u.object.values[k].name;
        }
        seeds.insert(jsonNumber(jsonMember(root.get(), "seed")));
    }
    EXPECT_EQ(seeds.size(), 9u) << "two levels share a seed";
    std::sort(radii.begin(), radii.end());
    for (size_t i = 1; i < radii.size(); ++i) {
        EXPECT_GE(radii[i] - radii[i - 1], 10.0) << "orbits " << radii[i - 1] << " and " << radii[i];
    }
}

// Every key of a particle-system description is a number the reader knows, each of the 32 is
// there, and each min/max pair lies 0.001 or more apart or both are 0, because the random draw
// between two closer bounds gives exactly 0 instead of either bound.
TEST(ParticleSystemDescriptions, CarryTheirKeysAndWorkingRanges) {
    SKIP_WITHOUT_RUN_ASSETS();
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
