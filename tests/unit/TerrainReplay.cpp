#include "TerrainReplay.h"

#include "core/MathUtil.h"
#include "support/TestSupport.h"

#include <stb_image.h>

#include <cmath>
#include <cstdlib>
#include <unistd.h>

namespace terrain_replay {

namespace {

constexpr float kHeightScale = 15.0f;
constexpr float kObjectSpacing = 5.0f;
constexpr float kCornerClearance = 10.0f;
constexpr int kDrawsPerWaterVertex = 16;  // four random values of four rand() each
// The game draws again until a position passes; a replay that needs this many tries for
// one object shows a tile too crowded to place it.
constexpr int kMaxTriesPerObject = 1000;

bool tooClose(const std::vector<PlacedObject>& objects, float x, float y) {
    for (const PlacedObject& object : objects) {
        if (glm::length(glm::vec3(object.position.x - x, object.position.y - y, object.position.z)) <
            kObjectSpacing) {
            return true;
        }
    }
    return false;
}

bool nearCorner(const Heightmap& map, float x, float y) {
    const float w = static_cast<float>(map.width - 1);
    const float h = static_cast<float>(map.height - 1);
    const glm::vec2 corners[] = {{0.0f, 0.0f}, {w, 0.0f}, {0.0f, h}, {w, h}};
    for (const glm::vec2& corner : corners) {
        if (MathUtil::pointInsideCircle(glm::vec2(x, y), corner, kCornerClearance)) {
            return true;
        }
    }
    return false;
}

// Places one tile's objects, drawing x, y per try and the kind once placed.
bool placeObjects(const Heightmap& map, const Water& water, int count, int kindCount,
                  std::vector<PlacedObject>* objects) {
    const int maxX = static_cast<int>(static_cast<float>(map.width - 1) - 2.0f);
    const int maxY = static_cast<int>(static_cast<float>(map.height - 1) - 2.0f);
    for (int placed = 0; placed < count; ++placed) {
        int tries = 0;
        float x = 0.0f;
        float y = 0.0f;
        do {
            if (++tries > kMaxTriesPerObject) {
                return false;
            }
            x = static_cast<float>(MathUtil::get_random_int(2, maxX));
            y = static_cast<float>(MathUtil::get_random_int(2, maxY));
        } while (tooClose(*objects, x, y) || insideWaterSquare(water, x, y) || nearCorner(map, x, y));
        const int kind = MathUtil::get_random_int(0, kindCount - 1);
        objects->push_back({glm::vec3(x, y, map.elevation(x, y)), kind});
    }
    return true;
}

}  // namespace

float Heightmap::elevation(float x, float y) const {
    auto clampTo = [](float value, int limit) {
        const int index = static_cast<int>(value);
        return index < 0 ? 0 : (index > limit ? limit : index);
    };
    const int x0 = clampTo(x, width - 1);
    const int x1 = clampTo(x + 1.0f, width - 1);
    const int y0 = clampTo(y, height - 1);
    const int y1 = clampTo(y + 1.0f, height - 1);
    auto vertex = [&](int column, int row) {
        return glm::vec3(static_cast<float>(column), static_cast<float>(row), at(column, row));
    };
    const bool firstTriangle = glm::length(glm::vec2(x - x0, y - y0)) <= glm::length(glm::vec2(x - x1, y - y1));
    const glm::vec3 a = firstTriangle ? vertex(x0, y0) : vertex(x0, y1);
    const glm::vec3 b = vertex(x1, y0);
    const glm::vec3 c = firstTriangle ? vertex(x0, y1) : vertex(x1, y1);
    const glm::vec3 n = glm::cross(b - a, c - a);
    return a.z - (n.x * (x - a.x) + n.y * (y - a.y)) / n.z;
}

std::string runDir() {
    return QUENLOW_RUN_DIR;
}

bool haveRunFolder() {
    return access((runDir() + "/textures/heightmaps/hm_0.png").c_str(), F_OK) == 0 &&
           access((runDir() + "/levels/system_1/s1.json").c_str(), F_OK) == 0;
}

bool loadHeightmap(int tile, Heightmap* out) {
    const std::string bytes =
        testing_support::readFile(runDir() + "/textures/heightmaps/hm_" + std::to_string(tile) + ".png");
    if (bytes.empty()) {
        return false;
    }
    stbi_set_flip_vertically_on_load(1);
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                            static_cast<int>(bytes.size()), &width, &height, &channels, 0);
    if (pixels == nullptr || channels != 3) {
        stbi_image_free(pixels);
        return false;
    }
    out->width = width;
    out->height = height;
    out->heights.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < out->heights.size(); ++i) {
        const glm::vec3 rgb(pixels[i * 3] / 255.0f, pixels[i * 3 + 1] / 255.0f, pixels[i * 3 + 2] / 255.0f);
        out->heights[i] = kHeightScale * std::sqrt(glm::dot(rgb, rgb));
    }
    stbi_image_free(pixels);
    return true;
}

Water waterOf(int tile) {
    switch (tile) {
        case 0: return {{24.6f, 37.7f}, 0.3f, 28.0f};
        case 1: return {{11.3f, 75.4f}, 5.0f, 10.0f};
        case 2: return {{46.5f, 77.6f}, 5.0f, 15.0f};
        case 7: return {{41.0f, 62.0f}, 5.0f, 17.0f};
        case 12:
        case 13: return {{23.0f, 22.0f}, 0.3f, 85.0f};
        default: return {};
    }
}

bool insideWaterSquare(const Water& water, float x, float y) {
    return water.side > 0.0f && MathUtil::pointInRectangle(glm::vec2(x, y), water.corner + water.side / 2.0f,
                                                           glm::vec2(water.side, water.side));
}

LevelReplay replayLevel(int seed, float objectDensity, int kindCount, const Heightmap (&tiles)[kTileCount]) {
    LevelReplay replay;
    const int objectCount = static_cast<int>(objectDensity * 500.0f);
    srand(static_cast<unsigned>(seed));
    for (int tile = 0; tile < kTileCount; ++tile) {
        const Water water = waterOf(tile);
        if (objectCount > 0 && kindCount > 0 &&
            !placeObjects(tiles[tile], water, objectCount, kindCount, &replay.objects[tile])) {
            replay.placementFinished = false;
        }
        const int waterSide = static_cast<int>(water.side);
        for (int draw = 0; waterSide > 0 && draw < kDrawsPerWaterVertex * waterSide * waterSide; ++draw) {
            rand();
        }
    }
    srand(static_cast<unsigned>(seed));
    bool used[kTileCount] = {};
    for (int slot = 0; slot < kGridSlots; ++slot) {
        int tile = 0;
        do {
            tile = rand() % kTileCount;
        } while (used[tile]);
        used[tile] = true;
        replay.grid[slot] = tile;
    }
    return replay;
}

}  // namespace terrain_replay
