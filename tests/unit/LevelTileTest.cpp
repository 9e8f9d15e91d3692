// Terrain tiles from heightmaps made on the fly: the mesh, the height and normal queries,
// damaged heightmaps, and the seeded placement of objects.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "game/LevelObjectManager.h"
#include "game/LevelTile.h"
#include "support/ScriptedRand.h"
#include "support/TestSupport.h"

namespace {

const float kWhite = 15.0f * std::sqrt(3.0f);

// Grey values by column and row, row 0 at the bottom as the tile reads it.
std::string heightmap(int columns, int rows, const std::function<int(int, int)>& grey, int channels = 3) {
    std::vector<uint8_t> pixels;
    for (int top = 0; top < rows; ++top) {
        for (int c = 0; c < columns; ++c) {
            pixels.insert(pixels.end(), static_cast<size_t>(channels), static_cast<uint8_t>(grey(c, rows - 1 - top)));
        }
    }
    return testing_support::pngBytes(columns, rows, channels, pixels);
}

int rough(int c, int r) {
    return (c * 37 + r * 91 + c * r * 13) % 256;
}

// A package of heightmaps, the working directory while it lives, and tiles made from it.
struct Heightmaps {
    explicit Heightmaps(const testing_support::Entries& entries)
        : built(testing_support::buildPackage(dir.path(), entries)) {}
    LevelTile tile(const std::string& entry, float density = 0.0f) {
        return LevelTile(3, entry, "", "", "", "", &objects, density, "");
    }
    testing_support::TempDir dir;
    bool built;
    testing_support::ScopedWorkingDirectory inside{dir.path()};
    LevelObjectManager objects;
};

TEST(TerrainTile, MeshHeightsAndNormalsFollowTheHeightmap) {
    Heightmaps maps({{"black.png", heightmap(8, 8, [](int, int) { return 0; })},
                     {"white.png", heightmap(4, 4, [](int, int) { return 255; })},
                     {"grey.png", heightmap(
                                      5, 6, [](int, int) { return 51; }, 1)},
                     {"wide.png", heightmap(128, 64, rough)},
                     {"ramp.png", heightmap(16, 16, [](int c, int) { return 4 * c; })}});
    ASSERT_TRUE(maps.built);
    // The heightmap, its columns and rows, and the height of every vertex (below 0: the rough heights).
    const std::tuple<const char*, int, int, float> cases[] = {{"black.png", 8, 8, 0.0f},
                                                              {"white.png", 4, 4, kWhite},
                                                              {"grey.png", 5, 6, kWhite * 0.2f},
                                                              {"wide.png", 128, 64, -1.0f}};
    for (const auto& [entry, columns, rows, flat] : cases) {
        LevelTile tile = maps.tile(entry);
        ASSERT_TRUE(tile.buildMesh() && tile.width == columns - 1 && tile.height == rows - 1) << entry;
        ASSERT_EQ(tile.getVertices().size(), static_cast<size_t>(columns * rows));
        EXPECT_EQ(tile.getIndexCount(), 6 * (columns - 1) * (rows - 1));
        for (int i = 0; i < columns * rows; ++i) {
            const TerrainVertex& vertex = tile.getVertices()[i];
            const float z = flat >= 0.0f ? flat : kWhite * rough(i % columns, i / columns) / 255.0f;
            ASSERT_EQ(glm::vec2(vertex.position), glm::vec2(i % columns, i / columns));
            ASSERT_NEAR(vertex.position.z, z, 1e-4f) << entry << " vertex " << i;
            ASSERT_TRUE(flat < 0.0f || vertex.normal == glm::vec3(0.0f, 0.0f, -1.0f)) << entry << " vertex " << i;
        }
        // Whole repeats of the ground from edge to edge: tiles join without a seam.
        EXPECT_EQ(tile.getVertices().back().texCoord, glm::vec2(50.0f, 50.0f));
        const auto row = static_cast<unsigned>(columns);
        EXPECT_EQ(std::vector<unsigned>(tile.getIndices().begin(), tile.getIndices().begin() + 7),
                  (std::vector<unsigned>{0, row, 1, 1, row, row + 1, 1}));
    }
    // Heights lie on the plane of the mesh's triangle under the point, split along the cell's
    // diagonal from (x1, y0) to (x0, y1); normals are unit and downward.
    LevelTile tile = maps.tile("wide.png");
    ASSERT_TRUE(tile.buildMesh());
    const std::vector<TerrainVertex>& v = tile.getVertices();
    auto plane = [&v](glm::ivec2 a, glm::ivec2 b, glm::ivec2 c, glm::vec2 p) {
        const glm::vec3 pa = v[a.y * 128 + a.x].position,
                        n = glm::cross(v[b.y * 128 + b.x].position - pa, v[c.y * 128 + c.x].position - pa);
        return pa.z - (n.x * (p.x - pa.x) + n.y * (p.y - pa.y)) / n.z;
    };
    EXPECT_NEAR(tile.getElevation(10.25f, 20.25f), plane({10, 20}, {11, 20}, {10, 21}, {10.25f, 20.25f}), 1e-4f);
    EXPECT_NEAR(tile.getElevation(10.75f, 20.6f), plane({10, 21}, {11, 20}, {11, 21}, {10.75f, 20.6f}), 1e-4f);
    EXPECT_NE(plane({10, 20}, {11, 20}, {10, 21}, {10.75f, 20.6f}),
              plane({10, 21}, {11, 20}, {11, 21}, {10.75f, 20.6f}));
    for (float p = 0.0f; p < 60.0f; p += 0.37f) {
        EXPECT_TRUE(std::fabs(glm::length(tile.getNormal(p, p * 0.9f)) - 1.0f) < 1e-5f &&
                    tile.getNormal(p, p * 0.9f).z < 0.0f);
    }
    EXPECT_EQ(tile.getElevation(10, 12), v[12 * 128 + 10].position.z);
    // The blend follows each corner's own normal up to that corner, in both triangles.
    for (const glm::ivec2 corner : {glm::ivec2(10, 12), glm::ivec2(11, 12), glm::ivec2(10, 13), glm::ivec2(11, 13)}) {
        const glm::vec2 near = glm::mix(glm::vec2(10.5f, 12.5f), glm::vec2(corner), 0.999f);
        EXPECT_LT(glm::distance(tile.getNormal(near.x, near.y), v[corner.y * 128 + corner.x].normal), 1e-2f)
            << corner.x;
    }
    // Off the tile (the level asks only inside it) the nearest edge answers.
    EXPECT_EQ(tile.getElevation(-3.0f, 5.0f), tile.getElevation(0.0f, 5.0f));
    EXPECT_EQ(tile.getElevation(200.0f, NAN), tile.getElevation(127.0f, 0.0f));
    // A slope rising along x: inner normals lean uphill, border ones point straight down.
    LevelTile ramp = maps.tile("ramp.png");
    ASSERT_TRUE(ramp.buildMesh());
    EXPECT_LT(glm::distance(ramp.getNormal(6.3f, 7.8f), glm::normalize(glm::vec3(kWhite * 4.0f / 255.0f, 0.0f, -1.0f))),
              1e-5f);
    EXPECT_EQ(ramp.getVertices()[5].normal, glm::vec3(0.0f, 0.0f, -1.0f));
}

TEST(TerrainTile, DamagedHeightmapsFailWithOneLine) {
    std::string huge = heightmap(2, 2, rough);
    huge.replace(16, 8, std::string("\x00\x00\x27\x10\x00\x00\x27\x10", 8));  // 10,000 square in the header
    Heightmaps maps({{"text.png", "not an image"}, {"thin.png", heightmap(1, 9, rough)}, {"huge.png", huge}});
    ASSERT_TRUE(maps.built);
    const char* const cases[][2] = {
        {"absent.png", "Failed to load package data for absent.png"},
        {"text.png", "Failed to decode heightmap text.png"},
        {"thin.png", "Heightmap thin.png is 1 x 9 pixels: a tile needs 2 to 1024 on each side"},
        {"huge.png", "Heightmap huge.png is 10000 x 10000 pixels: a tile needs 2 to 1024 on each side"},
    };
    for (const auto& c : cases) {
        LevelTile tile = maps.tile(c[0]);
        testing_support::CapturedStdout output;
        EXPECT_FALSE(tile.buildMesh());
        EXPECT_NE(output.finish().find(std::string("] ") + c[1] + "\n"), std::string::npos) << c[0];
        EXPECT_EQ(tile.getElevation(1.0f, 1.0f), 0.0f);
    }
}

// x, y as get_random_int(2, last) draws them: the low byte of the last of four rand() values.
std::deque<int> spot(int x, int y) {
    return {0, 0, 0, x - 2, 0, 0, 0, y - 2};
}

TEST(TerrainTile, PlacementKeepsClearOfWaterCornersAndOtherObjects) {
    // Low ground, where spacing counts; hm_0 has its water square by its name.
    const char* const lake = "textures/heightmaps/hm_0.png";
    Heightmaps maps({{lake, heightmap(128, 128, [](int c, int r) { return 30 + (c + r) % 15; })},
                     {"small.png", heightmap(24, 24, [](int, int) { return 40; })},
                     {"narrow.png", heightmap(4, 30, [](int, int) { return 40; })}});
    ASSERT_TRUE(maps.built);
    maps.objects.kinds = {4, 9};
    LevelTile tile = maps.tile(lake, 0.1f);
    ASSERT_TRUE(tile.buildMesh());
    tile.placeObjects();
    ASSERT_EQ(tile.getObjects().size(), 50u);
    for (size_t i = 0; i < 50; ++i) {
        const glm::vec3 p = tile.getObjects()[i]->position;
        EXPECT_TRUE(p.x == std::floor(p.x) && p.y == std::floor(p.y) && glm::min(p.x, p.y) >= 2 &&
                    glm::max(p.x, p.y) <= 125);
        EXPECT_FALSE(p.x > 24.6f && p.x < 52.6f && p.y > 37.7f && p.y < 65.7f) << p.x << " " << p.y;
        for (const glm::vec2 corner : {glm::vec2(0, 0), glm::vec2(127, 0), glm::vec2(0, 127), glm::vec2(127, 127)}) {
            EXPECT_GE(glm::distance(glm::vec2(p), corner), 10.0f);
        }
        EXPECT_TRUE(p.z == tile.getElevation(p.x, p.y) &&
                    (tile.getObjects()[i]->kind == 4 || tile.getObjects()[i]->kind == 9));
        for (size_t j = 0; j < i; ++j) {  // from the earlier object, its height included
            const glm::vec3 earlier = tile.getObjects()[j]->position;
            EXPECT_GE(glm::length(glm::vec3(glm::vec2(earlier - p), earlier.z)), 5.0f) << i << " " << j;
        }
    }
    EXPECT_TRUE(tile.inWater({30, 40, 1.0f}) && !tile.inWater({30, 40, 1.5f}) && !tile.inWater({20, 40, 0.0f}));
    {  // The draws: x and y per attempt (by a corner, in the water, free), then the kind, nothing else.
        LevelTile scripted = maps.tile(lake, 0.002f);
        ASSERT_TRUE(scripted.buildMesh());
        std::deque<int> script = spot(3, 4);
        for (const std::deque<int>& more : {spot(30, 40), spot(60, 70), std::deque<int>{0, 0, 0, 1}}) {
            script.insert(script.end(), more.begin(), more.end());
        }
        testing_support::ScriptedRand rand(script);
        scripted.placeObjects();
        EXPECT_EQ(rand.draws(), 28);
        ASSERT_EQ(scripted.getObjects().size(), 1u);
        EXPECT_TRUE(glm::vec2(scripted.getObjects()[0]->position) == glm::vec2(60, 70) &&
                    scripted.getObjects()[0]->kind == 9);
        // A later spot is refused just inside 5 of it, its height included, and taken just outside.
        const glm::vec3 placed = scripted.getObjects()[0]->position;
        for (const auto& [reach, crowded] : {std::pair{4.99f, true}, {5.01f, false}}) {
            const float across = std::sqrt(reach * reach - placed.z * placed.z);
            EXPECT_EQ(scripted.tooClose(placed.x, placed.y + across), crowded) << reach << " at height " << placed.z;
        }
    }
    // Too few objects, too narrow or no kinds: nothing placed and no draw taken.
    const std::tuple<const char*, float, std::vector<int>> idle[] = {
        {lake, 0.0019f, {4}}, {"narrow.png", 0.1f, {4}}, {lake, 0.1f, {}}};
    for (const auto& [entry, density, kinds] : idle) {
        maps.objects.kinds = kinds;
        LevelTile empty = maps.tile(entry, density);
        testing_support::ScriptedRand rand({});
        ASSERT_TRUE(empty.buildMesh());
        empty.placeObjects();
        EXPECT_TRUE(empty.getObjects().empty() && rand.draws() == 0) << entry;
    }
    // A crowded tile stops placing, with a warning.
    maps.objects.kinds = {1};
    LevelTile crowded = maps.tile("small.png", 1.0f);
    ASSERT_TRUE(crowded.buildMesh());
    testing_support::CapturedStdout output;
    crowded.placeObjects();
    const std::string placed = std::to_string(crowded.getObjects().size());
    EXPECT_NE(output.finish().find("] Tile small.png has room for " + placed + " of its 400 objects\n"),
              std::string::npos);
    EXPECT_GT(crowded.getObjects().size(), 3u);
}

}  // namespace
