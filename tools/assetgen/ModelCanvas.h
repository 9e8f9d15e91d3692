// Painting helpers for the model textures: an RGB image addressed by texture coordinates
// (u to the right, v upwards as the models use them) and the few patterns the hulls share.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assetgen {

class ModelCanvas {
public:
    explicit ModelCanvas(int size) : size(size), pixels(static_cast<size_t>(size) * size, glm::vec3(0.0f)) {}

    int getSize() const { return size; }
    // Sets every pixel from a function of its centre's (u, v).
    void paint(const std::function<glm::vec3(float u, float v)>& shader);
    // Paints only the pixels whose (u, v) lies in [u0, u1) x [v0, v1), handing the function the
    // position inside that rectangle scaled to 0..1.
    void paintRegion(const glm::vec4& rect, const std::function<glm::vec3(float u, float v)>& shader);
    // 8-bit RGB rows from the top, the order the image writers take.
    std::vector<uint8_t> rgbBytes() const;
    // Normal map from this canvas read as a height field (its red channel): tangent-space
    // normals in the usual 128/128/255 encoding.
    ModelCanvas normalsFromHeight(float strength) const;

private:
    int size;
    std::vector<glm::vec3> pixels;
};

// Writes the canvas as a PNG, or as a TGA when the entry name ends in ".tga".
bool writeCanvas(const std::string& outDir, const std::string& entry, const ModelCanvas& canvas);

// Smooth value noise in [0, 1] with a lattice of `cells` per unit, wrapping around in u.
float valueNoise(float u, float v, int cells, uint32_t seed);
// 1 on the lines of a grid of `columns` x `rows` panels, falling to 0 over `width` (in panels).
float gridLine(float u, float v, int columns, int rows, float width);
// 1 inside a disc at the centre of every cell of a `columns` x `rows` grid, radius in cells.
float dotGrid(float u, float v, int columns, int rows, float radius);

}  // namespace assetgen
