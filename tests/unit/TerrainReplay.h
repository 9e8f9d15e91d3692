// Test-side model of the terrain as the game builds it: heightmaps decoded from the run
// folder the way a terrain tile decodes them, the tile's height lookup, and a replay of a
// level's seeded set-up (placed objects, water draws, the 3 x 3 grid).
#pragma once

#include <string>
#include <vector>

#include <glm/glm.hpp>

namespace terrain_replay {

constexpr int kTileCount = 14;
constexpr int kGridSlots = 9;

struct Water {
    glm::vec2 corner{0.0f};
    float level = 0.0f;
    float side = -1.0f;  // not above 0: the tile has no water
};

struct PlacedObject {
    glm::vec3 position;
    int kind;
};

struct Heightmap {
    int width = 0;   // pixels
    int height = 0;
    std::vector<float> heights;  // row from the bottom times width plus column

    float at(int column, int row) const { return heights[row * width + column]; }
    // The tile's height lookup between the vertices: one triangle of the cell.
    float elevation(float x, float y) const;
};

std::string runDir();
// The build has laid out the run folder with the terrain and level assets.
bool haveRunFolder();
// Decodes textures/heightmaps/hm_<tile>.png of the run folder with the stored channels and
// the vertical flip; false when the file is missing or is not 8-bit RGB.
bool loadHeightmap(int tile, Heightmap* out);
// The water square that the game gives heightmap tile.
Water waterOf(int tile);
bool insideWaterSquare(const Water& water, float x, float y);

struct LevelReplay {
    std::vector<PlacedObject> objects[kTileCount];
    int grid[kGridSlots] = {};
    bool placementFinished = true;  // every object found room within a sane number of tries
};

// Replays the random draws of a level's set-up from its seed over the fourteen heightmaps.
LevelReplay replayLevel(int seed, float objectDensity, int kindCount, const Heightmap (&tiles)[kTileCount]);

}  // namespace terrain_replay
