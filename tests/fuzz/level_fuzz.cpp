// A planet's level description, read the way the level's set-up reads it, and what the walk's
// results feed that needs no OpenGL context: the object kinds, density and seed placing the
// forest on a small terrain tile, and the torus arithmetic with the numbers the walk read.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "core/Json.h"
#include "game/Level.h"
#include "game/LevelObjectManager.h"
#include "game/LevelTile.h"

namespace {

const char* const kLevelEntry = "levels/system_1/s1p1.json";
const char* const kHeightmapEntry = "textures/heightmaps/hm_3.png";
// Large enough to hold a few objects clear of its corners, small enough that a tile the
// density fills up costs a millisecond, not a second.
constexpr int kTileSide = 24;

// A grey PPM heightmap rising from a valley to a ridge, so that some objects stand high
// enough never to crowd another.
std::string heightmap() {
    std::string bytes = "P6\n" + std::to_string(kTileSide) + " " + std::to_string(kTileSide) + "\n255\n";
    for (int row = 0; row < kTileSide; ++row) {
        for (int column = 0; column < kTileSide; ++column) {
            bytes.append(3, static_cast<char>((row * 5 + column * 3) % 256));
        }
    }
    return bytes;
}

// The column the level takes for a coordinate must index its 3 x 3 grid whatever the number,
// and a wrapped coordinate the game can reach must land in its tile.
void checkTorus(float coordinate, int size) {
    const int column = torus_column(coordinate, size);
    if (column < 0 || column > 2) {
        abort();
    }
    const int tile = torus_tile(coordinate, size);
    const float wrapped = torus_wrap(coordinate, size);
    if (size > 0 && std::fabs(coordinate) < 1e6f && !(wrapped >= 0.0f && wrapped <= static_cast<float>(size))) {
        abort();
    }
    volatile int sink = tile;
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string tileBytes = heightmap();
    fuzz_support::writePackage(
        {{kLevelEntry, std::string(reinterpret_cast<const char*>(data), size)}, {kHeightmapEntry, tileBytes}});
    json_value* root = json_parse_entry(kLevelEntry);
    if (root == nullptr) {
        return 0;
    }
    Level level(kLevelEntry, true);
    level.process_value(root, 0, nullptr);
    json_value_free(root);

    LevelObjectManager objects;
    objects.kinds = level.getObjectKinds();
    srand(static_cast<unsigned int>(level.getSeed()));
    LevelTile tile(3, kHeightmapEntry, "textures/heightmaps/tu_3.png", "", "", "", &objects, level.getObjectDensity(),
                   "");
    if (!tile.buildMesh()) {
        abort();
    }
    tile.placeObjects();
    tile.getBounds();
    objects.getRandomObject();

    const float numbers[] = {level.artefactPosition.x,    level.artefactPosition.y,    level.artefactPosition.z,
                             level.skyboxLightPosition.x, level.skyboxLightPosition.y, level.skyboxLightPosition.z,
                             level.getObjectDensity()};
    const int sizes[] = {static_cast<int>(tile.width), level.getSeed(), level.getFootstepSound(glm::vec3(0.0f))};
    for (float number : numbers) {
        for (int side : sizes) {
            checkTorus(number, side);
        }
        tile.getElevation(torus_wrap(number, static_cast<int>(tile.width)), number);
        tile.getNormal(number, torus_wrap(number, static_cast<int>(tile.height)));
    }
    return 0;
}
