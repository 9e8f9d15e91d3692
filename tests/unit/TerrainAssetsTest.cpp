// The generated heightmaps read back as the terrain tiles read them, and a replay of each
// level's seeded set-up over them, to check the artefact against the ground under it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include <glm/glm.hpp>

#include "core/MathUtil.h"
#include "support/RunAssets.h"

namespace {

constexpr int kTileCount = 14;
constexpr int kTileSize = 128;
constexpr float kRocketBaseZ = 12.0f;
constexpr float kRocketLegReach = 0.5f;  // how far below its base the rocket's feet reach

struct Heightmap {
    std::vector<float> heights;  // row from the bottom times kTileSize plus column

    float at(int column, int row) const { return heights[row * kTileSize + column]; }
    // The tile's height lookup between the vertices: one triangle of the cell.
    float elevation(float x, float y) const {
        auto index = [](float value) { return std::clamp(static_cast<int>(value), 0, kTileSize - 1); };
        const int x0 = index(x), x1 = index(x + 1.0f), y0 = index(y), y1 = index(y + 1.0f);
        auto vertex = [&](int c, int r) { return glm::vec3(c, r, at(c, r)); };
        const bool first = glm::length(glm::vec2(x - x0, y - y0)) <= glm::length(glm::vec2(x - x1, y - y1));
        const glm::vec3 a = first ? vertex(x0, y0) : vertex(x0, y1);
        const glm::vec3 n = glm::cross(vertex(x1, y0) - a, (first ? vertex(x0, y1) : vertex(x1, y1)) - a);
        return a.z - (n.x * (x - a.x) + n.y * (y - a.y)) / n.z;
    }
};

// The water square the game gives each heightmap tile; a side of 0 is no water.
struct Water {
    glm::vec2 corner;
    float level, side;
};
const Water kWater[kTileCount] = {{{24.6f, 37.7f}, 0.3f, 28}, {{11.3f, 75.4f}, 5, 10}, {{46.5f, 77.6f}, 5, 15},
                                  {}, {}, {}, {}, {{41, 62}, 5, 17}, {}, {}, {}, {},
                                  {{23, 22}, 0.3f, 85}, {{23, 22}, 0.3f, 85}};

bool inWater(const Water& water, const glm::vec2& p) {
    return water.side > 0.0f && MathUtil::pointInRectangle(p, water.corner + water.side / 2.0f, glm::vec2(water.side));
}

class TerrainAssets : public ::testing::Test {
protected:
    // 8-bit RGB, 128 x 128, flipped as a tile loads it; the height is the colour's length.
    void SetUp() override {
        SKIP_WITHOUT_RUN_ASSETS();
        for (int tile = 0; tile < kTileCount; ++tile) {
            testing_support::Image image;
            const std::string entry = "textures/heightmaps/hm_" + std::to_string(tile) + ".png";
            ASSERT_TRUE(testing_support::decodeRunImage(entry, &image, 0, true) && image.stored == 3 &&
                        image.width == kTileSize && image.height == kTileSize) << entry;
            for (size_t i = 0; i < image.pixels.size(); i += 3) {
                const glm::vec3 rgb(image.pixels[i], image.pixels[i + 1], image.pixels[i + 2]);
                maps[tile].heights.push_back(15.0f * glm::length(rgb / 255.0f));
            }
        }
    }
    Heightmap maps[kTileCount];
};

// Tiles meet in any order, so every edge lies at one height, and the rocket stands on the
// flat shared corner of four tiles; the ground stays below the flying saucers.
TEST_F(TerrainAssets, EdgesShareOneHeightThatCarriesTheRocket) {
    const float border = maps[0].at(0, 0);
    EXPECT_TRUE(border <= kRocketBaseZ + 0.05f && border >= kRocketBaseZ - kRocketLegReach) << border;
    const int last = kTileSize - 1;
    for (int tile = 0; tile < kTileCount; ++tile) {
        int offBorder = 0;
        for (int row = 0; row < kTileSize; ++row) {
            for (int column = 0; column < kTileSize; ++column) {
                const glm::vec2 corner(column < kTileSize / 2 ? 0 : last, row < kTileSize / 2 ? 0 : last);
                const bool onPad = glm::length(glm::vec2(column, row) - corner) <= 5.0f;
                const bool onEdge = row == 0 || row == last || column == 0 || column == last;
                offBorder += (onEdge || onPad) && maps[tile].at(column, row) != border;
            }
        }
        EXPECT_EQ(offBorder, 0) << "tile " << tile;
        const auto [lowest, highest] = std::minmax_element(maps[tile].heights.begin(), maps[tile].heights.end());
        EXPECT_TRUE(*highest < 22.0f && *highest - *lowest >= 3.0f) << "tile " << tile << " too high or flat";
    }
}

// Each lake lies in a basin: ground below the water inside the square, a shore above it all
// along both the square the game tests for wading and the one unit smaller grid it draws.
TEST_F(TerrainAssets, WaterSquaresHoldBasinsWithShores) {
    for (int tile = 0; tile < kTileCount; ++tile) {
        const Water& water = kWater[tile];
        if (water.side <= 0.0f) {
            continue;
        }
        const int drawnSide = static_cast<int>(water.side) - 1;
        int underWater = 0;
        for (int dy = 0; dy <= drawnSide; ++dy) {
            for (int dx = 0; dx <= drawnSide; ++dx) {
                underWater += maps[tile].elevation(water.corner.x + dx, water.corner.y + dy) < water.level - 0.1f;
            }
        }
        EXPECT_GE(underWater, (drawnSide + 1) * (drawnSide + 1) / 5) << "hardly a basin on tile " << tile;
        for (float side : {water.side, std::floor(water.side) - 1.0f}) {
            for (float t = 0.0f; t <= side; t += 0.25f) {
                for (const glm::vec2& p : {water.corner + glm::vec2(t, 0.0f), water.corner + glm::vec2(t, side),
                                           water.corner + glm::vec2(0.0f, t), water.corner + glm::vec2(side, t)}) {
                    ASSERT_GT(maps[tile].elevation(p.x, p.y), water.level) << "tile " << tile << " spills at " << p.x;
                }
            }
        }
    }
}

struct LevelReplay {
    std::vector<glm::vec2> objects[kTileCount];
    int grid[9] = {};
    bool placed = true;  // every object found room within a sane number of tries
};

// The level's random draws from its seed: per tile its objects (x, y per try, then the
// kind) and 16 rand() per water vertex; then, reseeded, the 3 x 3 grid of tiles.
LevelReplay replayLevel(int seed, int objectCount, int kindCount, const Heightmap (&maps)[kTileCount]) {
    const float far = kTileSize - 1.0f;
    const glm::vec2 corners[] = {glm::vec2(0.0f), glm::vec2(far, 0.0f), glm::vec2(0.0f, far), glm::vec2(far)};
    LevelReplay replay;
    srand(static_cast<unsigned>(seed));
    for (int tile = 0; tile < kTileCount; ++tile) {
        for (int placed = 0; placed < objectCount && kindCount > 0 && replay.placed; ++placed) {
            glm::vec2 p;
            bool free = false;
            for (int tries = 0; !free && (replay.placed = tries < 1000); ++tries) {
                p.x = static_cast<float>(MathUtil::get_random_int(2, kTileSize - 3));
                p.y = static_cast<float>(MathUtil::get_random_int(2, kTileSize - 3));
                free = !inWater(kWater[tile], p) && std::none_of(corners, corners + 4, [&](const glm::vec2& corner) {
                    return MathUtil::pointInsideCircle(p, corner, 10.0f);
                });
                // The game measures the spacing to the other object's position, height and all.
                for (const glm::vec2& other : replay.objects[tile]) {
                    free = free && glm::length(glm::vec3(other - p, maps[tile].elevation(other.x, other.y))) >= 5.0f;
                }
            }
            MathUtil::get_random_int(0, kindCount - 1);
            replay.objects[tile].push_back(p);
        }
        for (int draw = 0; draw < 16 * static_cast<int>(kWater[tile].side * kWater[tile].side); ++draw) {
            rand();
        }
    }
    srand(static_cast<unsigned>(seed));
    bool used[kTileCount] = {};
    for (int& slot : replay.grid) {
        do {
            slot = rand() % kTileCount;
        } while (used[slot]);
        used[slot] = true;
    }
    return replay;
}

// The artefact floats 1 to 3 units over the ground of the tile under it as it bobs, clear
// of water and of the objects placed there.
TEST_F(TerrainAssets, EachLevelsArtefactFloatsClearAboveItsGround) {
    constexpr float kBob = 0.3f;
    const float tileWidth = kTileSize - 1.0f;
    for (int level = 1; level <= 9; ++level) {
        const std::string entry = "levels/system_1/s1p" + std::to_string(level) + ".json";
        const testing_support::JsonTree root = testing_support::readRunJson(entry);
        const json_value* kinds = testing_support::jsonMember(root.get(), "objectKinds");
        ASSERT_TRUE(kinds != nullptr && kinds->type == json_array) << entry;
        auto number = [&](const char* key) { return testing_support::jsonNumber(testing_support::jsonMember(root.get(), key)); };
        const glm::vec3 artefact(number("artefactPositionX"), number("artefactPositionY"), number("artefactPositionZ"));
        ASSERT_TRUE(glm::all(glm::greaterThanEqual(glm::vec2(artefact), glm::vec2(0.0f))) &&
                    glm::all(glm::lessThan(glm::vec2(artefact), glm::vec2(3.0f * tileWidth)))) << entry;
        const LevelReplay replay = replayLevel(static_cast<int>(number("seed")),
                                               static_cast<int>(static_cast<float>(number("objectDensity")) * 500.0f),
                                               static_cast<int>(kinds->u.array.length), maps);
        EXPECT_TRUE(replay.placed) << entry << ": a tile has no room for its objects";
        const int slot = static_cast<int>(artefact.y / tileWidth) * 3 + static_cast<int>(artefact.x / tileWidth);
        const int tile = replay.grid[slot];
        const glm::vec2 at(std::fmod(artefact.x, tileWidth), std::fmod(artefact.y, tileWidth));
        const float clearance = artefact.z - maps[tile].elevation(at.x, at.y);
        EXPECT_TRUE(clearance - kBob >= 1.0f && clearance + kBob <= 3.0f) << entry << " floats " << clearance;
        EXPECT_FALSE(inWater(kWater[tile], at)) << entry << " over tile " << tile;
        for (const glm::vec2& object : replay.objects[tile]) {
            EXPECT_GE(glm::length(object - at), 3.0f) << entry << " object at " << object.x << ", " << object.y;
        }
    }
}

}  // namespace
