// The generated heightmaps read back by the game's own terrain tile from the run folder's package.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "game/LevelTile.h"
#include "support/RunAssets.h"
#include "support/TestSupport.h"

namespace {

constexpr int kTileCount = 14;
constexpr int kLast = 127;

// Runs check on each heightmap's tile, its mesh built from the run folder's package.
void forEachTile(const std::function<void(int, LevelTile&)>& check) {
    testing_support::ScopedWorkingDirectory inside(QUENLOW_RUN_DIR);
    LevelObjectManager objects;
    for (int index = 0; index < kTileCount; ++index) {
        SCOPED_TRACE("tile " + std::to_string(index));
        LevelTile tile(index, "textures/heightmaps/hm_" + std::to_string(index) + ".png", "", "", "", "", &objects,
                       0.0f, "");
        ASSERT_TRUE(tile.buildMesh() && tile.width == kLast && tile.height == kLast);
        check(index, tile);
    }
}

// Tiles meet in any order, so every edge lies at one height, and the rocket (base 12 up, feet
// half a unit below) stands on the flat shared corner of four tiles; the ground stays below the
// flying saucers, nearly all of it well below them. Each lake lies in a basin: ground under the
// water inside the square, a shore above it all along both the square the game tests for wading
// and the one unit smaller grid it draws.
TEST(TerrainAssets, EdgesShareOneHeightAndLakesLieInBasins) {
    REQUIRE_RUN_ASSETS();
    forEachTile([](int, LevelTile& tile) {
        const float border = tile.getElevation(0.0f, 0.0f);
        EXPECT_TRUE(border <= 12.05f && border >= 11.5f) << border;
        float lowest = 1e9f, highest = -1e9f;
        size_t belowSaucers = 0;
        for (const TerrainVertex& vertex : tile.getVertices()) {
            const glm::vec2 p(vertex.position);
            const glm::vec2 corner(p.x < 64 ? 0 : kLast, p.y < 64 ? 0 : kLast);
            const bool onEdge = p.x == 0 || p.y == 0 || p.x == kLast || p.y == kLast;
            ASSERT_TRUE(!(onEdge || glm::distance(p, corner) <= 5.0f) || vertex.position.z == border)
                << p.x << "," << p.y;
            lowest = std::min(lowest, vertex.position.z);
            highest = std::max(highest, vertex.position.z);
            belowSaucers += vertex.position.z < 18.0f;
        }
        EXPECT_TRUE(highest < 22.0f && highest - lowest >= 3.0f) << "too high or flat";
        EXPECT_GE(belowSaucers, tile.getVertices().size() * 9 / 10);
        float side = 0.0f;
        const glm::vec3 water = tile.getWaterPosAndSize(&side);
        const int cells = std::max(0, static_cast<int>(side));  // the drawn grid's points along a side
        int underWater = 0;
        for (int cell = 0; cell < cells * cells; ++cell) {
            underWater += tile.getElevation(water.x + cell % cells, water.y + cell / cells) < water.z - 0.1f;
        }
        EXPECT_GE(underWater, cells * cells / 5) << "hardly a basin";
        for (const float edge : {side, std::floor(side) - 1.0f}) {
            for (float t = 0.0f; side > 0.0f && t <= edge; t += 0.25f) {
                for (const glm::vec2& p :
                     {glm::vec2(t, 0.0f), glm::vec2(t, edge), glm::vec2(0.0f, t), glm::vec2(edge, t)}) {
                    ASSERT_GT(tile.getElevation(water.x + p.x, water.y + p.y), water.z)
                        << "spills at " << p.x << "," << p.y;
                }
            }
        }
    });
}

// The usage map weighs the terrain's looks by its heightmap, rows counted the same way: ground
// under water reads as low (blue), the steepest slope of a tile as rock (red), the flat corner
// pad as no rock.
TEST(TerrainAssets, UsageMapsFollowTheirTerrain) {
    REQUIRE_RUN_ASSETS();
    forEachTile([](int index, LevelTile& tile) {
        testing_support::Image usage;
        ASSERT_TRUE(testing_support::decodeRunImage("textures/heightmaps/tu_" + std::to_string(index) + ".png", &usage,
                                                    3, true) &&
                    usage.width == kLast + 1 && usage.height == kLast + 1);
        auto height = [&](int column, int row) { return tile.getElevation(column, row); };
        float steepest = 0.0f;
        glm::ivec2 steep(0);
        for (int row = 1; row < kLast; ++row) {
            for (int column = 1; column < kLast; ++column) {
                const float slope = std::hypot(height(column + 1, row) - height(column - 1, row),
                                               height(column, row + 1) - height(column, row - 1)) /
                                    2.0f;
                steep = slope > steepest ? glm::ivec2(column, row) : steep;
                steepest = std::max(steepest, slope);
                ASSERT_TRUE(height(column, row) >= 5.0f || usage.at(column, row)[2] > 200) << column << "," << row;
            }
        }
        EXPECT_TRUE(steepest <= 1.0f || usage.at(steep.x, steep.y)[0] > 200) << steep.x << "," << steep.y;
        EXPECT_EQ(usage.at(1, 1)[0], 0);
    });
}

}  // namespace
