// The catalogue of forest objects that the terrain tiles scatter over a planet: two model
// files, each holding many objects side by side, cut into one mesh set per object kind. One
// manager serves every placed object of every tile: each draw re-places the shared model.
#pragma once

#include <glm/glm.hpp>
#include <vector>

class MatrixOwner;
class Model;

// The placeable kinds: 0 to 13 are mesh sets of the first model, 14 to 20 of the second.
using level_object = int;
constexpr level_object kLevelObjectKinds = 21;

class LevelObjectManager {
public:
    struct Box {
        glm::vec3 low;
        glm::vec3 high;
    };

    LevelObjectManager();
    ~LevelObjectManager();
    LevelObjectManager(const LevelObjectManager&) = delete;
    LevelObjectManager& operator=(const LevelObjectManager&) = delete;

    // Imports both models and cuts them into their mesh sets; no line of its own.
    bool setup();
    // One of the allowed kinds, chosen with one random integer; an empty list gives
    // kLevelObjectKinds (a kind that draws nothing) without a draw.
    level_object getRandomObject();
    void render(MatrixOwner* camera, const glm::vec3& light, level_object kind, const glm::vec3& position, float scale);
    void update(float dt);
    // The box that an object of this kind fills when drawn at position and scale, for leaving
    // out what lies outside the view; false for a kind that draws nothing, or before setup().
    bool getBounds(level_object kind, const glm::vec3& position, float scale, Box* box) const;

    // The kinds the current level may place; the level assigns it.
    std::vector<int> kinds;

private:
    Model* firstModel = nullptr;
    Model* secondModel = nullptr;
    // Per kind: its vertices stood upright at scale 1, and the pivot that then moves them.
    std::vector<Box> uprightBoxes;
    std::vector<glm::vec3> pivots;
};
