#include "game/Level.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include "core/Log.h"
#include "core/MailBox.h"
#include "core/MathUtil.h"
#include "core/MessagePayload.h"
#include "game/LevelObjectManager.h"
#include "game/LevelTile.h"
#include "game/Rocket.h"
#include "render/MatrixOwner.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"
#include "render/TexturedCuboid.h"
#include "sound/GameSound.h"

namespace {

constexpr int kTorusSide = 3;
const glm::vec3 kRocketLandingPoint(0.0f, 0.0f, 12.0f);
constexpr float kUpright = 1.5707964f;

constexpr float kArtefactBob = 0.3f;
constexpr float kFacingCheckInterval = 0.3f;
constexpr float kRocketFacingRange = 10.0f;
constexpr float kArtefactFacingRange = 5.0f;
constexpr double kFacingAngle = 0.7853981633974483;  // pi/4
constexpr float kLevelEffectHeight = 75.0f;
constexpr float kSightRange = 400.0f;
constexpr float kSightReached = 1.0f;

// The neighbours of each slot (row x 3 + column) on the torus: columns and rows wrap.
const int s_leftTile[9] = {2, 0, 1, 5, 3, 4, 8, 6, 7};
const int s_rightTile[9] = {1, 2, 0, 4, 5, 3, 7, 8, 6};
const int s_aboveTile[9] = {3, 4, 5, 6, 7, 8, 0, 1, 2};
const int s_belowTile[9] = {6, 7, 8, 0, 1, 2, 3, 4, 5};
const int s_aboveLeftTile[9] = {5, 3, 4, 8, 6, 7, 2, 0, 1};
const int s_aboveRightTile[9] = {4, 5, 3, 7, 8, 6, 1, 2, 0};
const int s_belowLeftTile[9] = {8, 6, 7, 2, 0, 1, 5, 3, 4};
const int s_belowRightTile[9] = {7, 8, 6, 1, 2, 0, 4, 5, 3};
const int* const kNeighbourTables[8] = {s_leftTile,      s_rightTile,      s_aboveTile,     s_belowTile,
                                        s_aboveLeftTile, s_aboveRightTile, s_belowLeftTile, s_belowRightTile};

// The nine tiles around the player, nearest first: (dx, dy) and the slot's direction from the
// current one (-1: the current slot itself).
struct GridStep {
    int dx;
    int dy;
    int direction;
};
const GridStep kRenderOrder[9] = {
    {0, 0, -1},
    {-1, 0, TILE_INDEX_LEFT},
    {1, 0, TILE_INDEX_RIGHT},
    {0, 1, TILE_INDEX_ABOVE},
    {0, -1, TILE_INDEX_BELOW},
    {-1, 1, TILE_INDEX_ABOVE_LEFT},
    {1, 1, TILE_INDEX_ABOVE_RIGHT},
    {-1, -1, TILE_INDEX_BELOW_LEFT},
    {1, -1, TILE_INDEX_BELOW_RIGHT},
};

struct NumberKey {
    const char* key;
    float* field;
};

}  // namespace

int torus_column(float coordinate, int size) {
    if (size <= 0) {
        return 0;
    }
    const int64_t around = static_cast<int64_t>(size) * kTorusSide;
    const int64_t turns = MathUtil::truncateToInt(coordinate / static_cast<float>(around));
    // Multiplied as floats: saturated turns of a side near the int range overflow 64 bits.
    const float inTurn = coordinate - static_cast<float>(turns) * static_cast<float>(around);
    int column = MathUtil::truncateToInt(inTurn / static_cast<float>(size));
    if (coordinate < 0.0f) {
        column += 2;
    }
    // Only a coordinate beyond the int range can fall outside 0 to 2 here.
    return ((column % kTorusSide) + kTorusSide) % kTorusSide;
}

int torus_tile(float coordinate, int size) {
    if (size <= 0) {
        return 0;
    }
    const int tile = MathUtil::truncateToInt(coordinate) / size;
    // Past the int range the tile saturates with the coordinate instead of overflowing.
    return coordinate < 0.0f && tile > INT_MIN ? tile - 1 : tile;
}

float torus_wrap(float coordinate, int size) {
    if (size <= 0) {
        return 0.0f;
    }
    const int64_t tiles = MathUtil::truncateToInt(coordinate / static_cast<float>(size));
    const float wrapped = coordinate - static_cast<float>(tiles * size);
    return wrapped < 0.0f ? wrapped + static_cast<float>(size) : wrapped;
}

int torus_neighbour(int slot, int direction) {
    if (slot < 0 || slot >= Level::kGridSlots || direction < TILE_INDEX_LEFT || direction > TILE_INDEX_BELOW_RIGHT) {
        return -1;
    }
    return kNeighbourTables[direction][slot];
}

Level::Level(std::string levelFile, bool artefactPresent)
    : artefactPresent(artefactPresent),
      levelFile(std::move(levelFile)),
      footstepSound(SOUND_FOOTSTEP1),
      footstepSoundWater(SOUND_FOOTSTEP5) {}

Level::~Level() {
    for (LevelTile* tile : tiles) {
        delete tile;
    }
    delete rocket;
    delete artefactModel;
    delete artefactGlow;
    delete levelEffect;
    delete skybox;
}

bool Level::setup(LevelObjectManager* levelObjectManager) {
    rocket = new Rocket(kRocketLandingPoint, this);
    if (!rocket->setup()) {
        LOG_ERROR("Failed to setup rocket");
        return false;
    }
    json_value* root = json_parse_entry(levelFile);
    if (root == nullptr) {
        LOG_ERROR("Failed to parse level JSON");
        return false;
    }
    process_value(root, 0, nullptr);
    json_value_free(root);

    MessagePayload* payload = new MessagePayload();
    payload->setString(backgroundSound);
    MailBox::getInstance()->sendMessage(MESSAGE_PLAY_CONTINUOUS_SOUND, payload);

    if (levelObjectManager != nullptr) {
        levelObjectManager->kinds = objectKinds;
    }
    // The seed makes the tiles' objects and water and then the grid: a level file always
    // gives the same world.
    srand(static_cast<unsigned int>(seed));
    if (!setupTiles(levelObjectManager)) {
        return false;
    }
    srand(static_cast<unsigned int>(seed));
    drawGrid();
    if (!setupArtefact()) {
        return false;
    }
    const auto side = static_cast<float>(kTorusSide * tileWidth);
    skybox = new TexturedCuboid(0.5f * side, 0.5f * side, 0.0f, side, side, side, skyboxTexture,
                                "shaders/basic_textured.vs", "shaders/basic_textured.fs");
    if (!skybox->setup(UV_MAPPING_CUBE)) {
        LOG_ERROR("Failed to setup skybox");
        return false;
    }
    srand(static_cast<unsigned int>(time(nullptr)));
    return true;
}

bool Level::setupTiles(LevelObjectManager* levelObjectManager) {
    for (int i = 0; i < kTileCount; ++i) {
        char heightmap[64];
        char usageMap[64];
        snprintf(heightmap, sizeof(heightmap), "textures/heightmaps/hm_%d.png", i);
        snprintf(usageMap, sizeof(usageMap), "textures/heightmaps/tu_%d.png", i);
        tiles[i] = new LevelTile(i, heightmap, usageMap, diffuseTextureMap, specularTextureMap, normalTextureMap,
                                 levelObjectManager, objectDensity, waterTexture);
        if (!tiles[i]->setup()) {
            LOG_ERROR("Failed to setup level tile %d", i);
            return false;
        }
        if (tileWidth == 0) {
            tileWidth = static_cast<int>(tiles[i]->width);
        } else if (static_cast<float>(tileWidth) != tiles[i]->width) {
            LOG_ERROR("All tiles must be of equal width");
            return false;
        }
        if (tileHeight == 0) {
            tileHeight = static_cast<int>(tiles[i]->height);
        } else if (static_cast<float>(tileHeight) != tiles[i]->height) {
            LOG_ERROR("All tiles must be of equal height");
            return false;
        }
    }
    return true;
}

void Level::drawGrid() {
    // Nine different tiles of the fourteen; five are never shown.
    bool used[kTileCount] = {};
    for (LevelTile*& slot : grid) {
        int drawn = rand() % kTileCount;
        while (used[drawn]) {
            drawn = rand() % kTileCount;
        }
        used[drawn] = true;
        slot = tiles[drawn];
    }
}

bool Level::setupArtefact() {
    artefactModel = new Model("models/crystal/crystal.obj", "shaders/model.vs", "shaders/model_material.fs", true);
    if (!artefactModel->setup()) {
        LOG_ERROR("Failed to setup artefact model!");
        return false;
    }
    artefactModel->rotation.x = kUpright;
    artefactModel->updateAABB();
    artefactModel->setPosition(artefactPosition, false);
    if (!particleSystem.empty()) {
        levelEffect = new ParticleSystem(particleSystem, true);
        if (!levelEffect->setup()) {
            LOG_ERROR("Failed to setup level particle effect particle system");
            return false;
        }
    }
    artefactGlow = new ParticleSystem("particlesystems/artefact.json", true);
    if (!artefactGlow->setup()) {
        LOG_ERROR("Failed to setup artefact glow particle system");
        return false;
    }
    artefactGlow->position = artefactPosition;
    return true;
}

void Level::process_value(const json_value* value, int depth, const char* name) {
    if (value == nullptr) {
        return;
    }
    // A damaged description may nest without end; ours stay a few levels deep.
    if (depth < kJsonMaxDepth) {
        if (value->type == json_object) {
            for (unsigned int i = 0; i < value->u.object.length; ++i) {
                process_value(value->u.object.values[i].value, depth + 1, value->u.object.values[i].name);
            }
        } else if (value->type == json_array) {
            // Cleared after the elements: what follows a nested array in its enclosing array
            // is not taken as a kind.
            inArray = true;
            for (unsigned int i = 0; i < value->u.array.length; ++i) {
                process_value(value->u.array.values[i], depth + 1, nullptr);
            }
            inArray = false;
        }
    }
    const float number = json_number_as_float(value);
    if (name != nullptr) {
        applyNumber(name, number);
        applyString(name, value);
    } else if (inArray) {
        objectKinds.push_back(MathUtil::truncateToInt(number));
    }
}

void Level::applyNumber(const char* key, float number) {
    const NumberKey floats[] = {
        {"objectDensity", &objectDensity},
        {"skyboxLightPositionX", &skyboxLightPosition.x},
        {"skyboxLightPositionY", &skyboxLightPosition.y},
        {"skyboxLightPositionZ", &skyboxLightPosition.z},
        {"skyboxLightRotationSpeed", &skyboxLightRotationSpeed},
        {"artefactPositionX", &artefactPosition.x},
        {"artefactPositionY", &artefactPosition.y},
        {"artefactPositionZ", &artefactPosition.z},
    };
    for (const NumberKey& entry : floats) {
        if (strcmp(key, entry.key) == 0) {
            *entry.field = number;
        }
    }
    if (strcmp(key, "artefactPositionZ") == 0) {
        artefactBaseZ = number;
    } else if (strcmp(key, "seed") == 0) {
        seed = MathUtil::truncateToInt(number);
    } else if (strcmp(key, "footstepSound") == 0) {
        footstepSound = MathUtil::truncateToInt(number);
    } else if (strcmp(key, "footstepSoundWater") == 0) {
        footstepSoundWater = MathUtil::truncateToInt(number);
    }
}

void Level::applyString(const char* key, const json_value* value) {
    struct StringKey {
        const char* key;
        std::string* field;
    };
    const StringKey strings[] = {
        {"name", &name},
        {"diffuseTextureMap", &diffuseTextureMap},
        {"specularTextureMap", &specularTextureMap},
        {"normalTextureMap", &normalTextureMap},
        {"skyboxTexture", &skyboxTexture},
        {"waterTexture", &waterTexture},
        {"particleSystem", &particleSystem},
        {"backgroundSound", &backgroundSound},
    };
    for (const StringKey& entry : strings) {
        // Any other kind of value under a text key leaves the field as it was.
        if (strcmp(key, entry.key) == 0 && value->type == json_string) {
            entry.field->assign(value->u.string.ptr, value->u.string.length);
        }
    }
}

int Level::update(float dt, const glm::vec3& eye, const glm::vec3& viewDir) {
    updateArtefact(dt);
    tileX = torus_tile(eye.x, tileWidth);
    tileY = torus_tile(eye.y, tileHeight);
    currentSlot = getTileIndexFromPosition(eye.x, eye.y);
    updateFacing(dt, eye, viewDir);

    int code = ROCKET_CODE_ON_FOOT;
    if (rocket != nullptr) {
        const int state = rocket->update(dt);
        if (state == ROCKET_STATE_SETTLING || state == ROCKET_STATE_LANDING) {
            code = ROCKET_CODE_LANDING;
        } else if (state == ROCKET_STATE_LANDED) {
            code = ROCKET_CODE_LANDED;
            rocket->position = kRocketLandingPoint;
        } else if (state == ROCKET_STATE_TAKING_OFF) {
            code = ROCKET_CODE_TAKING_OFF;
        } else if (state == ROCKET_STATE_GONE) {
            code = ROCKET_CODE_GONE;
        }
    }
    specularStrength = code == ROCKET_CODE_ON_FOOT ? 1.0f : 0.0f;
    if (skybox != nullptr) {
        skybox->update(dt);
        skybox->x = eye.x;
        skybox->y = eye.y;
        skybox->z = 0.0f;
    }
    if (artefactGlow != nullptr) {
        artefactGlow->update(dt);
    }
    if (levelEffect != nullptr) {
        levelEffect->update(dt);
        levelEffect->position = glm::vec3(eye.x, eye.y, kLevelEffectHeight);
    }
    for (LevelTile* tile : grid) {
        if (tile != nullptr) {
            tile->update(dt);
        }
    }
    return code;
}

void Level::updateArtefact(float dt) {
    // Shared by every level and never reset: the crystal's bob runs on from visit to visit.
    static float artefactTimer = 0.0f;
    artefactTimer += dt;
    artefactPosition.z = std::sin(artefactTimer) * kArtefactBob + artefactBaseZ;
    if (artefactModel != nullptr) {
        artefactModel->rotation.y = artefactTimer;
        artefactModel->updateAABB();
        artefactModel->setPosition(artefactPosition, false);
    }
}

void Level::updateFacing(float dt, const glm::vec3& eye, const glm::vec3& viewDir) {
    // Shared by every level: the arc cosines are worked out a few times a second only.
    static float facingCheckCounter = 0.0f;
    facingCheckCounter += dt;
    if (!(facingCheckCounter > kFacingCheckInterval)) {
        return;
    }
    if (rocket != nullptr) {
        facingRocket = facing(eye, viewDir, rocket->getPosition(), kRocketFacingRange);
    }
    facingArtefact = artefactPresent && artefactModel != nullptr &&
                     facing(eye, viewDir, artefactModel->position, kArtefactFacingRange);
    facingCheckCounter = 0.0f;
}

bool Level::facing(const glm::vec3& eye, const glm::vec3& viewDir, const glm::vec3& target, float range) const {
    const glm::vec3 toTarget = target - eye;
    const float distance = glm::length(toTarget);
    if (!(distance < range)) {
        return false;
    }
    const glm::vec2 towards = glm::normalize(glm::vec2(toTarget / distance));
    const glm::vec2 looking = glm::normalize(glm::vec2(viewDir));
    // Rounding can take the dot of two unit vectors just past 1: looking straight at the
    // target must still count.
    const double cosine = std::clamp(static_cast<double>(glm::dot(towards, looking)), -1.0, 1.0);
    return std::acos(cosine) < kFacingAngle;
}

void Level::render(MatrixOwner* camera, const glm::vec3& eye) {
    const glm::vec3 light = skyboxLightPosition + glm::vec3(eye.x, eye.y, 0.0f);
    renderTiles(camera, light, eye);
    if (skybox != nullptr) {
        skybox->render(camera, false, glm::vec3(0.0f));
    }
    if (rocket != nullptr) {
        rocket->render(camera, light);
    }
    if (artefactPresent && artefactModel != nullptr && artefactGlow != nullptr) {
        artefactModel->render(camera, light);
        artefactGlow->render(camera);
    }
    if (levelEffect != nullptr) {
        levelEffect->render(camera);
    }
}

void Level::renderTiles(MatrixOwner* camera, const glm::vec3& light, const glm::vec3& eye) {
    const glm::mat4 viewProjection = *camera->getPerspectiveMatrix() * camera->getViewMatrix();
    for (const GridStep& step : kRenderOrder) {
        const int slot = step.direction < 0 ? currentSlot : torus_neighbour(currentSlot, step.direction);
        LevelTile* tile = grid[slot];
        if (tile == nullptr) {
            continue;
        }
        const glm::vec3 offset(static_cast<float>((tileX + step.dx) * tileWidth),
                               static_cast<float>((tileY + step.dy) * tileHeight), 0.0f);
        // A tile wholly outside the view would draw no pixel; on a software renderer its
        // thirty thousand triangles are most of a frame.
        const LevelObjectManager::Box box = tile->getBounds();
        if (MathUtil::boxOutsideView(viewProjection, box.low + offset, box.high + offset)) {
            continue;
        }
        tile->render(camera, offset, light, eye, specularStrength);
    }
}

void Level::takeOff() {
    if (rocket != nullptr) {
        rocket->state = ROCKET_STATE_TAKING_OFF;
        rocket->timer = 0.0f;
    }
}

void Level::land() {
    if (rocket != nullptr) {
        rocket->state = ROCKET_STATE_LANDING;
        rocket->timer = 0.0f;
    }
}

Followable* Level::getFollowable() {
    return rocket;
}

int Level::getFootstepSound(const glm::vec3& p) {
    LevelTile* tile = getCurrentTile();
    const glm::vec3 wrapped(torus_wrap(p.x, tileWidth), torus_wrap(p.y, tileHeight), p.z);
    return tile != nullptr && tile->inWater(wrapped) ? footstepSoundWater : footstepSound;
}

float Level::getWidth() {
    return static_cast<float>(kTorusSide * tileWidth);
}

float Level::getHeight() {
    return static_cast<float>(kTorusSide * tileHeight);
}

int Level::getTileIndexFromPosition(float x, float y) {
    return torus_column(y, tileHeight) * kTorusSide + torus_column(x, tileWidth);
}

int Level::getSurroundingTileIndex(tile_index direction) {
    const int slot = torus_neighbour(currentSlot, direction);
    if (slot < 0) {
        LOG_ERROR("Mission impossible");
        return 0;
    }
    return slot;
}

LevelTile* Level::getGridTile(int slot) const {
    return slot >= 0 && slot < kGridSlots ? grid[slot] : nullptr;
}

float Level::getElevation(const glm::vec3& p) {
    return getElevation(p.x, p.y);
}

float Level::getElevation(float x, float y) {
    LevelTile* tile = getCurrentTile();
    return tile != nullptr ? tile->getElevation(torus_wrap(x, tileWidth), torus_wrap(y, tileHeight)) : 0.0f;
}

glm::vec3 Level::getNormal(const glm::vec3& p) {
    return getNormal(p.x, p.y);
}

glm::vec3 Level::getNormal(float x, float y) {
    LevelTile* tile = getCurrentTile();
    return tile != nullptr ? tile->getNormal(torus_wrap(x, tileWidth), torus_wrap(y, tileHeight))
                           : glm::vec3(0.0f, 0.0f, -1.0f);
}

bool Level::isCollision(const glm::vec3& p) {
    return getElevation(p.x, p.y) > p.z;
}

bool Level::los(const glm::vec3& from, const glm::vec3& to, glm::vec3* hit) {
    // Equal points have no direction; they see each other.
    if (glm::length(to - from) < kSightReached) {
        return true;
    }
    const glm::vec3 direction = glm::normalize(to - from);
    // One height per unit of distance. The distance shrinks by one a step, so the walk ends
    // within the range even where float steps stall far from the origin.
    for (int step = 0; step <= static_cast<int>(kSightRange) + 1; ++step) {
        const glm::vec3 p = from + static_cast<float>(step) * direction;
        const float distance = glm::length(to - p);
        if (distance < kSightReached) {
            return true;
        }
        if (!(distance <= kSightRange)) {
            return false;
        }
        if (getElevation(p.x, p.y) > p.z) {
            if (hit != nullptr) {
                *hit = p;
            }
            return false;
        }
    }
    return false;
}
