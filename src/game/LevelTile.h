// One square piece of a planet's terrain: a heightmap whose pixels become a grid of vertices
// one world unit apart, drawn lit and textured with the level's ground maps and the tile's
// own usage map, with forest objects scattered over it at set-up and, on some heightmaps, a
// water square. Answers height and normal queries in its own coordinates: x along the image's
// columns, y along its rows counted from the bottom, z up.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "game/LevelObjectManager.h"

class MatrixOwner;
class ShaderProgram;
class Water;

// One vertex of the terrain mesh as the vertex buffer holds it (32 bytes, inputs 0 to 2).
struct TerrainVertex {
    glm::vec3 position;
    glm::vec3 normal;  // points downwards: (0, 0, -1) on flat ground
    glm::vec2 texCoord;
};

// A forest object placed on a tile: position in tile coordinates with z on the ground.
struct LevelTileObject {
    glm::vec3 position;
    float scale;
    level_object kind;
};

// A heightmap entry's bytes (named for the log lines) as three channels per pixel, rows from
// the bottom up, columns x rows of them; false after a line for an image that is no
// heightmap or has a side outside 2 to 1024.
bool decode_heightmap(const char* bytes, uint32_t size, const std::string& name, std::vector<unsigned char>* rgb,
                      int* columns, int* rows);

class LevelTile {
public:
    LevelTile(int index, std::string heightmap, std::string usageMap, std::string diffuse, std::string specular,
              std::string normal, LevelObjectManager* levelObjectManager, float objectDensity,
              std::string waterTexture);
    ~LevelTile();
    LevelTile(const LevelTile&) = delete;
    LevelTile& operator=(const LevelTile&) = delete;

    bool setup();
    float getElevation(float x, float y);
    // A unit vector blended from the normals of the triangle under (x, y): downwards.
    glm::vec3 getNormal(float x, float y);
    bool inWater(const glm::vec3& p) const;
    // Corner (x, y) and level (z) of the heightmap's water; its side through side, -1 for none.
    glm::vec3 getWaterPosAndSize(float* side) const;
    // A new water square, not set up yet, or null when the heightmap has none.
    Water* getWater();
    void update(float dt);
    void render(MatrixOwner* camera, const glm::vec3& offset, const glm::vec3& light, const glm::vec3& eye,
                float specularStrength);

    // The three rejection tests of the object placement, and the index check of the normals.
    bool validIndex(int i) const;
    bool tooClose(float x, float y) const;
    bool insideWater(float x, float y) const;
    bool insideCorner(float x, float y) const;
    level_object getRandomMeshSet(float);

    // The steps of setup() that need no OpenGL context: the mesh from the heightmap, and the
    // seeded placement of the objects.
    bool buildMesh();
    void placeObjects();

    // Everything the tile draws (terrain, water and objects) lies in this box, in tile
    // coordinates.
    LevelObjectManager::Box getBounds() const;
    int getIndex() const { return index; }
    int getIndexCount() const { return indexCount; }
    const std::vector<TerrainVertex>& getVertices() const { return vertices; }
    const std::vector<unsigned int>& getIndices() const { return indices; }
    const std::vector<LevelTileObject*>& getObjects() const { return objects; }
    // The set-up water square, or null.
    const Water* getWaterSquare() const { return water; }

    // The heightmap's width and height in pixels less one: the tile's extent in world units.
    float width = 0.0f;
    float height = 0.0f;

private:
    bool decodeHeightmap(std::vector<unsigned char>* rgb, int* columns, int* rows);
    void buildVertices(const std::vector<unsigned char>& rgb, int columns, int rows);
    void buildNormals(int columns, int rows);
    void buildIndices(int columns, int rows);
    bool findFreeSpot(int lastX, int lastY, glm::vec2* spot);
    // The mesh's cell under a point, and the point's place in it.
    struct CellPoint {
        int column;
        int row;
        float across;  // 0 to 1 from the cell's left edge
        float up;      // 0 to 1 from its lower edge
        bool first;    // in the cell's first triangle
    };
    CellPoint cellAt(float x, float y) const;
    // The vertices of the point's triangle: A, B and C.
    void triangleAt(const CellPoint& cell, int vertexIndices[3]) const;
    void renderTerrain(MatrixOwner* camera, const glm::vec3& offset, const glm::vec3& light, float specularStrength);
    void renderObjects(MatrixOwner* camera, const glm::vec3& offset, const glm::vec3& light, const glm::vec3& eye);

    int index;
    float objectDensity;
    std::string heightmap;
    std::string usageMap;
    std::string diffuse;
    std::string specular;
    std::string normal;
    std::string waterTexture;
    ShaderProgram* program = nullptr;
    Water* water = nullptr;
    std::vector<TerrainVertex> vertices;
    std::vector<unsigned int> indices;
    int indexCount = 0;
    GLuint usageTexture = 0;
    GLuint diffuseTexture = 0;
    GLuint specularTexture = 0;
    GLuint normalTexture = 0;
    LevelObjectManager* levelObjectManager;
    std::vector<LevelTileObject*> objects;
    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
    GLuint indexBuffer = 0;
    // Lowest and highest ground, for the tile's box.
    float lowestGround = 0.0f;
    float highestGround = 0.0f;
};
