// Builds low-poly Wavefront OBJ models in code: one object per mesh, one material per object,
// faces wound counter-clockwise seen from outside so that the importer's generated normals
// point outwards. No normals are written: the importer then gives every face its own normal,
// which is the faceted look the game's models share.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// Deterministic pseudo-random numbers (xorshift), so every run writes the same bytes.
class Random {
public:
    explicit Random(uint32_t seed) : state(seed != 0 ? seed : 0x9E3779B9u) {}
    uint32_t next();
    // Uniform in [low, high).
    float range(float low, float high);

private:
    uint32_t state;
};

struct ObjMaterial {
    std::string name;
    glm::vec3 ambient{0.0f};
    glm::vec3 diffuse{0.8f};
    glm::vec3 specular{0.0f};
    float shininess = 0.0f;
    // Image names relative to the model's folder; empty for none. The game reads map_Kd as its
    // diffuse map, map_Ks as its specular map, map_Bump as its normal map and map_Ka as the
    // fourth ("height") map.
    std::string diffuseMap;
    std::string specularMap;
    std::string ambientMap;
    std::string bumpMap;
};

// One point of a surface of revolution about the mesh's y axis.
struct ProfilePoint {
    float radius;
    float y;
};

class ObjMesh {
public:
    ObjMesh(std::string name, std::string material) : name(std::move(name)), material(std::move(material)) {}

    const std::string& getName() const { return name; }
    const std::string& getMaterial() const { return material; }
    size_t vertexCount() const { return positions.size(); }

    // Appends a vertex (with a texture coordinate when the mesh is textured) and returns its index.
    int addVertex(const glm::vec3& position, const glm::vec2& uv = glm::vec2(0.0f));
    // A polygon of three or more vertex indices, counter-clockwise seen from outside.
    void addFace(const std::vector<int>& corners);
    void addTriangle(int a, int b, int c) { addFace({a, b, c}); }
    void addQuad(int a, int b, int c, int d) { addFace({a, b, c, d}); }

    // Surface of revolution about the y axis through `base`, profile listed with the solid on
    // its left (bottom centre, out along the underside, up the outside, in over the top).
    // Points with radius 0 become poles. `uvRect` (u0, v0, u1, v1) spreads the texture over the
    // surface: u around, v along the profile; `phase` turns the first side (radians).
    void addLathe(const std::vector<ProfilePoint>& profile, int sides, const glm::vec3& base,
                  const glm::vec4& uvRect = glm::vec4(0.0f), float phase = 0.0f);
    // A solid with a polygon cap: a prism/frustum between two rings (radius, y), capped at both ends.
    void addFrustum(const glm::vec3& base, float bottomRadius, float topRadius, float height, int sides,
                    float phase = 0.0f);
    // Box with the given centre and half extents.
    void addBox(const glm::vec3& centre, const glm::vec3& halfSize, const glm::vec4& uvRect = glm::vec4(0.0f));
    // Once-subdivided icosahedron, each vertex pushed in or out by up to `roughness` of the radius.
    void addBlob(const glm::vec3& centre, const glm::vec3& radii, float roughness, Random& random,
                 int subdivisions = 1);

    // Applies a transformation to every vertex from index `firstVertex` on (a part just added).
    void transformFrom(size_t firstVertex, const glm::mat4& transform);
    // Lifts every vertex from `firstVertex` on that lies below `floorY` up to it: a flat underside.
    void flattenBelow(size_t firstVertex, float floorY);

    // Appends this mesh's "o"/"usemtl"/"v"/"vt"/"f" lines; indices are 1-based across the file.
    void writeObj(std::string& out, size_t vertexOffset, size_t uvOffset) const;
    bool isTextured() const { return textured; }
    void setTextured(bool value) { textured = value; }
    // Lowest and highest corner of the mesh's box.
    glm::vec3 minCorner() const;
    glm::vec3 maxCorner() const;

private:
    std::string name;
    std::string material;
    std::vector<glm::vec3> positions;
    std::vector<glm::vec2> uvs;
    std::vector<std::vector<int>> faces;
    bool textured = false;
};

// A whole OBJ file with its MTL file.
class ObjModel {
public:
    // The material library is written next to the model under this file name.
    explicit ObjModel(std::string mtlFileName) : mtlFileName(std::move(mtlFileName)) {}

    void addMaterial(const ObjMaterial& material) { materials.push_back(material); }
    // Starts a new mesh; the reference stays valid until the next call.
    ObjMesh& addMesh(const std::string& name, const std::string& material);
    size_t meshCount() const { return meshes.size(); }
    ObjMesh& mesh(size_t index) { return meshes[index]; }

    std::string objText() const;
    std::string mtlText() const;
    // Writes both files below outDir at the two entry names.
    bool write(const std::string& outDir, const std::string& objEntry, const std::string& mtlEntry) const;

private:
    std::string mtlFileName;
    std::vector<ObjMaterial> materials;
    std::vector<ObjMesh> meshes;
};

// A material coloured by its diffuse colour only; `glow` lifts the ambient factor so the
// surface keeps its colour on the unlit side.
ObjMaterial colourMaterial(const std::string& name, const glm::vec3& diffuse, float glow = 0.0f,
                           float shininess = 0.0f);

// Turns (x, y, z) about an axis through the origin; angle in radians.
glm::mat4 rotation(float angle, const glm::vec3& axis);
glm::mat4 translation(const glm::vec3& offset);

}  // namespace assetgen
