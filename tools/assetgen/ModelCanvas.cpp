#include "ModelCanvas.h"

#include "AssetWriter.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

float latticeValue(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFu) / 65535.0f;
}

float smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

float distanceToLine(float coordinate, int count) {
    const float scaled = coordinate * static_cast<float>(count);
    const float fraction = scaled - std::floor(scaled);
    return std::min(fraction, 1.0f - fraction);
}

}  // namespace

void ModelCanvas::paint(const std::function<glm::vec3(float u, float v)>& shader) {
    paintRegion(glm::vec4(0.0f, 0.0f, 1.0f, 1.0f), shader);
}

void ModelCanvas::paintRegion(const glm::vec4& rect, const std::function<glm::vec3(float u, float v)>& shader) {
    for (int row = 0; row < size; ++row) {
        const float v = 1.0f - (static_cast<float>(row) + 0.5f) / static_cast<float>(size);
        if (v < rect.y || v >= rect.w) {
            continue;
        }
        for (int column = 0; column < size; ++column) {
            const float u = (static_cast<float>(column) + 0.5f) / static_cast<float>(size);
            if (u < rect.x || u >= rect.z) {
                continue;
            }
            const glm::vec3 colour = shader((u - rect.x) / (rect.z - rect.x), (v - rect.y) / (rect.w - rect.y));
            pixels[static_cast<size_t>(row) * size + column] = glm::clamp(colour, 0.0f, 1.0f);
        }
    }
}

std::vector<uint8_t> ModelCanvas::rgbBytes() const {
    std::vector<uint8_t> bytes;
    bytes.reserve(pixels.size() * 3);
    for (const glm::vec3& pixel : pixels) {
        for (int channel = 0; channel < 3; ++channel) {
            bytes.push_back(static_cast<uint8_t>(std::lround(pixel[channel] * 255.0f)));
        }
    }
    return bytes;
}

ModelCanvas ModelCanvas::normalsFromHeight(float strength) const {
    ModelCanvas normals(size);
    auto height = [&](int column, int row) {
        column = (column + size) % size;
        row = std::clamp(row, 0, size - 1);
        return pixels[static_cast<size_t>(row) * size + column].r;
    };
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            const float dx = height(column + 1, row) - height(column - 1, row);
            // Rows run downwards while v runs upwards.
            const float dy = height(column, row - 1) - height(column, row + 1);
            const glm::vec3 normal = glm::normalize(glm::vec3(-dx * strength, -dy * strength, 1.0f));
            normals.pixels[static_cast<size_t>(row) * size + column] = normal * 0.5f + 0.5f;
        }
    }
    return normals;
}

bool writeCanvas(const std::string& outDir, const std::string& entry, const ModelCanvas& canvas) {
    const int size = canvas.getSize();
    const bool tga = entry.size() > 4 && entry.compare(entry.size() - 4, 4, ".tga") == 0;
    return tga ? writeTga(outDir, entry, size, size, 3, canvas.rgbBytes())
               : writePng(outDir, entry, size, size, 3, canvas.rgbBytes());
}

float valueNoise(float u, float v, int cells, uint32_t seed) {
    const float x = u * static_cast<float>(cells);
    const float y = v * static_cast<float>(cells);
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = smooth(x - static_cast<float>(x0));
    const float fy = smooth(y - static_cast<float>(y0));
    auto at = [&](int ix, int iy) { return latticeValue(((ix % cells) + cells) % cells, iy, seed); };
    const float bottom = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    const float top = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return bottom + (top - bottom) * fy;
}

float gridLine(float u, float v, int columns, int rows, float width) {
    const float distance = std::min(distanceToLine(u, columns), distanceToLine(v, rows));
    return std::clamp(1.0f - distance / width, 0.0f, 1.0f);
}

float dotGrid(float u, float v, int columns, int rows, float radius) {
    const float du = 0.5f - distanceToLine(u, columns);
    const float dv = 0.5f - distanceToLine(v, rows);
    // du and dv are the distances from the cell centre in cells.
    return std::sqrt(du * du + dv * dv) < radius ? 1.0f : 0.0f;
}

}  // namespace assetgen
