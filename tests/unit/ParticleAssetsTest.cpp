// The hand-written particle-system descriptions, read from the run folder with the game's JSON
// entry point. A misspelt key silently reads as 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

// Every key of a particle-system description is a number the reader knows, and each min/max
// pair lies 0.001 or more apart, because the random draw between two closer bounds gives
// exactly 0 instead of either bound.
TEST(ParticleSystemDescriptions, CarryTheirKeysAndWorkingRanges) {
    SKIP_WITHOUT_RUN_ASSETS();
    std::set<std::string> known;
    std::istringstream keys(
        "max_particles flow color_start_r color_start_g color_start_b color_end_r color_end_g color_end_b size_start "
        "size_end lifetime_min liftime_max spawn_delay_min spawn_delay_max static_velocity_min_x static_velocity_min_y "
        "static_velocity_min_z static_velocity_max_x static_velocity_max_y static_velocity_max_z static_position_min_x "
        "static_position_min_y static_position_min_z static_position_max_x static_position_max_y static_position_max_z "
        "gravity_min_x gravity_min_y gravity_min_z gravity_max_x gravity_max_y gravity_max_z");
    for (std::string key; keys >> key;) {
        known.insert(key);
    }
    // Effects that flow respawn at their own rate; the others (false) burst once.
    const std::map<std::string, bool> flows = {{"artefact", 1}, {"death", 0}, {"explosion", 0},    {"glow", 1},
                                               {"smoke", 0},    {"snow", 1},  {"rocketengine", 1}, {"starfield", 1}};
    for (const auto& [name, flowing] : flows) {
        const std::string entry = "particlesystems/" + name + ".json";
        SCOPED_TRACE(entry);
        const testing_support::JsonTree root = testing_support::readRunJson(entry);
        ASSERT_TRUE(inPackage(entry) && root != nullptr && root->type == json_object);
        std::map<std::string, double> values;
        for (unsigned i = 0; i < root->u.object.length; ++i) {
            const auto& member = root->u.object.values[i];
            EXPECT_TRUE(isNumber(member.value) && known.count(member.name)) << member.name;
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
