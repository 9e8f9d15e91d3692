// The hand-written solar-system and level descriptions, read from the run folder with the
// game's JSON entry point. A misspelt key silently reads as 0.
#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace
