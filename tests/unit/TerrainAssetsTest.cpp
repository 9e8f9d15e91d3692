// The generated heightmaps and usage maps, read back as the terrain tiles read them.
#include <gtest/gtest.h>

#include "TerrainReplay.h"
#include "support/TestSupport.h"

#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using terrain_replay::Heightmap;
using terrain_replay::kTileCount;

constexpr int kTileSize = 128;
constexpr float kRocketBaseZ = 12.0f;
constexpr float kRocketLegReach = 0.5f;  // how far below its base the rocket's feet may reach
constexpr float kRocketPadRadius = 5.0f;
constexpr float kUfoHeight = 22.0f;
constexpr float kMostGroundBelow = 18.0f;
constexpr float kMostGroundShare = 0.9f;

class TerrainAssets : public ::testing::Test {
protected:
    void SetUp() override {
        if (!terrain_replay::haveRunFolder()) {
            GTEST_SKIP() << "no assets in " << terrain_replay::runDir();
        }
        for (int tile = 0; tile < kTileCount; ++tile) {
            ASSERT_TRUE(terrain_replay::loadHeightmap(tile, &maps[tile])) << "heightmap " << tile;
            ASSERT_EQ(maps[tile].width, kTileSize);
            ASSERT_EQ(maps[tile].height, kTileSize);
        }
    }
    Heightmap maps[kTileCount];
};

// Tiles meet in any order, so every edge of every tile lies at one height, and the rocket
// stands on the shared corner of four tiles.
TEST_F(TerrainAssets, EdgesShareOneHeightAndCornersCarryTheRocket) {
    const float border = maps[0].at(0, 0);
    EXPECT_LE(border, kRocketBaseZ + 0.05f);
    EXPECT_GE(border, kRocketBaseZ - kRocketLegReach);
    const int last = kTileSize - 1;
    for (int tile = 0; tile < kTileCount; ++tile) {
        SCOPED_TRACE(tile);
        int offEdge = 0;
        int offPad = 0;
        for (int row = 0; row < kTileSize; ++row) {
            for (int column = 0; column < kTileSize; ++column) {
                const float h = maps[tile].at(column, row);
                if ((row == 0 || row == last || column == 0 || column == last) && h != border) {
                    ++offEdge;
                }
                const float cornerX = column < kTileSize / 2 ? 0.0f : static_cast<float>(last);
                const float cornerY = row < kTileSize / 2 ? 0.0f : static_cast<float>(last);
                if (std::hypot(column - cornerX, row - cornerY) <= kRocketPadRadius && h != border) {
                    ++offPad;
                }
            }
        }
        EXPECT_EQ(offEdge, 0) << "edge pixels off the border height";
        EXPECT_EQ(offPad, 0) << "pixels near a corner off the border height";
    }
}

TEST_F(TerrainAssets, GroundStaysBelowTheUfosAndVaries) {
    for (int tile = 0; tile < kTileCount; ++tile) {
        SCOPED_TRACE(tile);
        const std::vector<float>& heights = maps[tile].heights;
        const auto [lowest, highest] = std::minmax_element(heights.begin(), heights.end());
        const auto belowMost = std::count_if(heights.begin(), heights.end(),
                                             [](float h) { return h < kMostGroundBelow; });
        EXPECT_LT(*highest, kUfoHeight);
        EXPECT_GE(static_cast<float>(belowMost), kMostGroundShare * static_cast<float>(heights.size()));
        EXPECT_GE(*highest - *lowest, 3.0f) << "a flat tile";
    }
}

// Each lake of the game's water table lies in a basin: ground below the water inside the
// square, and a shore above it all along the square's edges.
TEST_F(TerrainAssets, WaterSquaresHoldBasinsWithShores) {
    const int lakeTiles[] = {0, 1, 2, 7, 12, 13};
    for (int tile : lakeTiles) {
        SCOPED_TRACE(tile);
        const terrain_replay::Water water = terrain_replay::waterOf(tile);
        const Heightmap& map = maps[tile];
        const int drawnSide = static_cast<int>(water.side) - 1;
        int underWater = 0;
        for (int dy = 0; dy <= drawnSide; ++dy) {
            for (int dx = 0; dx <= drawnSide; ++dx) {
                underWater += map.elevation(water.corner.x + dx, water.corner.y + dy) < water.level - 0.1f;
            }
        }
        EXPECT_GE(underWater, (drawnSide + 1) * (drawnSide + 1) / 5) << "hardly a basin";
        // The square the game tests for wading, and the grid it draws, which is one unit short.
        for (float side : {water.side, std::floor(water.side) - 1.0f}) {
            for (float t = 0.0f; t <= side; t += 0.25f) {
                const glm::vec2 edges[] = {water.corner + glm::vec2(t, 0.0f), water.corner + glm::vec2(t, side),
                                           water.corner + glm::vec2(0.0f, t), water.corner + glm::vec2(side, t)};
                for (const glm::vec2& p : edges) {
                    ASSERT_GT(map.elevation(p.x, p.y), water.level) << "water spills at " << p.x << ", " << p.y;
                }
            }
        }
    }
}

// The usage map follows its heightmap, rows counted the same way: ground under water reads
// as low ground, the steepest slope of a tile as rock, the flat corner pad as no rock.
TEST_F(TerrainAssets, UsageMapsFollowTheirTerrain) {
    constexpr int kRock = 0;
    constexpr int kLow = 2;
    for (int tile = 0; tile < kTileCount; ++tile) {
        SCOPED_TRACE(tile);
        const std::string bytes = testing_support::readFile(terrain_replay::runDir() +
                                                            "/textures/heightmaps/tu_" + std::to_string(tile) + ".png");
        int width = 0, height = 0, channels = 0;
        stbi_set_flip_vertically_on_load(1);
        const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> usage(
            stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                  &width, &height, &channels, 3),
            stbi_image_free);
        ASSERT_NE(usage, nullptr);
        ASSERT_EQ(width, kTileSize);
        ASSERT_EQ(height, kTileSize);
        auto weight = [&](int column, int row, int channel) { return usage.get()[(row * width + column) * 3 + channel]; };

        const Heightmap& map = maps[tile];
        float steepest = 0.0f;
        int steepColumn = 0, steepRow = 0;
        for (int row = 1; row < kTileSize - 1; ++row) {
            for (int column = 1; column < kTileSize - 1; ++column) {
                const float slope = std::hypot(map.at(column + 1, row) - map.at(column - 1, row),
                                               map.at(column, row + 1) - map.at(column, row - 1)) / 2.0f;
                if (slope > steepest) {
                    steepest = slope;
                    steepColumn = column;
                    steepRow = row;
                }
                if (map.at(column, row) < 5.0f) {
                    ASSERT_GT(weight(column, row, kLow), 200) << column << ", " << row;
                }
            }
        }
        if (steepest > 1.0f) {
            EXPECT_GT(weight(steepColumn, steepRow, kRock), 200);
        }
        EXPECT_EQ(weight(1, 1, kRock), 0);
    }
}

}  // namespace
