#include "MeshBuilder.h"

#include "AssetWriter.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace assetgen {

namespace {

constexpr float kTwoPi = 6.2831853f;

std::string formatFloat(float value) {
    char text[32];
    // Four decimals keep the files small; the models are far coarser than that.
    snprintf(text, sizeof(text), "%.4f", static_cast<double>(value));
    // "-0.0000" would make two runs on different machines look different to a diff.
    return std::string(text) == "-0.0000" ? std::string("0.0000") : std::string(text);
}

std::string formatColour(const glm::vec3& colour) {
    return formatFloat(colour.r) + " " + formatFloat(colour.g) + " " + formatFloat(colour.b);
}

}  // namespace

uint32_t Random::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float Random::range(float low, float high) {
    return low + (high - low) * static_cast<float>(next() >> 8) / 16777216.0f;
}

int ObjMesh::addVertex(const glm::vec3& position, const glm::vec2& uv) {
    positions.push_back(position);
    uvs.push_back(uv);
    return static_cast<int>(positions.size()) - 1;
}

void ObjMesh::addFace(const std::vector<int>& corners) {
    faces.push_back(corners);
}

void ObjMesh::addLathe(const std::vector<ProfilePoint>& profile, int sides, const glm::vec3& base,
                       const glm::vec4& uvRect, float phase) {
    if (profile.size() < 2 || sides < 3) {
        return;
    }
    // v runs along the profile by arc length, so bands of the texture keep their proportions.
    std::vector<float> along(profile.size(), 0.0f);
    for (size_t i = 1; i < profile.size(); ++i) {
        along[i] = along[i - 1] +
                   glm::length(glm::vec2(profile[i].radius - profile[i - 1].radius, profile[i].y - profile[i - 1].y));
    }
    const float total = along.back() > 0.0f ? along.back() : 1.0f;
    const int ringSize = sides + 1;  // the seam vertex repeats the first with u = 1
    const int first = static_cast<int>(positions.size());
    for (size_t i = 0; i < profile.size(); ++i) {
        for (int j = 0; j <= sides; ++j) {
            const float angle = phase + kTwoPi * static_cast<float>(j) / static_cast<float>(sides);
            const glm::vec3 point(profile[i].radius * std::cos(angle), profile[i].y,
                                  -profile[i].radius * std::sin(angle));
            const float u = static_cast<float>(j) / static_cast<float>(sides);
            const float v = along[i] / total;
            addVertex(base + point,
                      glm::vec2(uvRect.x + (uvRect.z - uvRect.x) * u, uvRect.y + (uvRect.w - uvRect.y) * v));
        }
    }
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        const bool lowPole = profile[i].radius <= 0.0f;
        const bool highPole = profile[i + 1].radius <= 0.0f;
        if (lowPole && highPole) {
            continue;
        }
        for (int j = 0; j < sides; ++j) {
            const int a = first + static_cast<int>(i) * ringSize + j;
            const int b = a + 1;
            const int c = b + ringSize;
            const int d = a + ringSize;
            if (lowPole) {
                addTriangle(a, c, d);
            } else if (highPole) {
                addTriangle(a, b, d);
            } else {
                addQuad(a, b, c, d);
            }
        }
    }
}

void ObjMesh::addFrustum(const glm::vec3& base, float bottomRadius, float topRadius, float height, int sides,
                         float phase) {
    addLathe({{0.0f, 0.0f}, {bottomRadius, 0.0f}, {topRadius, height}, {0.0f, height}}, sides, base, glm::vec4(0.0f),
             phase);
}

void ObjMesh::addBox(const glm::vec3& centre, const glm::vec3& halfSize, const glm::vec4& uvRect) {
    // Six faces, each with its corners counter-clockwise seen from outside (bit 0 of a corner
    // number is +x, bit 1 is +y, bit 2 is +z).
    static const int kFaces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                     {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    static const glm::vec2 kCornerUv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (const auto& face : kFaces) {
        std::vector<int> corners;
        for (int k = 0; k < 4; ++k) {
            const int corner = face[k];
            const glm::vec3 sign((corner & 1) ? 1.0f : -1.0f, (corner & 2) ? 1.0f : -1.0f, (corner & 4) ? 1.0f : -1.0f);
            const glm::vec2 uv(uvRect.x + (uvRect.z - uvRect.x) * kCornerUv[k].x,
                               uvRect.y + (uvRect.w - uvRect.y) * kCornerUv[k].y);
            corners.push_back(addVertex(centre + sign * halfSize, uv));
        }
        addFace(corners);
    }
}

void ObjMesh::addBlob(const glm::vec3& centre, const glm::vec3& radii, float roughness, Random& random,
                      int subdivisions) {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<glm::vec3> points = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                                     {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    std::vector<glm::ivec3> triangles = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                         {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                         {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                         {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (glm::vec3& point : points) {
        point = glm::normalize(point);
    }
    for (int level = 0; level < subdivisions; ++level) {
        std::map<std::pair<int, int>, int> middles;
        auto middle = [&](int a, int b) {
            const std::pair<int, int> key(std::min(a, b), std::max(a, b));
            auto found = middles.find(key);
            if (found != middles.end()) {
                return found->second;
            }
            points.push_back(glm::normalize(points[a] + points[b]));
            const int index = static_cast<int>(points.size()) - 1;
            middles[key] = index;
            return index;
        };
        std::vector<glm::ivec3> finer;
        for (const glm::ivec3& tri : triangles) {
            const int ab = middle(tri.x, tri.y);
            const int bc = middle(tri.y, tri.z);
            const int ca = middle(tri.z, tri.x);
            finer.push_back({tri.x, ab, ca});
            finer.push_back({tri.y, bc, ab});
            finer.push_back({tri.z, ca, bc});
            finer.push_back({ab, bc, ca});
        }
        triangles.swap(finer);
    }
    const int first = static_cast<int>(positions.size());
    for (const glm::vec3& point : points) {
        const float push = 1.0f + random.range(-roughness, roughness);
        addVertex(centre + point * radii * push);
    }
    for (const glm::ivec3& tri : triangles) {
        addTriangle(first + tri.x, first + tri.y, first + tri.z);
    }
}

void ObjMesh::transformFrom(size_t firstVertex, const glm::mat4& transform) {
    for (size_t i = firstVertex; i < positions.size(); ++i) {
        positions[i] = glm::vec3(transform * glm::vec4(positions[i], 1.0f));
    }
}

void ObjMesh::flattenBelow(size_t firstVertex, float floorY) {
    for (size_t i = firstVertex; i < positions.size(); ++i) {
        positions[i].y = std::max(positions[i].y, floorY);
    }
}

void ObjMesh::writeObj(std::string& out, size_t vertexOffset, size_t uvOffset) const {
    out += "o " + name + "\n";
    for (const glm::vec3& position : positions) {
        out += "v " + formatFloat(position.x) + " " + formatFloat(position.y) + " " + formatFloat(position.z) + "\n";
    }
    if (textured) {
        for (const glm::vec2& uv : uvs) {
            out += "vt " + formatFloat(uv.x) + " " + formatFloat(uv.y) + "\n";
        }
    }
    out += "usemtl " + material + "\n";
    for (const std::vector<int>& face : faces) {
        out += "f";
        for (int corner : face) {
            out += " " + std::to_string(vertexOffset + corner + 1);
            if (textured) {
                out += "/" + std::to_string(uvOffset + corner + 1);
            }
        }
        out += "\n";
    }
}

glm::vec3 ObjMesh::minCorner() const {
    glm::vec3 low(1e9f);
    for (const glm::vec3& position : positions) {
        low = glm::min(low, position);
    }
    return low;
}

glm::vec3 ObjMesh::maxCorner() const {
    glm::vec3 high(-1e9f);
    for (const glm::vec3& position : positions) {
        high = glm::max(high, position);
    }
    return high;
}

ObjMesh& ObjModel::addMesh(const std::string& name, const std::string& material) {
    meshes.emplace_back(name, material);
    return meshes.back();
}

std::string ObjModel::objText() const {
    std::string out = "# Generated by assetgen\nmtllib " + mtlFileName + "\n";
    size_t vertexOffset = 0;
    size_t uvOffset = 0;
    for (const ObjMesh& mesh : meshes) {
        mesh.writeObj(out, vertexOffset, uvOffset);
        vertexOffset += mesh.vertexCount();
        if (mesh.isTextured()) {
            uvOffset += mesh.vertexCount();
        }
    }
    return out;
}

std::string ObjModel::mtlText() const {
    std::string out = "# Generated by assetgen\n";
    for (const ObjMaterial& material : materials) {
        out += "\nnewmtl " + material.name + "\n";
        out += "Ka " + formatColour(material.ambient) + "\n";
        out += "Kd " + formatColour(material.diffuse) + "\n";
        out += "Ks " + formatColour(material.specular) + "\n";
        out += "Ns " + formatFloat(material.shininess) + "\n";
        out += "d 1.0\nillum 2\n";
        const std::pair<const char*, const std::string*> maps[] = {{"map_Kd", &material.diffuseMap},
                                                                   {"map_Ks", &material.specularMap},
                                                                   {"map_Ka", &material.ambientMap},
                                                                   {"map_Bump", &material.bumpMap}};
        for (const auto& map : maps) {
            if (!map.second->empty()) {
                out += std::string(map.first) + " " + *map.second + "\n";
            }
        }
    }
    return out;
}

bool ObjModel::write(const std::string& outDir, const std::string& objEntry, const std::string& mtlEntry) const {
    return writeEntry(outDir, objEntry, objText()) && writeEntry(outDir, mtlEntry, mtlText());
}

ObjMaterial colourMaterial(const std::string& name, const glm::vec3& diffuse, float glow, float shininess) {
    ObjMaterial material;
    material.name = name;
    material.diffuse = diffuse;
    // The material shader multiplies the ambient factor with the diffuse colour; 1 keeps the
    // colour at full strength in the shade, which reads as a glow.
    material.ambient = glm::vec3(glow);
    material.specular = shininess > 0.0f ? glm::vec3(0.25f) : glm::vec3(0.0f);
    material.shininess = shininess;
    return material;
}

glm::mat4 rotation(float angle, const glm::vec3& axis) {
    return glm::rotate(glm::mat4(1.0f), angle, axis);
}

glm::mat4 translation(const glm::vec3& offset) {
    return glm::translate(glm::mat4(1.0f), offset);
}

}  // namespace assetgen
