// The bitmap font atlases. Each atlas is drawn from its hand-written description in
// assets/fonts, so the grid the game reads and the grid drawn here cannot drift apart: the
// description gives the atlas size, the cell size, the paddings and the rows of characters;
// every character is drawn inside its cell less the paddings, which is exactly the rectangle
// the game samples.
#include "AssetWriter.h"
#include "Generators.h"
#include "Raster.h"

#include <json.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct FontLayout {
    std::string texture;
    int textureWidth = 0;
    int textureHeight = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int horizontalPadding = 0;
    int verticalPadding = 0;
    std::vector<std::string> rows;
};

// Same reading as the game's: keys count wherever they stand, strings inside arrays are rows.
void readLayoutValue(const json_value* value, const char* name, bool insideArray, FontLayout* layout) {
    switch (value->type) {
        case json_object:
            for (unsigned int i = 0; i < value->u.object.length; ++i) {
                readLayoutValue(value->u.object.values[i].value, value->u.object.values[i].name, false, layout);
            }
            return;
        case json_array:
            for (unsigned int i = 0; i < value->u.array.length; ++i) {
                readLayoutValue(value->u.array.values[i], nullptr, true, layout);
            }
            return;
        case json_string:
            if (insideArray) {
                layout->rows.emplace_back(value->u.string.ptr, value->u.string.length);
            } else if (name != nullptr && std::string(name) == "texture") {
                layout->texture.assign(value->u.string.ptr, value->u.string.length);
            }
            return;
        default: break;
    }
    if (name == nullptr) {
        return;
    }
    const double number = value->type == json_integer  ? static_cast<double>(value->u.integer)
                          : value->type == json_double ? value->u.dbl
                                                       : 0.0;
    const std::string key = name;
    const int whole = static_cast<int>(number);
    if (key == "textureWidth") {
        layout->textureWidth = whole;
    } else if (key == "textureHeight") {
        layout->textureHeight = whole;
    } else if (key == "characterWidthInTexture") {
        layout->cellWidth = whole;
    } else if (key == "characterHeightInTexture") {
        layout->cellHeight = whole;
    } else if (key == "horizontalPadding") {
        layout->horizontalPadding = whole;
    } else if (key == "verticalPadding") {
        layout->verticalPadding = whole;
    }
}

bool readLayout(const std::string& path, FontLayout* layout) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        fprintf(stderr, "assetgen: cannot open %s\n", path.c_str());
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0) {
        text.append(buffer, got);
    }
    fclose(file);
    json_value* root = json_parse(text.data(), text.size());
    if (root == nullptr) {
        fprintf(stderr, "assetgen: %s is not valid JSON\n", path.c_str());
        return false;
    }
    readLayoutValue(root, nullptr, false, layout);
    json_value_free(root);
    const int innerWidth = layout->cellWidth - 2 * layout->horizontalPadding;
    const int innerHeight = layout->cellHeight - 2 * layout->verticalPadding;
    size_t widestRow = 0;
    for (const std::string& row : layout->rows) {
        widestRow = std::max(widestRow, row.size());
    }
    if (layout->texture.empty() || innerWidth <= 0 || innerHeight <= 0 ||
        static_cast<int>(widestRow) * layout->cellWidth > layout->textureWidth ||
        static_cast<int>(layout->rows.size()) * layout->cellHeight > layout->textureHeight) {
        fprintf(stderr, "assetgen: %s describes cells that do not fit its atlas\n", path.c_str());
        return false;
    }
    return true;
}

// Draws one character into its inner rectangle: white ink with a soft dark rim, so that the
// HUD's texts stay readable over bright ground while the text colour still tints the ink.
void drawCharacter(raster::Image& atlas, const raster::TrueTypeFont& font, char character, int left, int top,
                   int innerWidth, int innerHeight) {
    // Capitals fill about three quarters of the height; the rest is room for descenders.
    const float capPixels = innerHeight * 0.76f;
    const float baseline = innerHeight * 0.86f;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetCodepointBox(&font.info(), 'H', &x0, &y0, &x1, &y1);
    const float scale = capPixels / y1;
    const int codepoint = static_cast<unsigned char>(character);
    if (!stbtt_GetCodepointBox(&font.info(), codepoint, &x0, &y0, &x1, &y1)) {
        return;
    }
    // Squeeze the few glyphs that are wider than the cell, then centre the ink.
    const float margin = 1.0f;
    const float inkWidth = (x1 - x0) * scale;
    const float scaleX = inkWidth > innerWidth - 2 * margin ? scale * (innerWidth - 2 * margin) / inkWidth : scale;
    const float penX = (innerWidth - (x1 - x0) * scaleX) * 0.5f - x0 * scaleX;
    const int penColumn = static_cast<int>(std::floor(penX));
    // Ink that would leave the cell (the underscore, deep brackets) moves back inside.
    const float inkBottom = baseline - y0 * scale;
    const float inkTop = baseline - y1 * scale;
    float shiftedBaseline = baseline;
    if (inkBottom > innerHeight - margin) {
        shiftedBaseline -= inkBottom - (innerHeight - margin);
    } else if (inkTop < margin) {
        shiftedBaseline += margin - inkTop;
    }
    const int baselineRow = static_cast<int>(std::floor(shiftedBaseline));
    const raster::TrueTypeFont::Glyph glyph =
        font.glyph(codepoint, scaleX, scale, penX - penColumn, shiftedBaseline - baselineRow);

    std::vector<float> ink(static_cast<size_t>(innerWidth) * innerHeight, 0.0f);
    for (int gy = 0; gy < glyph.height; ++gy) {
        for (int gx = 0; gx < glyph.width; ++gx) {
            const int x = penColumn + glyph.offsetX + gx;
            const int y = baselineRow + glyph.offsetY + gy;
            if (x >= 0 && y >= 0 && x < innerWidth && y < innerHeight) {
                ink[static_cast<size_t>(y) * innerWidth + x] =
                    glyph.coverage[static_cast<size_t>(gy) * glyph.width + gx] / 255.0f;
            }
        }
    }
    for (int y = 0; y < innerHeight; ++y) {
        for (int x = 0; x < innerWidth; ++x) {
            float rim = 0.0f;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < innerWidth && ny < innerHeight) {
                        const float weight = (dx == 0 || dy == 0) ? 1.0f : 0.7f;
                        rim = std::max(rim, ink[static_cast<size_t>(ny) * innerWidth + nx] * weight);
                    }
                }
            }
            const float coverage = ink[static_cast<size_t>(y) * innerWidth + x];
            atlas.setPixel(left + x, top + y, raster::Color{0.02f, 0.04f, 0.07f, rim * 0.6f});
            atlas.blend(left + x, top + y, raster::Color{1.0f, 1.0f, 1.0f, 1.0f}, coverage);
        }
    }
}

bool writeAtlas(const std::string& outDir, const std::string& description, const raster::TrueTypeFont& font) {
    FontLayout layout;
    if (!readLayout(std::string(QUENLOW_ASSETS_DIR) + "/" + description, &layout)) {
        return false;
    }
    raster::Image atlas(layout.textureWidth, layout.textureHeight);
    const int innerWidth = layout.cellWidth - 2 * layout.horizontalPadding;
    const int innerHeight = layout.cellHeight - 2 * layout.verticalPadding;
    for (size_t row = 0; row < layout.rows.size(); ++row) {
        for (size_t column = 0; column < layout.rows[row].size(); ++column) {
            const char character = layout.rows[row][column];
            if (character == ' ') {
                continue;  // a space is drawn from one fixed texel of the atlas, which this blank cell holds
            }
            drawCharacter(atlas, font, character,
                          static_cast<int>(column) * layout.cellWidth + layout.horizontalPadding,
                          static_cast<int>(row) * layout.cellHeight + layout.verticalPadding, innerWidth, innerHeight);
        }
    }
    return assetgen::writePng(outDir, layout.texture, atlas.width(), atlas.height(), 4, atlas.bytes(4));
}

}  // namespace

bool generateFont(const std::string& outDir) {
    raster::TrueTypeFont mono;
    if (!mono.load(raster::fontPath("DejaVuSansMono-Bold.ttf"))) {
        return false;
    }
    return writeAtlas(outDir, "fonts/font1.json", mono) && writeAtlas(outDir, "fonts/font2.json", mono);
}
