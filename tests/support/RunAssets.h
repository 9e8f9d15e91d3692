// The generated assets in the run folder, read the way the game reads them: pictures
// through stb_image, descriptions through the game's JSON entry point.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Json.h"

namespace testing_support {

std::string runPath(const std::string& entry);
// False in a build that has not laid out the run folder yet.
bool haveRunAssets();

struct Image {
    int width = 0;
    int height = 0;
    int stored = 0;    // channels in the file
    int channels = 0;  // channels per pixel in `pixels`
    std::vector<uint8_t> pixels;

    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
};
// Decodes an 8-bit picture with `channels` per pixel (0: as stored), bottom row first when flip.
bool decodeRunImage(const std::string& entry, Image* image, int channels = 0, bool flip = false);

// Builds dir/data.tul from the run folder's entries, in the game's list order, leaving out
// `missing`: a real package with one hole in it.
bool buildRunPackageWithout(const std::string& dir, const std::string& missing);

using JsonTree = std::unique_ptr<json_value, decltype(&json_value_free)>;
JsonTree readRunJson(const std::string& entry);
// The member key of an object; null when value is not an object or has no such member.
const json_value* jsonMember(const json_value* value, const char* key);
double jsonNumber(const json_value* value);     // 0 unless a number
std::string jsonText(const json_value* value);  // empty unless a string

}  // namespace testing_support

// A test of the generated assets fails without them, saying what is missing: a skipped test
// would count as passed. In a fixture's SetUp the failure also keeps the test body from running.
#define REQUIRE_RUN_ASSETS()                                                                            \
    if (!testing_support::haveRunAssets()) {                                                            \
        GTEST_FAIL() << "no generated assets in " << QUENLOW_RUN_DIR << ": build the run folder first"; \
    }
