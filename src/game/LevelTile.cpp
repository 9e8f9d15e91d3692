#include "game/LevelTile.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <utility>

#include <stb_image.h>

#include "core/ImageDecode.h"
#include "core/Log.h"
#include "core/MathUtil.h"
#include "core/PackageManager.h"
#include "render/MatrixOwner.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"
#include "render/VertexLayout.h"
#include "render/Water.h"

static_assert(sizeof(TerrainVertex) == 32, "a terrain vertex is eight packed floats");
static_assert(offsetof(TerrainVertex, normal) == 12 && offsetof(TerrainVertex, texCoord) == 24,
              "the fields follow each other in the order the attributes are numbered");

namespace {

constexpr int kRgbChannels = 3;
// The heights are the length of the pixel's colour: 0 for black, 15 x sqrt(3) for white.
constexpr float kHeightScale = 15.0f;
constexpr float kTextureRepeats = 50.0f;
// A tile needs one cell at least; beyond this side a damaged heightmap would claim hundreds
// of megabytes of vertices. Ours are 128 pixels square.
constexpr int kMaxHeightmapSide = 1024;

constexpr float kObjectsPerDensity = 500.0f;
constexpr int kPlacementMargin = 2;
constexpr float kObjectSpacing = 5.0f;
constexpr float kCornerClearance = 10.0f;
// Attempts at one object's place before the tile counts as full and places no more. Every
// level of the package places all its objects within a few dozen.
constexpr int kMaxPlacementAttempts = 10000;

constexpr float kObjectDrawDistance = 100.0f;
// An object exactly behind the eye is left out; the angle is compared with pi as a float.
constexpr float kObjectDrawAngle = 3.1415927f;
// The water's waves rise and fall this far about its level.
constexpr float kWaveReach = 0.2f;

struct WaterSquare {
    const char* heightmap;
    glm::vec2 corner;
    float level;
    float side;
};

const WaterSquare kWaterSquares[] = {
    {"textures/heightmaps/hm_0.png", {24.6f, 37.7f}, 0.3f, 28.0f},
    {"textures/heightmaps/hm_1.png", {11.3f, 75.4f}, 5.0f, 10.0f},
    {"textures/heightmaps/hm_2.png", {46.5f, 77.6f}, 5.0f, 15.0f},
    {"textures/heightmaps/hm_7.png", {41.0f, 62.0f}, 5.0f, 17.0f},
    {"textures/heightmaps/hm_12.png", {23.0f, 22.0f}, 0.3f, 85.0f},
    {"textures/heightmaps/hm_13.png", {23.0f, 22.0f}, 0.3f, 85.0f},
};

void bindTexture(GLenum unit, GLuint texture) {
    glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

}  // namespace

LevelTile::LevelTile(int index, std::string heightmap, std::string usageMap, std::string diffuse, std::string specular,
                     std::string normal, LevelObjectManager* levelObjectManager, float objectDensity,
                     std::string waterTexture)
    : index(index),
      objectDensity(objectDensity),
      heightmap(std::move(heightmap)),
      usageMap(std::move(usageMap)),
      diffuse(std::move(diffuse)),
      specular(std::move(specular)),
      normal(std::move(normal)),
      waterTexture(std::move(waterTexture)),
      levelObjectManager(levelObjectManager) {}

LevelTile::~LevelTile() {
    // Only references that setup() took are given back: the ground maps are shared by tiles.
    const std::pair<GLuint, const std::string*> textures[] = {
        {usageTexture, &usageMap}, {diffuseTexture, &diffuse}, {specularTexture, &specular}, {normalTexture, &normal}};
    for (const auto& [texture, name] : textures) {
        if (texture != 0) {
            TextureManager::getInstance()->freeTexture(*name);
        }
    }
    delete_vertex_array(vertexArray, vertexBuffer, indexBuffer);
    delete program;
    for (LevelTileObject* object : objects) {
        delete object;
    }
    delete water;
}

bool LevelTile::setup() {
    if (!buildMesh()) {
        return false;
    }
    program = new ShaderProgram("shaders/level.vs", "shaders/level.fs", "");
    if (!program->build()) {
        LOG_ERROR("Failed to build shader program\n");
        return false;
    }
    // The order of the cache's loads, as the other drawables take them.
    usageTexture = TextureManager::getInstance()->loadTexture(usageMap, true);
    diffuseTexture = TextureManager::getInstance()->loadTexture(diffuse, true);
    specularTexture = TextureManager::getInstance()->loadTexture(specular, true);
    normalTexture = TextureManager::getInstance()->loadTexture(normal, true);
    // Position, normal, texture coordinate.
    create_indexed_float_vertex_array(reinterpret_cast<const float*>(vertices.data()),
                                      vertices.size() * (sizeof(TerrainVertex) / sizeof(float)), indices.data(),
                                      indices.size(), {3, 3, 2}, &vertexArray, &vertexBuffer, &indexBuffer);
    placeObjects();
    water = getWater();
    return water == nullptr || water->setup();
}

bool LevelTile::buildMesh() {
    std::vector<unsigned char> rgb;
    int columns = 0;
    int rows = 0;
    if (!decodeHeightmap(&rgb, &columns, &rows)) {
        return false;
    }
    width = static_cast<float>(columns - 1);
    height = static_cast<float>(rows - 1);
    buildVertices(rgb, columns, rows);
    buildNormals(columns, rows);
    buildIndices(columns, rows);
    return true;
}

bool decode_heightmap(const char* bytes, uint32_t size, const std::string& name, std::vector<unsigned char>* rgb,
                      int* columns, int* rows) {
    // Row 0 of the decoded image is its bottom row, the tile's y = 0.
    stbi_set_flip_vertically_on_load(1);
    int storedChannels = 0;
    // The tile's own bounds are tighter than the decoder's: checked on the header first, so a
    // damaged heightmap is refused with the tile's line before anything is decoded.
    if (!read_image_header(bytes, size, columns, rows, &storedChannels)) {
        LOG_ERROR("Failed to decode heightmap %s", name.c_str());
        return false;
    }
    if (*columns < 2 || *rows < 2 || *columns > kMaxHeightmapSide || *rows > kMaxHeightmapSide) {
        LOG_ERROR("Heightmap %s is %d x %d pixels: a tile needs 2 to %d on each side", name.c_str(), *columns, *rows,
                  kMaxHeightmapSide);
        return false;
    }
    // Three channels whatever the file stores: grey, paletted or RGBA heightmaps read safely.
    unsigned char* pixels = decode_image(bytes, size, kRgbChannels, name, columns, rows, &storedChannels);
    if (pixels == nullptr) {
        LOG_ERROR("Failed to decode heightmap %s", name.c_str());
        return false;
    }
    rgb->assign(pixels, pixels + static_cast<size_t>(*columns) * static_cast<size_t>(*rows) * kRgbChannels);
    stbi_image_free(pixels);
    return true;
}

bool LevelTile::decodeHeightmap(std::vector<unsigned char>* rgb, int* columns, int* rows) {
    uint32_t size = 0;
    char* bytes = PackageManager::getInstance()->load(kPackageFile, heightmap, &size);
    if (bytes == nullptr) {
        LOG_ERROR("Failed to load package data for %s", heightmap.c_str());
        return false;
    }
    const bool decoded = decode_heightmap(bytes, size, heightmap, rgb, columns, rows);
    free(bytes);
    return decoded;
}

void LevelTile::buildVertices(const std::vector<unsigned char>& rgb, int columns, int rows) {
    vertices.assign(static_cast<size_t>(columns) * static_cast<size_t>(rows), TerrainVertex{});
    lowestGround = kHeightScale * std::sqrt(3.0f);
    highestGround = 0.0f;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const size_t i = static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c);
            const glm::vec3 colour(rgb[i * 3] / 255.0f, rgb[i * 3 + 1] / 255.0f, rgb[i * 3 + 2] / 255.0f);
            const float z = kHeightScale * std::sqrt(colour.r * colour.r + colour.g * colour.g + colour.b * colour.b);
            TerrainVertex& vertex = vertices[i];
            vertex.position = glm::vec3(static_cast<float>(c), static_cast<float>(r), z);
            // Whole repeats from edge to edge, so that the ground runs on into the next tile
            // without a seam.
            vertex.texCoord = glm::vec2(static_cast<float>(c) / static_cast<float>(columns - 1) * kTextureRepeats,
                                        static_cast<float>(r) / static_cast<float>(rows - 1) * kTextureRepeats);
            lowestGround = std::min(lowestGround, z);
            highestGround = std::max(highestGround, z);
        }
    }
}

void LevelTile::buildNormals(int columns, int rows) {
    const glm::vec3 flat(0.0f, 0.0f, -1.0f);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int i = r * columns + c;
            const int up = r < rows - 1 && validIndex(i + columns) ? i + columns : -1;
            const int right = c < columns - 1 && validIndex(i + 1) ? i + 1 : -1;
            const int down = r > 0 && validIndex(i - columns) ? i - columns : -1;
            const int left = c > 0 && validIndex(i - 1) ? i - 1 : -1;
            // Edges to the four neighbours, crossed around the vertex in this order, point down.
            const int around[5] = {up, right, down, left, up};
            glm::vec3 sum(0.0f);
            int crossed = 0;
            for (int k = 0; k < 4; ++k) {
                if (around[k] >= 0 && around[k + 1] >= 0) {
                    const glm::vec3 first = vertices[static_cast<size_t>(around[k])].position - vertices[i].position;
                    const glm::vec3 second =
                        vertices[static_cast<size_t>(around[k + 1])].position - vertices[i].position;
                    sum += glm::cross(first, second);
                    ++crossed;
                }
            }
            vertices[static_cast<size_t>(i)].normal = crossed == 4 ? glm::normalize(sum / 4.0f) : flat;
        }
    }
}

void LevelTile::buildIndices(int columns, int rows) {
    indices.clear();
    indices.reserve(static_cast<size_t>(columns - 1) * static_cast<size_t>(rows - 1) * 6);
    const auto row = static_cast<unsigned int>(columns);
    for (int r = 0; r + 1 < rows; ++r) {
        for (int c = 0; c + 1 < columns; ++c) {
            const auto i = static_cast<unsigned int>(r * columns + c);
            indices.insert(indices.end(), {i, i + row, i + 1, i + 1, i + row, i + row + 1});
        }
    }
    indexCount = static_cast<int>(indices.size());
}

bool LevelTile::validIndex(int i) const {
    return 0.0f <= static_cast<float>(i) && static_cast<float>(i) < (width + 1.0f) * (height + 1.0f);
}

void LevelTile::placeObjects() {
    const int wanted = MathUtil::truncateToInt(objectDensity * kObjectsPerDensity);
    const int lastX = MathUtil::truncateToInt(width - kPlacementMargin);
    const int lastY = MathUtil::truncateToInt(height - kPlacementMargin);
    // A tile narrower than 4 has no place to draw from.
    if (wanted <= 0 || levelObjectManager == nullptr || levelObjectManager->kinds.empty() || lastX < kPlacementMargin ||
        lastY < kPlacementMargin) {
        return;
    }
    // No more objects than places to stand on, whatever density a damaged level asks for.
    const int places = (lastX - kPlacementMargin + 1) * (lastY - kPlacementMargin + 1);
    const int count = std::min(wanted, places);
    for (int placed = 0; placed < count; ++placed) {
        glm::vec2 spot(0.0f);
        if (!findFreeSpot(lastX, lastY, &spot)) {
            LOG_WARNING("Tile %s has room for %d of its %d objects", heightmap.c_str(), placed, count);
            return;
        }
        // The kind is drawn after the place: the order of draws is part of the level's layout.
        const level_object kind = getRandomMeshSet(0.0f);
        objects.push_back(new LevelTileObject{glm::vec3(spot, getElevation(spot.x, spot.y)), 1.0f, kind});
    }
}

bool LevelTile::findFreeSpot(int lastX, int lastY, glm::vec2* spot) {
    for (int attempt = 0; attempt < kMaxPlacementAttempts; ++attempt) {
        const int x = MathUtil::get_random_int(kPlacementMargin, lastX);
        const int y = MathUtil::get_random_int(kPlacementMargin, lastY);
        *spot = glm::vec2(static_cast<float>(x), static_cast<float>(y));
        if (!tooClose(spot->x, spot->y) && !insideWater(spot->x, spot->y) && !insideCorner(spot->x, spot->y)) {
            return true;
        }
    }
    return false;
}

bool LevelTile::tooClose(float x, float y) const {
    // Measured to (x, y, 0): an object standing 5 or more up never crowds another.
    for (const LevelTileObject* object : objects) {
        if (glm::length(glm::vec3(object->position.x - x, object->position.y - y, object->position.z)) <
            kObjectSpacing) {
            return true;
        }
    }
    return false;
}

bool LevelTile::insideWater(float x, float y) const {
    float side = 0.0f;
    const glm::vec3 corner = getWaterPosAndSize(&side);
    return side > 0.0f &&
           MathUtil::pointInRectangle(glm::vec2(x, y), glm::vec2(corner) + side / 2.0f, glm::vec2(side, side));
}

bool LevelTile::insideCorner(float x, float y) const {
    const glm::vec2 corners[4] = {{0.0f, 0.0f}, {width, 0.0f}, {0.0f, height}, {width, height}};
    for (const glm::vec2& corner : corners) {
        if (MathUtil::pointInsideCircle(glm::vec2(x, y), corner, kCornerClearance)) {
            return true;
        }
    }
    return false;
}

level_object LevelTile::getRandomMeshSet(float) {
    return levelObjectManager->getRandomObject();
}

glm::vec3 LevelTile::getWaterPosAndSize(float* side) const {
    for (const WaterSquare& square : kWaterSquares) {
        if (heightmap == square.heightmap) {
            *side = square.side;
            return glm::vec3(square.corner, square.level);
        }
    }
    *side = -1.0f;
    return glm::vec3(0.0f);
}

Water* LevelTile::getWater() {
    float side = 0.0f;
    const glm::vec3 corner = getWaterPosAndSize(&side);
    if (!(side > 0.0f)) {
        return nullptr;
    }
    return new Water(static_cast<int>(side), corner, waterTexture);
}

bool LevelTile::inWater(const glm::vec3& p) const {
    float side = 0.0f;
    const glm::vec3 corner = getWaterPosAndSize(&side);
    return side > 0.0f && corner.z > p.z - 1.0f &&
           MathUtil::pointInRectangle(glm::vec2(p), glm::vec2(corner) + side / 2.0f, glm::vec2(side, side));
}

LevelTile::CellPoint LevelTile::cellAt(float x, float y) const {
    // Points off the tile (and not-a-number) are taken to its nearest edge, where the last
    // cell still has an area: inside the tile the mesh's own cells are used unchanged.
    const float px = x > 0.0f ? std::min(x, width) : 0.0f;
    const float py = y > 0.0f ? std::min(y, height) : 0.0f;
    CellPoint cell;
    cell.column = static_cast<int>(std::min(std::trunc(px), width - 1.0f));
    cell.row = static_cast<int>(std::min(std::trunc(py), height - 1.0f));
    cell.across = px - static_cast<float>(cell.column);
    cell.up = py - static_cast<float>(cell.row);
    // The cell splits along its diagonal from (x1, y0) to (x0, y1), as the mesh's triangles do:
    // the first triangle holds the points no farther from (x0, y0) than from (x1, y1), the
    // diagonal included.
    cell.first = cell.across + cell.up <= 1.0f;
    return cell;
}

void LevelTile::triangleAt(const CellPoint& cell, int vertexIndices[3]) const {
    const int columns = static_cast<int>(width) + 1;
    const int corner = cell.row * columns + cell.column;
    vertexIndices[0] = cell.first ? corner : corner + columns;
    vertexIndices[1] = corner + 1;
    vertexIndices[2] = cell.first ? corner + columns : corner + columns + 1;
}

float LevelTile::getElevation(float x, float y) {
    if (vertices.empty()) {
        return 0.0f;
    }
    const CellPoint cell = cellAt(x, y);
    int corner[3];
    triangleAt(cell, corner);
    const float a = vertices[static_cast<size_t>(corner[0])].position.z;
    const float b = vertices[static_cast<size_t>(corner[1])].position.z;
    const float c = vertices[static_cast<size_t>(corner[2])].position.z;
    // The plane through the triangle's corners, one unit apart.
    return cell.first ? a + cell.across * (b - a) + cell.up * (c - a)
                      : a - cell.across * (a - c) - (cell.up - 1.0f) * (b - c);
}

glm::vec3 LevelTile::getNormal(float x, float y) {
    const glm::vec3 flat(0.0f, 0.0f, -1.0f);
    if (vertices.empty()) {
        return flat;
    }
    const CellPoint cell = cellAt(x, y);
    int corner[3];
    triangleAt(cell, corner);
    // Barycentric weights of the point in its triangle: the normal follows the vertex normals
    // smoothly across the cell.
    const float weightB = cell.first ? cell.across : 1.0f - cell.up;
    const float weightC = cell.first ? cell.up : cell.across + cell.up - 1.0f;
    const float weightA = 1.0f - weightB - weightC;
    const glm::vec3 blend = weightA * vertices[static_cast<size_t>(corner[0])].normal +
                            weightB * vertices[static_cast<size_t>(corner[1])].normal +
                            weightC * vertices[static_cast<size_t>(corner[2])].normal;
    const float length = glm::length(blend);
    return length > 0.0f ? blend / length : flat;
}

LevelObjectManager::Box LevelTile::getBounds() const {
    LevelObjectManager::Box box{glm::vec3(0.0f, 0.0f, lowestGround), glm::vec3(width, height, highestGround)};
    if (water != nullptr) {
        float side = 0.0f;
        const glm::vec3 corner = getWaterPosAndSize(&side);
        box.low.z = std::min(box.low.z, corner.z - kWaveReach);
        box.high.z = std::max(box.high.z, corner.z + kWaveReach);
    }
    for (const LevelTileObject* object : objects) {
        LevelObjectManager::Box objectBox{};
        if (levelObjectManager->getBounds(object->kind, object->position, object->scale, &objectBox)) {
            box.low = glm::min(box.low, objectBox.low);
            box.high = glm::max(box.high, objectBox.high);
        }
    }
    return box;
}

void LevelTile::update(float dt) {
    if (water != nullptr) {
        water->update(dt);
    }
}

void LevelTile::render(MatrixOwner* camera, const glm::vec3& offset, const glm::vec3& light, const glm::vec3& eye,
                       float specularStrength) {
    // Only a tile whose set-up succeeded has its buffers.
    if (vertexArray == 0) {
        return;
    }
    renderTerrain(camera, offset, light, specularStrength);
    if (water != nullptr) {
        water->render(camera, light, offset);
    }
    renderObjects(camera, offset, light, eye);
}

void LevelTile::renderTerrain(MatrixOwner* camera, const glm::vec3& offset, const glm::vec3& light,
                              float specularStrength) {
    program->use();
    const GLuint id = program->getId();
    const GLint viewDirLocation = glGetUniformLocation(id, "u_view_dir");
    const GLint viewPosLocation = glGetUniformLocation(id, "u_view_pos");
    const GLint lightLocation = glGetUniformLocation(id, "u_light_pos");
    const GLint diffuseLocation = glGetUniformLocation(id, "diffuse_texture_sampler");
    const GLint usageLocation = glGetUniformLocation(id, "diffuse_usage_texture_sampler");
    const GLint specularLocation = glGetUniformLocation(id, "specular_texture_sampler");
    const GLint normalLocation = glGetUniformLocation(id, "normal_texture_sampler");
    const GLint specularStrengthLocation = glGetUniformLocation(id, "u_specular_strength");

    program->setCameraMatrices(camera, glm::translate(glm::mat4(1.0f), offset));
    glUniform3fv(lightLocation, 1, glm::value_ptr(light));
    glUniform3fv(viewDirLocation, 1, glm::value_ptr(*camera->getViewDirection()));
    glUniform3fv(viewPosLocation, 1, glm::value_ptr(*camera->getPosition()));
    glUniform1f(specularStrengthLocation, specularStrength);
    glUniform1i(diffuseLocation, 0);
    glUniform1i(usageLocation, 1);
    glUniform1i(specularLocation, 2);
    glUniform1i(normalLocation, 3);
    bindTexture(GL_TEXTURE0, diffuseTexture);
    bindTexture(GL_TEXTURE1, usageTexture);
    bindTexture(GL_TEXTURE2, specularTexture);
    bindTexture(GL_TEXTURE3, normalTexture);

    glBindVertexArray(vertexArray);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
}

void LevelTile::renderObjects(MatrixOwner* camera, const glm::vec3& offset, const glm::vec3& light,
                              const glm::vec3& eye) {
    const glm::vec3 viewDirection = *camera->getViewDirection();
    const glm::mat4 viewProjection = *camera->getPerspectiveMatrix() * camera->getViewMatrix();
    for (const LevelTileObject* object : objects) {
        const glm::vec3 world = offset + object->position;
        const glm::vec3 toObject = world - eye;
        if (!(glm::length(toObject) < kObjectDrawDistance) ||
            !(std::acos(glm::dot(viewDirection, glm::normalize(toObject))) < kObjectDrawAngle)) {
            continue;
        }
        // An object wholly outside the view would draw no pixel: its draw is saved.
        LevelObjectManager::Box box{};
        if (levelObjectManager->getBounds(object->kind, world, object->scale, &box) &&
            MathUtil::boxOutsideView(viewProjection, box.low, box.high)) {
            continue;
        }
        levelObjectManager->render(camera, light, object->kind, world, object->scale);
    }
}
