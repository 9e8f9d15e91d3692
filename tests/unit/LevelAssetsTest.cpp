// The hand-written solar-system, level and particle-system descriptions, read with the
// game's JSON entry point from the run folder.
#include <gtest/gtest.h>

#include "TerrainReplay.h"
#include "core/AssetList.h"
#include "core/Json.h"
#include "support/TestSupport.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>

namespace {

using JsonTree = std::unique_ptr<json_value, decltype(&json_value_free)>;

JsonTree readJson(const std::string& entry) {
    const std::string bytes = testing_support::readFile(terrain_replay::runDir() + "/" + entry);
    if (bytes.empty()) {
        return JsonTree(nullptr, json_value_free);
    }
    return JsonTree(json_parse_buffer(bytes.data(), bytes.size()), json_value_free);
}

bool isNumber(const json_value* value) {
    return value != nullptr && (value->type == json_integer || value->type == json_double);
}

double number(const json_value* value) {
    return value->type == json_integer ? static_cast<double>(value->u.integer) : value->u.dbl;
}

std::string text(const json_value* value) {
    return value != nullptr && value->type == json_string ? std::string(value->u.string.ptr, value->u.string.length)
                                                          : std::string();
}

bool inPackage(const std::string& entry) {
    static const std::vector<std::string> entries = buildAssetList();
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

#define SKIP_WITHOUT_RUN_FOLDER()                                               \
    if (!terrain_replay::haveRunFolder()) {                                     \
        GTEST_SKIP() << "no assets in " << terrain_replay::runDir();            \
    }

constexpr int kLevelCount = 9;

std::string levelEntry(int level) {
    return "levels/system_1/s1p" + std::to_string(level) + ".json";
}

// Every key a level's reader takes, with the JSON type it needs.
TEST(LevelDescriptions, CarryEveryKeyWithItsType) {
    SKIP_WITHOUT_RUN_FOLDER();
    const char* entryKeys[] = {"diffuseTextureMap", "specularTextureMap", "normalTextureMap", "skyboxTexture",
                               "waterTexture", "backgroundSound"};
    const char* numberKeys[] = {"objectDensity", "skyboxLightPositionX", "skyboxLightPositionY",
                                "skyboxLightPositionZ", "skyboxLightRotationSpeed", "seed", "artefactPositionX",
                                "artefactPositionY", "artefactPositionZ", "footstepSound", "footstepSoundWater"};
    const std::set<std::string> levelMusic = {"sounds/background_3.wav", "sounds/background_4.wav",
                                              "sounds/background_5.wav", "sounds/background_6.wav",
                                              "sounds/background_8.wav", "sounds/background_9.wav"};
    std::set<int> seeds;
    std::set<std::string> names;
    std::map<std::string, glm::vec3> lightOfSky;  // each sky box shows its sun at one place
    for (int level = 1; level <= kLevelCount; ++level) {
        SCOPED_TRACE(levelEntry(level));
        const JsonTree root = readJson(levelEntry(level));
        ASSERT_NE(root, nullptr);
        ASSERT_EQ(root->type, json_object);
        EXPECT_EQ(json_object_get(root.get(), "name")->type, json_string);
        names.insert(text(json_object_get(root.get(), "name")));
        for (const char* key : entryKeys) {
            EXPECT_TRUE(inPackage(text(json_object_get(root.get(), key)))) << key;
        }
        for (const char* key : numberKeys) {
            EXPECT_TRUE(isNumber(json_object_get(root.get(), key))) << key;
        }
        const std::string effect = text(json_object_get(root.get(), "particleSystem"));
        EXPECT_TRUE(effect.empty() || inPackage(effect)) << effect;
        EXPECT_EQ(levelMusic.count(text(json_object_get(root.get(), "backgroundSound"))), 1u);
        for (const char* key : {"footstepSound", "footstepSoundWater"}) {
            const double sound = number(json_object_get(root.get(), key));
            EXPECT_TRUE(sound >= 12 && sound <= 16) << key << " is no footstep";
        }
        const json_value* kinds = json_object_get(root.get(), "objectKinds");
        ASSERT_NE(kinds, nullptr);
        ASSERT_EQ(kinds->type, json_array);
        EXPECT_GT(kinds->u.array.length, 0u);
        for (unsigned i = 0; i < kinds->u.array.length; ++i) {
            const json_value* kind = kinds->u.array.values[i];
            EXPECT_TRUE(kind->type == json_integer && kind->u.integer >= 0 && kind->u.integer <= 20);
        }
        // Every other array would add its numbers to the kinds as well.
        for (unsigned i = 0; i < root->u.object.length; ++i) {
            const json_value* value = root->u.object.values[i].value;
            EXPECT_TRUE(value->type != json_array || std::string(root->u.object.values[i].name) == "objectKinds");
            EXPECT_NE(value->type, json_object);
        }
        seeds.insert(static_cast<int>(number(json_object_get(root.get(), "seed"))));
        const glm::vec3 light(number(json_object_get(root.get(), "skyboxLightPositionX")),
                              number(json_object_get(root.get(), "skyboxLightPositionY")),
                              number(json_object_get(root.get(), "skyboxLightPositionZ")));
        const auto known = lightOfSky.emplace(text(json_object_get(root.get(), "skyboxTexture")), light).first;
        EXPECT_EQ(known->second, light) << "light away from the sun of " << known->first;
    }
    EXPECT_EQ(seeds.size(), static_cast<size_t>(kLevelCount)) << "two levels share a seed";
    EXPECT_EQ(names.size(), static_cast<size_t>(kLevelCount)) << "two levels share a name";
}

// The artefact floats over the ground of the tile the level lays out under it, clear of
// water and of the objects placed there: a replay of the level's seeded set-up.
TEST(LevelDescriptions, ArtefactFloatsClearAboveItsGround) {
    SKIP_WITHOUT_RUN_FOLDER();
    terrain_replay::Heightmap tiles[terrain_replay::kTileCount];
    for (int tile = 0; tile < terrain_replay::kTileCount; ++tile) {
        ASSERT_TRUE(terrain_replay::loadHeightmap(tile, &tiles[tile])) << tile;
    }
    constexpr float kBob = 0.3f;  // the artefact bobs this far around its height
    constexpr float kLowest = 1.0f;
    constexpr float kHighest = 3.0f;
    constexpr float kObjectClearance = 3.0f;
    const float tileWidth = static_cast<float>(tiles[0].width - 1);
    const float tileHeight = static_cast<float>(tiles[0].height - 1);
    for (int level = 1; level <= kLevelCount; ++level) {
        SCOPED_TRACE(levelEntry(level));
        const JsonTree root = readJson(levelEntry(level));
        ASSERT_NE(root, nullptr);
        const glm::vec3 artefact(number(json_object_get(root.get(), "artefactPositionX")),
                                 number(json_object_get(root.get(), "artefactPositionY")),
                                 number(json_object_get(root.get(), "artefactPositionZ")));
        ASSERT_TRUE(artefact.x >= 0.0f && artefact.x < 3.0f * tileWidth && artefact.y >= 0.0f &&
                    artefact.y < 3.0f * tileHeight)
            << "the artefact lies outside the first 3 x 3 tiles";
        const terrain_replay::LevelReplay replay = terrain_replay::replayLevel(
            static_cast<int>(number(json_object_get(root.get(), "seed"))),
            static_cast<float>(number(json_object_get(root.get(), "objectDensity"))),
            static_cast<int>(json_object_get(root.get(), "objectKinds")->u.array.length), tiles);
        EXPECT_TRUE(replay.placementFinished) << "a tile has no room for its objects";

        const int slot = static_cast<int>(artefact.y / tileHeight) * 3 + static_cast<int>(artefact.x / tileWidth);
        const int tile = replay.grid[slot];
        const float x = std::fmod(artefact.x, tileWidth);
        const float y = std::fmod(artefact.y, tileHeight);
        const float ground = tiles[tile].elevation(x, y);
        EXPECT_GE(artefact.z - kBob - ground, kLowest) << "tile " << tile << " ground " << ground;
        EXPECT_LE(artefact.z + kBob - ground, kHighest) << "tile " << tile << " ground " << ground;
        const terrain_replay::Water water = terrain_replay::waterOf(tile);
        EXPECT_FALSE(terrain_replay::insideWaterSquare(water, x, y)) << "tile " << tile;
        for (const terrain_replay::PlacedObject& object : replay.objects[tile]) {
            EXPECT_GE(glm::length(glm::vec2(object.position) - glm::vec2(x, y)), kObjectClearance)
                << "tile " << tile << " object at " << object.position.x << ", " << object.position.y;
        }
    }
}

TEST(SolarSystemDescription, HasAStarAndNineReachablePlanets) {
    SKIP_WITHOUT_RUN_FOLDER();
    const JsonTree root = readJson("levels/system_1/s1.json");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(json_object_get(root.get(), "name")->type, json_string);
    EXPECT_EQ(json_object_get(root.get(), "levelPath"), nullptr) << "the star must not be selectable";
    const json_value* planets = json_object_get(root.get(), "planets");
    ASSERT_NE(planets, nullptr);
    ASSERT_EQ(planets->type, json_array);
    ASSERT_EQ(planets->u.array.length, static_cast<unsigned>(kLevelCount));

    std::vector<float> radii = {static_cast<float>(number(json_object_get(root.get(), "orbitRadius")))};
    std::set<int> meshes = {static_cast<int>(number(json_object_get(root.get(), "meshIndex")))};
    EXPECT_EQ(*meshes.begin(), 0) << "the star's mesh";
    for (unsigned i = 0; i < planets->u.array.length; ++i) {
        SCOPED_TRACE(i);
        const json_value* planet = planets->u.array.values[i];
        EXPECT_EQ(json_object_get(planet, "name")->type, json_string);
        EXPECT_EQ(text(json_object_get(planet, "levelPath")), levelEntry(static_cast<int>(i) + 1));
        for (const char* key : {"meshIndex", "scale", "orbitRadius", "orbitSpeed"}) {
            ASSERT_TRUE(isNumber(json_object_get(planet, key))) << key;
        }
        const int mesh = static_cast<int>(number(json_object_get(planet, "meshIndex")));
        EXPECT_TRUE(mesh >= 1 && mesh <= 13);
        meshes.insert(mesh);
        EXPECT_EQ(number(json_object_get(planet, "scale")), 1.0);
        const double speed = number(json_object_get(planet, "orbitSpeed"));
        EXPECT_TRUE(speed > 0.0 && speed < 0.5) << "orbit speed " << speed;
        radii.push_back(static_cast<float>(number(json_object_get(planet, "orbitRadius"))));
    }
    EXPECT_EQ(meshes.size(), static_cast<size_t>(kLevelCount) + 1) << "two bodies share a mesh";

    std::sort(radii.begin(), radii.end());
    for (size_t i = 1; i < radii.size(); ++i) {
        EXPECT_GE(radii[i] - radii[i - 1], 10.0f) << "orbits " << radii[i - 1] << " and " << radii[i];
    }
    // The star map's camera at its start height and fully zoomed out: every orbit in the
    // picture (with room for the planet) and before the far plane.
    const glm::mat4 projection = glm::perspectiveRH(glm::half_pi<float>(), 1280.0f / 720.0f, 0.01f, 400.0f);
    constexpr float kPlanetRoom = 4.0f;
    for (float eyeHeight : {141.42136f, 300.0f}) {
        const glm::mat4 view = glm::lookAtRH(glm::vec3(0.0f, -100.0f, eyeHeight), glm::vec3(0.0f), glm::vec3(0, 0, 1));
        for (float radius : radii) {
            for (int step = 0; step < 32; ++step) {
                const float angle = glm::two_pi<float>() * static_cast<float>(step) / 32.0f;
                const glm::vec4 clip =
                    projection * view * glm::vec4((radius + kPlanetRoom) * glm::vec2(cos(angle), sin(angle)), 0, 1);
                const glm::vec3 ndc = glm::vec3(clip) / clip.w;
                EXPECT_TRUE(clip.w > 0.0f && std::fabs(ndc.x) < 1.0f && std::fabs(ndc.y) < 1.0f && ndc.z < 1.0f)
                    << "orbit " << radius << " leaves the view from height " << eyeHeight;
            }
        }
    }
}

// The 32 keys of a particle-system description; a misspelt key would silently read as 0.
const char* const kParticleKeys[] = {
    "max_particles", "flow", "color_start_r", "color_start_g", "color_start_b", "color_end_r", "color_end_g",
    "color_end_b", "size_start", "size_end", "lifetime_min", "liftime_max", "spawn_delay_min", "spawn_delay_max",
    "static_velocity_min_x", "static_velocity_min_y", "static_velocity_min_z", "static_velocity_max_x",
    "static_velocity_max_y", "static_velocity_max_z", "static_position_min_x", "static_position_min_y",
    "static_position_min_z", "static_position_max_x", "static_position_max_y", "static_position_max_z",
    "gravity_min_x", "gravity_min_y", "gravity_min_z", "gravity_max_x", "gravity_max_y", "gravity_max_z"};

// A random value is min plus a draw below |max - min| in steps of 0.001, and exactly 0 when
// the two lie closer than that: such a pair only makes sense at 0.
float effectiveLow(double low, double high) {
    return std::fabs(high - low) < 0.001 ? 0.0f : static_cast<float>(std::min(low, high));
}

TEST(ParticleSystemDescriptions, CarryTheirKeysAndWorkingRanges) {
    SKIP_WITHOUT_RUN_FOLDER();
    struct Case {
        const char* entry;
        bool flows;  // respawns from its own boxes at its own rate
    };
    const Case cases[] = {{"particlesystems/artefact.json", true},  {"particlesystems/death.json", false},
                          {"particlesystems/explosion.json", false}, {"particlesystems/glow.json", true},
                          {"particlesystems/rocketengine.json", true}, {"particlesystems/smoke.json", false},
                          {"particlesystems/snow.json", true},       {"particlesystems/starfield.json", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_TRUE(inPackage(c.entry));
        const JsonTree root = readJson(c.entry);
        ASSERT_NE(root, nullptr);
        ASSERT_EQ(root->type, json_object);
        std::map<std::string, double> values;
        for (unsigned i = 0; i < root->u.object.length; ++i) {
            const json_value* value = root->u.object.values[i].value;
            EXPECT_TRUE(isNumber(value)) << root->u.object.values[i].name;
            if (isNumber(value)) {
                values[root->u.object.values[i].name] = number(value);
            }
        }
        for (const char* key : kParticleKeys) {
            EXPECT_EQ(values.count(key), 1u) << key;
        }
        EXPECT_EQ(values.size(), std::size(kParticleKeys)) << "a key the reader does not know";
        for (const std::string lowKey : kParticleKeys) {
            const size_t min = lowKey.find("min");
            if (min == std::string::npos) {
                continue;
            }
            const std::string highKey =
                lowKey == "lifetime_min" ? "liftime_max" : lowKey.substr(0, min) + "max" + lowKey.substr(min + 3);
            const double low = values[lowKey];
            const double high = values[highKey];
            EXPECT_TRUE(low == high ? low == 0.0 : std::fabs(high - low) >= 0.001)
                << lowKey << " and " << highKey << " give 0, not their bound";
        }
        EXPECT_GE(values["max_particles"], 1.0);
        EXPECT_GT(effectiveLow(values["lifetime_min"], values["liftime_max"]), 0.0f) << "particles that never live";
        EXPECT_EQ(values["flow"] > 0.0, c.flows) << "flow";
        for (const char* size : {"size_start", "size_end"}) {
            EXPECT_GT(values[size], 0.0) << size;
        }
    }
}

// The level hangs its snow 75 units over the player: the flakes must fall, and live long
// enough to come down to the ground.
TEST(ParticleSystemDescriptions, SnowReachesTheGround) {
    SKIP_WITHOUT_RUN_FOLDER();
    const JsonTree root = readJson("particlesystems/snow.json");
    ASSERT_NE(root, nullptr);
    auto value = [&](const char* key) { return number(json_object_get(root.get(), key)); };
    constexpr double kDrop = 75.0 - 25.0;  // to the highest ground
    const double slowestFall = -std::max(value("static_velocity_min_z"), value("static_velocity_max_z"));
    EXPECT_GT(slowestFall, 0.0);
    EXPECT_GE(slowestFall * std::min(value("lifetime_min"), value("liftime_max")), kDrop);
}

}  // namespace
