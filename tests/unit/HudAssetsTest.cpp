// Checks the generated interface images and font atlases in the run folder: the sizes the
// HUD draws them at, transparency where they are drawn over the world, opaque buttons
// (drawn without blending), pictures that tile where they scroll, a flash in every frame,
// and a glyph for every character that the game writes.
#include <gtest/gtest.h>

#include <stb_image.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Json.h"
#include "support/TestSupport.h"

using testing_support::readFile;

namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    const uint8_t* texel(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    int alpha(int x, int y) const { return texel(x, y)[3]; }
    // Largest alpha in [x0, x1) x [y0, y1).
    int maxAlpha(int x0, int y0, int x1, int y1) const {
        int most = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                most = std::max(most, alpha(x, y));
            }
        }
        return most;
    }
    int minAlpha(int x0, int y0, int x1, int y1) const {
        int least = 255;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                least = std::min(least, alpha(x, y));
            }
        }
        return least;
    }
};

std::string runPath(const std::string& entry) {
    return std::string(QUENLOW_RUN_DIR) + "/" + entry;
}

bool runFolderHasAssets() {
    return !readFile(runPath("fonts/font1.json")).empty();
}

// Decodes like the texture cache does: four channels whatever the file stores.
bool decode(const std::string& entry, Decoded* image) {
    const std::string bytes = readFile(runPath(entry));
    if (bytes.empty()) {
        return false;
    }
    int channels = 0;
    stbi_set_flip_vertically_on_load(0);
    unsigned char* pixels = stbi_load_from_memory(reinterpret_cast<const unsigned char*>(bytes.data()),
                                                  static_cast<int>(bytes.size()), &image->width, &image->height,
                                                  &channels, 4);
    if (pixels == nullptr) {
        return false;
    }
    image->rgba.assign(pixels, pixels + static_cast<size_t>(image->width) * image->height * 4);
    stbi_image_free(pixels);
    return true;
}

#define REQUIRE_RUN_FOLDER()                                                  \
    if (!runFolderHasAssets()) {                                              \
        GTEST_SKIP() << "no generated assets in " << QUENLOW_RUN_DIR;         \
    }

TEST(HudAssets, EveryImageDecodesAtTheSizeItIsDrawnAt) {
    REQUIRE_RUN_FOLDER();
    struct Case {
        const char* entry;
        int width;
        int height;
    };
    const Case cases[] = {
        {"textures/logo.png", 800, 175},
        {"textures/play_button.png", 206, 70},
        {"textures/play_button_hover.png", 206, 70},
        {"textures/exit_button.png", 206, 70},
        {"textures/exit_button_hover.png", 206, 70},
        {"textures/explore_button.png", 206, 70},
        {"textures/explore_button_hover.png", 206, 70},
        {"textures/life_indicator.png", 48, 18},
        {"textures/logoicon.png", 32, 64},
        {"textures/crosshair_1.png", 64, 64},
        {"textures/hud_gun_2.png", 594, 320},
        {"textures/explosion_1.png", 512, 512},
        {"textures/paused_background.jpg", 1280, 720},
        // A 0.75 window of it fills 1280 x 720 without being magnified.
        {"textures/104382.jpg", 1708, 960},
        {"textures/sunmap.jpg", 2048, 1024},
        {"textures/sun.png", 512, 512},
        {"textures/particle.bmp", 64, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        Decoded image;
        ASSERT_TRUE(decode(c.entry, &image));
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
    }
}

TEST(HudAssets, PiecesDrawnOverTheWorldAreTransparentAroundTheirShape) {
    REQUIRE_RUN_FOLDER();
    struct Region {
        int x0, y0, x1, y1;
    };
    struct Case {
        const char* entry;
        std::vector<Region> clear;  // alpha 0 throughout
        Region solid;               // some texel of it nearly opaque
    };
    const Case cases[] = {
        // The gun's quad stops short of the window's right edge: nothing may be cut off there.
        {"textures/hud_gun_2.png", {{0, 0, 594, 1}, {590, 0, 594, 320}, {0, 200, 100, 320}}, {300, 200, 400, 300}},
        {"textures/crosshair_1.png", {{0, 0, 6, 6}, {58, 0, 64, 6}, {0, 58, 6, 64}, {58, 58, 64, 64}}, {29, 29, 35, 35}},
        {"textures/logo.png", {{0, 0, 40, 10}, {760, 165, 800, 175}}, {100, 40, 700, 110}},
        {"textures/logoicon.png", {{0, 0, 3, 3}, {29, 61, 32, 64}}, {14, 20, 18, 44}},
        {"textures/life_indicator.png", {{0, 0, 1, 18}, {47, 0, 48, 18}}, {10, 6, 30, 12}},
        {"textures/sun.png", {{0, 0, 8, 8}, {504, 504, 512, 512}}, {236, 236, 276, 276}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        Decoded image;
        ASSERT_TRUE(decode(c.entry, &image));
        for (const Region& r : c.clear) {
            EXPECT_EQ(image.maxAlpha(r.x0, r.y0, r.x1, r.y1), 0) << r.x0 << "," << r.y0 << " to " << r.x1 << "," << r.y1;
        }
        EXPECT_GE(image.maxAlpha(c.solid.x0, c.solid.y0, c.solid.x1, c.solid.y1), 240);
    }
}

TEST(HudAssets, ButtonsAreOpaqueAndTheHoverImageDiffers) {
    REQUIRE_RUN_FOLDER();
    for (const char* name : {"play", "exit", "explore"}) {
        SCOPED_TRACE(name);
        Decoded normal;
        Decoded hover;
        ASSERT_TRUE(decode(std::string("textures/") + name + "_button.png", &normal));
        ASSERT_TRUE(decode(std::string("textures/") + name + "_button_hover.png", &hover));
        EXPECT_EQ(normal.minAlpha(0, 0, normal.width, normal.height), 255);
        EXPECT_EQ(hover.minAlpha(0, 0, hover.width, hover.height), 255);
        EXPECT_NE(normal.rgba, hover.rgba);
    }
}

TEST(HudAssets, EveryMuzzleFlashFrameShowsAndStaysInsideItsCell) {
    REQUIRE_RUN_FOLDER();
    Decoded sheet;
    ASSERT_TRUE(decode("textures/explosion_1.png", &sheet));
    constexpr int kGrid = 4;
    const int cell = sheet.width / kGrid;
    for (int frame = 0; frame < kGrid * kGrid; ++frame) {
        SCOPED_TRACE(frame);
        const int x0 = (frame % kGrid) * cell;
        const int y0 = (frame / kGrid) * cell;
        EXPECT_GT(sheet.maxAlpha(x0 + cell / 2 - 4, y0 + cell / 2 - 4, x0 + cell / 2 + 4, y0 + cell / 2 + 4), 32);
        // Cell borders stay empty, or a frame would show a sliver of its neighbour.
        EXPECT_EQ(sheet.maxAlpha(x0, y0, x0 + cell, y0 + 1), 0);
        EXPECT_EQ(sheet.maxAlpha(x0, y0, x0 + 1, y0 + cell), 0);
    }
    // The flash flares and then burns down: the first frames outshine the last.
    auto coverage = [&](int frame) {
        long sum = 0;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                sum += sheet.alpha((frame % kGrid) * cell + x, (frame / kGrid) * cell + y);
            }
        }
        return sum;
    };
    EXPECT_GT(coverage(2), 3 * coverage(15));
}

// Mean difference per channel between two texel columns (or rows) of an image.
double lineDifference(const Decoded& image, bool columns, int a, int b) {
    const int length = columns ? image.height : image.width;
    double sum = 0.0;
    for (int i = 0; i < length; ++i) {
        const uint8_t* p = columns ? image.texel(a, i) : image.texel(i, a);
        const uint8_t* q = columns ? image.texel(b, i) : image.texel(i, b);
        for (int c = 0; c < 3; ++c) {
            sum += std::abs(int(p[c]) - int(q[c]));
        }
    }
    return sum / (length * 3.0);
}

TEST(HudAssets, ThePauseBackgroundTilesBothWays) {
    REQUIRE_RUN_FOLDER();
    Decoded background;
    ASSERT_TRUE(decode("textures/paused_background.jpg", &background));
    for (bool columns : {true, false}) {
        SCOPED_TRACE(columns ? "left to right edge" : "top to bottom edge");
        const int last = (columns ? background.width : background.height) - 1;
        const double acrossSeam = lineDifference(background, columns, last, 0);
        const double neighbours = lineDifference(background, columns, 0, 1);
        const double farApart = lineDifference(background, columns, 0, last / 2);
        EXPECT_LT(acrossSeam, neighbours * 2.0 + 2.0);
        EXPECT_LT(acrossSeam * 3.0, farApart);
    }
}

TEST(HudAssets, TheEnergyMapAgreesWithItselfAcrossTheSpheresSeams) {
    REQUIRE_RUN_FOLDER();
    Decoded energy;
    ASSERT_TRUE(decode("textures/sunmap.jpg", &energy));
    // One net cell is 186 x 322 texels; each pair holds two net edges that are one edge of
    // the sphere, walked from the same corner, with the triangle's third corner on each side.
    struct NetEdge {
        float a0, b0, a1, b1, innerA, innerB;
    };
    struct SeamPair {
        NetEdge first;
        NetEdge second;
    };
    const SeamPair pairs[] = {
        {{0, 1, 1, 2, 2, 1}, {10, 1, 11, 2, 9, 2}},  // where the net is cut open
        {{1, 0, 0, 1, 2, 1}, {9, 0, 10, 1, 8, 1}},   // first and last top triangles
        {{1, 0, 2, 1, 0, 1}, {3, 0, 2, 1, 4, 1}},    // two neighbouring top triangles
        {{2, 3, 1, 2, 3, 2}, {10, 3, 11, 2, 9, 2}},  // first and last bottom triangles
    };
    auto sample = [&](const NetEdge& e, float f) {
        const float a = e.a0 + (e.a1 - e.a0) * f;
        const float b = e.b0 + (e.b1 - e.b0) * f;
        // One texel into the triangle, so that both samples lie on the net.
        float dx = (e.innerA - a) * 186.0f;
        float dy = (e.innerB - b) * 322.0f;
        const float length = std::sqrt(dx * dx + dy * dy);
        const int x = static_cast<int>(a * 186.0f + dx / length * 1.5f);
        const int y = static_cast<int>(b * 322.0f + dy / length * 1.5f);
        return energy.texel(x, y);
    };
    double seamSum = 0.0;
    double unrelatedSum = 0.0;
    int count = 0;
    for (const SeamPair& pair : pairs) {
        for (float f = 0.15f; f < 0.9f; f += 0.1f) {
            const uint8_t* p = sample(pair.first, f);
            const uint8_t* q = sample(pair.second, f);
            const uint8_t* r = sample(pair.second, 1.0f - f);
            for (int c = 0; c < 3; ++c) {
                seamSum += std::abs(int(p[c]) - int(q[c]));
                unrelatedSum += std::abs(int(p[c]) - int(r[c]));
            }
            ++count;
        }
    }
    EXPECT_LT(seamSum / (count * 3), 24.0);
    EXPECT_LT(seamSum * 2.0, unrelatedSum);
}

TEST(HudAssets, TheParticleSpriteIsARoundSoftLight) {
    REQUIRE_RUN_FOLDER();
    Decoded particle;
    ASSERT_TRUE(decode("textures/particle.bmp", &particle));
    const int centre = particle.width / 2;
    EXPECT_GT(particle.texel(centre, centre)[0], 200);
    EXPECT_GT(particle.alpha(centre, centre), 200);
    // Dark and clear in the corners and on the rim, so the sprite never shows as a square.
    for (const auto& corner : {std::pair<int, int>{0, 0}, {63, 0}, {0, 63}, {63, 63}, {centre, 0}, {0, centre}}) {
        EXPECT_LT(particle.texel(corner.first, corner.second)[0], 8);
        EXPECT_LT(particle.alpha(corner.first, corner.second), 8);
    }
}

// The font description as the game reads it: keys anywhere, strings inside arrays are rows.
struct FontDescription {
    std::map<std::string, const json_value*> keys;
    std::vector<std::string> rows;
};

void collect(const json_value* value, const char* name, bool insideArray, FontDescription* font) {
    if (name != nullptr) {
        font->keys[name] = value;
    }
    if (value->type == json_object) {
        for (unsigned int i = 0; i < value->u.object.length; ++i) {
            collect(value->u.object.values[i].value, value->u.object.values[i].name, false, font);
        }
    } else if (value->type == json_array) {
        for (unsigned int i = 0; i < value->u.array.length; ++i) {
            collect(value->u.array.values[i], nullptr, true, font);
        }
    } else if (value->type == json_string && insideArray) {
        font->rows.emplace_back(value->u.string.ptr, value->u.string.length);
    }
}

double number(const FontDescription& font, const char* key) {
    const auto it = font.keys.find(key);
    if (it == font.keys.end()) {
        ADD_FAILURE() << "no key " << key;
        return 0.0;
    }
    if (it->second->type == json_integer) {
        return static_cast<double>(it->second->u.integer);
    }
    EXPECT_EQ(it->second->type, json_double) << key;
    return it->second->type == json_double ? it->second->u.dbl : 0.0;
}

using JsonTree = std::unique_ptr<json_value, decltype(&json_value_free)>;

// Every text the HUD writes, as written; the atlas is searched for its upper-case form.
const char* const kGameTexts[] = {
    "PRESS SPACE TO RESPAWN",
    "PRESS M TO LEAVE THE PLANET",
    "PRESS G TO PICK UP ARTEFACT",
    "ARTEFACTS 0/9",
    "ARTEFACTS 1/1",
    "Well done! all artefacts found",
    "TEMPORARY SOLAR SYSTEM",
    " solar system",
    "VERSION 0ae17bd",
    "0123456789",
    "-3 12",
};

// The names that the solar-system description gives the star and its planets.
void collectNames(const json_value* value, std::vector<std::string>* names) {
    if (value->type == json_object) {
        for (unsigned int i = 0; i < value->u.object.length; ++i) {
            const json_value* member = value->u.object.values[i].value;
            if (std::string(value->u.object.values[i].name) == "name" && member->type == json_string) {
                names->emplace_back(member->u.string.ptr, member->u.string.length);
            }
            collectNames(member, names);
        }
    } else if (value->type == json_array) {
        for (unsigned int i = 0; i < value->u.array.length; ++i) {
            collectNames(value->u.array.values[i], names);
        }
    }
}

TEST(FontAtlas, EachDescriptionMatchesItsAtlasCellForCell) {
    REQUIRE_RUN_FOLDER();
    struct Case {
        const char* description;
        const char* atlas;
        int glyphWidth;  // the cell less its paddings
        int glyphHeight;
    };
    // font1 is drawn texel for pixel at scale 1 (15 x 25 glyphs); font2 at twice that.
    const Case cases[] = {
        {"fonts/font1.json", "fonts/font1.png", 15, 25},
        {"fonts/font2.json", "fonts/font1_1.png", 30, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const std::string text = readFile(runPath(c.description));
        JsonTree root(json_parse_buffer(text.data(), text.size()), json_value_free);
        ASSERT_NE(root, nullptr);
        FontDescription font;
        collect(root.get(), nullptr, false, &font);
        ASSERT_TRUE(font.keys.count("texture"));
        ASSERT_EQ(font.keys["texture"]->type, json_string);
        EXPECT_EQ(std::string(font.keys["texture"]->u.string.ptr), c.atlas);
        const int cellWidth = static_cast<int>(number(font, "characterWidthInTexture"));
        const int cellHeight = static_cast<int>(number(font, "characterHeightInTexture"));
        const double hp = number(font, "horizontalPadding");
        const double vp = number(font, "verticalPadding");
        EXPECT_EQ(cellWidth - 2 * hp, c.glyphWidth);
        EXPECT_EQ(cellHeight - 2 * vp, c.glyphHeight);
        ASSERT_FALSE(font.rows.empty());

        Decoded atlas;
        ASSERT_TRUE(decode(c.atlas, &atlas));
        EXPECT_EQ(atlas.width, number(font, "textureWidth"));
        EXPECT_EQ(atlas.height, number(font, "textureHeight"));
        // A space samples the one atlas point (0.1, 0.1); it must be clear.
        EXPECT_EQ(atlas.alpha(static_cast<int>(atlas.width * 0.1), static_cast<int>(atlas.height * 0.1)), 0);

        for (size_t row = 0; row < font.rows.size(); ++row) {
            for (size_t column = 0; column < font.rows[row].size(); ++column) {
                const char character = font.rows[row][column];
                SCOPED_TRACE(std::string("character ") + character);
                const int x0 = static_cast<int>(column) * cellWidth;
                const int y0 = static_cast<int>(row) * cellHeight;
                ASSERT_LE(x0 + cellWidth, atlas.width);
                ASSERT_LE(y0 + cellHeight, atlas.height);
                const int ix0 = x0 + static_cast<int>(hp);
                const int iy0 = y0 + static_cast<int>(vp);
                const int ix1 = x0 + cellWidth - static_cast<int>(hp);
                const int iy1 = y0 + cellHeight - static_cast<int>(vp);
                if (character != ' ') {
                    EXPECT_GT(atlas.maxAlpha(ix0, iy0, ix1, iy1), 200);
                }
                // Ink outside the sampled rectangle would mean the grids disagree.
                EXPECT_EQ(atlas.maxAlpha(x0, y0, x0 + cellWidth, iy0), 0);
                EXPECT_EQ(atlas.maxAlpha(x0, iy1, x0 + cellWidth, y0 + cellHeight), 0);
                EXPECT_EQ(atlas.maxAlpha(x0, y0, ix0, y0 + cellHeight), 0);
                EXPECT_EQ(atlas.maxAlpha(ix1, y0, x0 + cellWidth, y0 + cellHeight), 0);
            }
        }
    }
}

TEST(FontAtlas, HoldsEveryCharacterTheGameWrites) {
    REQUIRE_RUN_FOLDER();
    const std::string text = readFile(runPath("fonts/font1.json"));
    JsonTree root(json_parse_buffer(text.data(), text.size()), json_value_free);
    ASSERT_NE(root, nullptr);
    FontDescription font;
    collect(root.get(), nullptr, false, &font);
    std::string glyphs;
    for (const std::string& row : font.rows) {
        glyphs += row;
    }
    std::vector<std::string> texts(std::begin(kGameTexts), std::end(kGameTexts));
    // The star map also shows the names of the solar system and its planets.
    const std::string system = readFile(runPath("levels/system_1/s1.json"));
    if (!system.empty()) {
        JsonTree systemRoot(json_parse_buffer(system.data(), system.size()), json_value_free);
        ASSERT_NE(systemRoot, nullptr);
        collectNames(systemRoot.get(), &texts);
    }
    for (const std::string& shown : texts) {
        for (char c : shown) {
            if (c == ' ') {
                continue;
            }
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_NE(glyphs.find(upper), std::string::npos) << "'" << upper << "' of \"" << shown << "\"";
        }
    }
}

}  // namespace
