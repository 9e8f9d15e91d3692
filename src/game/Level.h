// The planet the player explores: fourteen terrain tiles built from the level's description,
// nine of them laid out in a 3 x 3 grid that repeats without end both ways (the world is a
// torus), under a sky box, with the player's rocket, the crystal artefact and its glow, and an
// optional effect hanging above the player. The one terrain the camera, the projectiles and
// the enemies ask: every query is answered from the tile under the player.
#pragma once

#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "core/Json.h"
#include "render/LevelQuery.h"

class Followable;
class LevelObjectManager;
class LevelTile;
class MatrixOwner;
class Model;
class ParticleSystem;
class Rocket;
class TexturedCuboid;

// The slots next to a slot of the grid.
enum tile_index : int {
    TILE_INDEX_LEFT = 0,
    TILE_INDEX_RIGHT = 1,
    TILE_INDEX_ABOVE = 2,
    TILE_INDEX_BELOW = 3,
    TILE_INDEX_ABOVE_LEFT = 4,
    TILE_INDEX_ABOVE_RIGHT = 5,
    TILE_INDEX_BELOW_LEFT = 6,
    TILE_INDEX_BELOW_RIGHT = 7,
};

// What the planet view makes of a frame, from the rocket's state after its step.
enum rocket_code : int {
    ROCKET_CODE_ON_FOOT = 0,
    ROCKET_CODE_LANDING = 1,
    ROCKET_CODE_LANDED = 2,  // one frame: the landing has just ended
    ROCKET_CODE_TAKING_OFF = 3,
    ROCKET_CODE_GONE = 4,
};

// The torus along one axis, for tiles `size` units long (3 x size around): the grid column (or
// row, 0 to 2) that holds a coordinate, the tile number counted from the origin (unbounded;
// its remainder by 3 is the column), and the coordinate wrapped into its tile. A point
// exactly on a negative multiple of size belongs to the tile on its lower side.
int torus_column(float coordinate, int size);
int torus_tile(float coordinate, int size);
float torus_wrap(float coordinate, int size);
// The slot (row x 3 + column) next to slot in a direction; -1 for a slot or direction that is none.
int torus_neighbour(int slot, int direction);

class Level : public LevelQuery {
public:
    static constexpr int kTileCount = 14;
    static constexpr int kGridSlots = 9;

    Level(std::string levelFile, bool artefactPresent);
    ~Level() override;
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    bool setup(LevelObjectManager* levelObjectManager);
    // The rocket code of this frame.
    int update(float dt, const glm::vec3& eye, const glm::vec3& viewDir);
    void render(MatrixOwner* camera, const glm::vec3& eye);

    void takeOff();
    void land();
    // The rocket, or null before setup().
    Followable* getFollowable();
    // A game_sound: the water step while the point stands in the current tile's water.
    int getFootstepSound(const glm::vec3& p);

    float getWidth();
    float getHeight();
    int getTileIndexFromPosition(float x, float y);
    // The slot next to the current one; slot 0 after a line for a direction that is none.
    int getSurroundingTileIndex(tile_index direction);

    float getElevation(const glm::vec3& p) override;
    float getElevation(float x, float y) override;
    glm::vec3 getNormal(const glm::vec3& p) override;
    glm::vec3 getNormal(float x, float y) override;
    bool los(const glm::vec3& from, const glm::vec3& to, glm::vec3* hit) override;
    bool isCollision(const glm::vec3& p) override;

    // One step of the description walk: keys are matched wherever they stand in the tree, and
    // the numbers of every array become object kinds.
    void process_value(const json_value* value, int depth, const char* name);

    // The tile shown in a slot (null outside 0 to 8, or before setup()), and the player's.
    LevelTile* getGridTile(int slot) const;
    LevelTile* getCurrentTile() const { return getGridTile(currentSlot); }
    int getCurrentSlot() const { return currentSlot; }
    int getSeed() const { return seed; }
    float getObjectDensity() const { return objectDensity; }
    const std::vector<int>& getObjectKinds() const { return objectKinds; }
    const std::string& getParticleSystem() const { return particleSystem; }
    float getArtefactBaseZ() const { return artefactBaseZ; }

    glm::vec3 skyboxLightPosition = glm::vec3(0.0f);
    glm::vec3 artefactPosition = glm::vec3(0.0f);
    bool facingRocket = false;
    bool facingArtefact = false;
    bool artefactPresent;

private:
    bool setupTiles(LevelObjectManager* levelObjectManager);
    void drawGrid();
    bool setupArtefact();
    void updateArtefact(float dt);
    void updateFacing(float dt, const glm::vec3& eye, const glm::vec3& viewDir);
    bool facing(const glm::vec3& eye, const glm::vec3& viewDir, const glm::vec3& target, float range) const;
    void applyNumber(const char* key, float number);
    void applyString(const char* key, const json_value* value);
    void renderTiles(MatrixOwner* camera, const glm::vec3& light, const glm::vec3& eye);

    int tileWidth = 0;
    int tileHeight = 0;
    int tileX = 0;
    int tileY = 0;
    int currentSlot = 0;
    float specularStrength = 0.0f;
    LevelTile* grid[kGridSlots] = {};
    LevelTile* tiles[kTileCount] = {};
    TexturedCuboid* skybox = nullptr;
    Rocket* rocket = nullptr;
    Model* artefactModel = nullptr;
    int seed = 0;
    bool inArray = false;
    std::vector<int> objectKinds;
    float objectDensity = 0.0f;
    std::string name;
    std::string levelFile;
    std::string particleSystem;
    std::string diffuseTextureMap;
    std::string specularTextureMap;
    std::string normalTextureMap;
    std::string skyboxTexture;
    std::string waterTexture;
    std::string backgroundSound;
    float artefactBaseZ = 0.0f;
    ParticleSystem* artefactGlow = nullptr;
    ParticleSystem* levelEffect = nullptr;
    float skyboxLightRotationSpeed = 0.0f;
    int footstepSound;
    int footstepSoundWater;
};
