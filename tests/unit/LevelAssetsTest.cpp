// The hand-written solar-system, level and particle-system descriptions, read from the run
// folder with the game's JSON entry point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "core/AssetList.h"
#include "support/RunAssets.h"

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

TEST(LevelDescriptions, CarryEveryKeyTheirReaderTakes) {
    SKIP_WITHOUT_RUN_ASSETS();
    std::set<double> seeds;
    for (int level = 1; level <= 9; ++level) {
        const std::string entry = "levels/system_1/s1p" + std::to_string(level) + ".json";
        const testing_support::JsonTree root = testing_support::readRunJson(entry);
        ASSERT_TRUE(root != nullptr && root->type == json_object) << entry;
        auto get = [&](const char* key) { return testing_support::jsonMember(root.get(), key); };
        EXPECT_FALSE(jsonText(get("name")).empty()) << entry;
        for (const char* key : {"diffuseTextureMap", "specularTextureMap", "normalTextureMap", "skyboxTexture",
                                "waterTexture", "backgroundSound"}) {
            EXPECT_TRUE(inPackage(jsonText(get(key)))) << entry << " " << key;
        }
        for (const char* key : {"objectDensity", "skyboxLightPositionX", "skyboxLightPositionY", "skyboxLightPositionZ",
                                "skyboxLightRotationSpeed", "seed", "artefactPositionX", "artefactPositionY",
                                "artefactPositionZ", "footstepSound", "footstepSoundWater"}) {
            EXPECT_TRUE(isNumber(get(key))) << entry << " " << key;
        }
        const std::string effect = jsonText(get("particleSystem"));
        EXPECT_TRUE(effect.empty() || inPackage(effect)) << entry << " " << effect;
        // The reader adds the numbers of every array to the object kinds.
        for (unsigned i = 0; i < root->u.object.length; ++i) {
            const json_value* value = root->u.object.values[i].value;
            const bool kinds = std::string(root->u.object.values[i].name) == "objectKinds";
            EXPECT_TRUE(kinds ? value->type == json_array && value->u.array.length > 0 : value->type != json_array)
                << entry << " " << root->u.object.values[i].name;
        }
        seeds.insert(jsonNumber(get("seed")));
    }
    EXPECT_EQ(seeds.size(), 9u) << "two levels share a seed";
}

// The star is not selectable (it has no level); each planet leads to its level, and no two
// orbits (the star's included) lie closer than 10 units.
TEST(SolarSystemDescription, HasAStarAndNinePlanetsOnSeparateOrbits) {
    SKIP_WITHOUT_RUN_ASSETS();
    const testing_support::JsonTree root = testing_support::readRunJson("levels/system_1/s1.json");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(testing_support::jsonMember(root.get(), "levelPath"), nullptr);
    const json_value* planets = testing_support::jsonMember(root.get(), "planets");
    ASSERT_TRUE(planets != nullptr && planets->type == json_array && planets->u.array.length == 9u);
    std::vector<double> radii = {jsonNumber(testing_support::jsonMember(root.get(), "orbitRadius"))};
    for (unsigned i = 0; i < planets->u.array.length; ++i) {
        const json_value* planet = planets->u.array.values[i];
        EXPECT_FALSE(jsonText(testing_support::jsonMember(planet, "name")).empty()) << i;
        const std::string level = "levels/system_1/s1p" + std::to_string(i + 1) + ".json";
        EXPECT_EQ(jsonText(testing_support::jsonMember(planet, "levelPath")), level);
        for (const char* key : {"meshIndex", "scale", "orbitRadius", "orbitSpeed"}) {
            EXPECT_TRUE(isNumber(testing_support::jsonMember(planet, key))) << i << " " << key;
        }
        radii.push_back(jsonNumber(testing_support::jsonMember(planet, "orbitRadius")));
    }
    std::sort(radii.begin(), radii.end());
    for (size_t i = 1; i < radii.size(); ++i) {
        EXPECT_GE(radii[i] - radii[i - 1], 10.0) << "orbits " << radii[i - 1] << " and " << radii[i];
    }
}

// Every key of a particle-system description is a number the reader knows (a misspelt key
// silently reads as 0), and each min/max pair lies 0.001 or more apart, because the random
// draw between two closer bounds gives exactly 0 instead of either bound.
TEST(ParticleSystemDescriptions, CarryTheirKeysAndWorkingRanges) {
    SKIP_WITHOUT_RUN_ASSETS();
    const std::set<std::string> known = {
        "max_particles", "flow", "color_start_r", "color_start_g", "color_start_b", "color_end_r", "color_end_g",
        "color_end_b", "size_start", "size_end", "lifetime_min", "liftime_max", "spawn_delay_min", "spawn_delay_max",
        "static_velocity_min_x", "static_velocity_min_y", "static_velocity_min_z", "static_velocity_max_x",
        "static_velocity_max_y", "static_velocity_max_z", "static_position_min_x", "static_position_min_y",
        "static_position_min_z", "static_position_max_x", "static_position_max_y", "static_position_max_z",
        "gravity_min_x", "gravity_min_y", "gravity_min_z", "gravity_max_x", "gravity_max_y", "gravity_max_z"};
    // Effects that flow respawn at their own rate; the others burst once.
    const std::map<std::string, bool> flows = {{"artefact", true},     {"death", false}, {"explosion", false},
                                               {"glow", true},         {"smoke", false}, {"snow", true},
                                               {"rocketengine", true}, {"starfield", true}};
    for (const auto& [name, flowing] : flows) {
        const std::string entry = "particlesystems/" + name + ".json";
        SCOPED_TRACE(entry);
        EXPECT_TRUE(inPackage(entry));
        const testing_support::JsonTree root = testing_support::readRunJson(entry);
        ASSERT_TRUE(root != nullptr && root->type == json_object);
        std::map<std::string, double> values;
        for (unsigned i = 0; i < root->u.object.length; ++i) {
            EXPECT_TRUE(isNumber(root->u.object.values[i].value) && known.count(root->u.object.values[i].name))
                << root->u.object.values[i].name;
            values[root->u.object.values[i].name] = jsonNumber(root->u.object.values[i].value);
        }
        EXPECT_EQ(values.size(), known.size()) << "keys missing";
        for (const std::string& low : known) {
            const size_t min = low.find("min");
            if (min != std::string::npos) {
                const std::string high =
                    low == "lifetime_min" ? "liftime_max" : low.substr(0, min) + "max" + low.substr(min + 3);
                const double gap = std::fabs(values[high] - values[low]);
                EXPECT_TRUE(gap == 0.0 ? values[low] == 0.0 : gap >= 0.001) << low << " and " << high << " give 0";
            }
        }
        EXPECT_GE(values["max_particles"], 1.0);
        EXPECT_GT(std::min(values["lifetime_min"], values["liftime_max"]), 0.0) << "particles that never live";
        EXPECT_EQ(values["flow"] > 0.0, flowing);
        EXPECT_TRUE(values["size_start"] > 0.0 && values["size_end"] > 0.0);
        // Snow hangs 75 units over the player: it must fall to the highest ground, 25 up, before it dies.
        const double fall = -std::max(values["static_velocity_min_z"], values["static_velocity_max_z"]);
        EXPECT_TRUE(name != "snow" || fall * std::min(values["lifetime_min"], values["liftime_max"]) >= 50.0);
    }
}

}  // namespace
