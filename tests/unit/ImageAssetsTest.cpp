// The generated interface, ground, sky, water and font pictures in the run folder, decoded with
// stb_image as the texture cache decodes them: the sizes they are drawn at, clear borders
// around sprites, opaque buttons, muzzle-flash frames inside their cells, seamless repeats, and
// font atlases that match their descriptions.
#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/AssetList.h"
#include "support/RunAssets.h"

using testing_support::decodeRunImage;
using testing_support::Image;

namespace {

// The planets whose ground has a picture set of its own, and how many skies there are.
const char* const kGrounds[] = {"p1", "p2", "p3", "p5"};
constexpr int kSkies = 5;

// The entry of a ground's map ("diffuse", "normal" or "specular"), below textures/.
std::string groundMap(const char* planet, const char* map) {
    return std::string(planet) + "_" + map + "_map.png";
}

std::string sky(int number) {
    return "skybox_" + std::to_string(number) + ".jpg";
}

// The least and the largest alpha in [x0, x1) x [y0, y1) of a four-channel image.
std::pair<int, int> alphaRange(const Image& image, int x0, int y0, int x1, int y1) {
    std::pair<int, int> range{255, 0};
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            range = {std::min<int>(range.first, image.at(x, y)[3]), std::max<int>(range.second, image.at(x, y)[3])};
        }
    }
    return range;
}

// Every picture of the package decodes; those drawn 1:1 or as a whole window have that size, and
// the ground, water and sky pictures the resolution their detail was made for.
TEST(ImageAssets, EveryPictureDecodesAtTheSizeItIsDrawnAt) {
    REQUIRE_RUN_ASSETS();
    std::map<std::string, std::pair<int, int>> sizes = {
        {"logo.png", {800, 175}},
        {"life_indicator.png", {48, 18}},
        {"logoicon.png", {32, 64}},
        {"crosshair_1.png", {64, 64}},
        {"hud_gun_2.png", {594, 320}},
        {"explosion_1.png", {512, 512}},
        {"paused_background.jpg", {1280, 720}},
        {"104382.jpg", {1708, 960}},  // a 0.75 window of it fills 1280 x 720 unmagnified
        {"sunmap.jpg", {2048, 1024}},
        {"particle.bmp", {64, 64}},
        {"sun.png", {512, 512}}};
    for (const char* button : {"play", "exit", "explore"}) {
        sizes[std::string(button) + "_button.png"] = sizes[std::string(button) + "_button_hover.png"] = {206, 70};
    }
    for (const char* planet : kGrounds) {
        for (const char* map : {"diffuse", "normal", "specular"}) {
            sizes[groundMap(planet, map)] = {512, 512};
        }
    }
    for (const char* water : {"water.jpg", "water2.png", "lava.jpg"}) {
        sizes[water] = {512, 512};
    }
    for (int number = 1; number <= kSkies; ++number) {
        sizes[sky(number)] = {1536, 1536};
    }
    for (const std::string& entry : buildAssetList()) {
        const std::string extension = entry.substr(entry.rfind('.') + 1);
        Image image;
        if (extension == "png" || extension == "jpg" || extension == "bmp" || extension == "tga") {
            ASSERT_TRUE(decodeRunImage(entry, &image)) << entry;
            const auto size = sizes.find(entry.substr(entry.find('/') + 1));
            EXPECT_TRUE(size == sizes.end() || size->second == std::make_pair(image.width, image.height)) << entry;
        }
    }
}

// Sprites drawn with blending are clear around their shape (the gun's quad stops short of the
// window's right edge: nothing may be cut off there); buttons, drawn without it, are opaque.
TEST(ImageAssets, SpritesAreClearAroundTheirShapeAndButtonsOpaque) {
    REQUIRE_RUN_ASSETS();
    enum Cover { kClear, kSomeSolid, kOpaque, kBright };
    const std::tuple<const char*, glm::ivec4, Cover> cases[] = {{"hud_gun_2.png", {0, 0, 594, 1}, kClear},
                                                                {"hud_gun_2.png", {590, 0, 594, 320}, kClear},
                                                                {"hud_gun_2.png", {0, 200, 100, 320}, kClear},
                                                                {"hud_gun_2.png", {300, 200, 400, 300}, kSomeSolid},
                                                                {"crosshair_1.png", {0, 0, 6, 6}, kClear},
                                                                {"crosshair_1.png", {58, 58, 64, 64}, kClear},
                                                                {"crosshair_1.png", {58, 0, 64, 6}, kClear},
                                                                {"crosshair_1.png", {0, 58, 6, 64}, kClear},
                                                                {"crosshair_1.png", {29, 29, 35, 35}, kSomeSolid},
                                                                {"logo.png", {0, 0, 40, 10}, kClear},
                                                                {"logo.png", {760, 165, 800, 175}, kClear},
                                                                {"logo.png", {100, 40, 700, 110}, kSomeSolid},
                                                                {"logoicon.png", {0, 0, 3, 3}, kClear},
                                                                {"logoicon.png", {29, 61, 32, 64}, kClear},
                                                                {"logoicon.png", {14, 20, 18, 44}, kSomeSolid},
                                                                {"life_indicator.png", {0, 0, 1, 18}, kClear},
                                                                {"life_indicator.png", {47, 0, 48, 18}, kClear},
                                                                {"life_indicator.png", {10, 6, 30, 12}, kSomeSolid},
                                                                {"sun.png", {0, 0, 8, 8}, kClear},
                                                                {"sun.png", {504, 504, 512, 512}, kClear},
                                                                {"sun.png", {236, 236, 276, 276}, kSomeSolid},
                                                                {"particle.bmp", {0, 0, 64, 1}, kClear},
                                                                {"particle.bmp", {0, 0, 1, 64}, kClear},
                                                                {"particle.bmp", {0, 63, 64, 64}, kClear},
                                                                {"particle.bmp", {63, 0, 64, 64}, kClear},
                                                                {"particle.bmp", {28, 28, 36, 36}, kSomeSolid},
                                                                {"particle.bmp", {31, 31, 33, 33}, kBright},
                                                                {"play_button.png", {0, 0, 206, 70}, kOpaque},
                                                                {"play_button_hover.png", {0, 0, 206, 70}, kOpaque},
                                                                {"exit_button.png", {0, 0, 206, 70}, kOpaque},
                                                                {"exit_button_hover.png", {0, 0, 206, 70}, kOpaque},
                                                                {"explore_button.png", {0, 0, 206, 70}, kOpaque},
                                                                {"explore_button_hover.png", {0, 0, 206, 70}, kOpaque}};
    for (const auto& [entry, box, cover] : cases) {
        Image image;
        ASSERT_TRUE(decodeRunImage(std::string("textures/") + entry, &image, 4)) << entry;
        const auto [least, most] = alphaRange(image, box.x, box.y, box.z, box.w);
        // Blended by its alpha onto what is behind, a sprite's light shows only where it is bright too.
        const int red = cover == kBright ? image.at(box.x, box.y)[0] : 255;
        EXPECT_TRUE(least >= (cover == kOpaque ? 255 : (cover == kBright ? 200 : 0)) &&
                    most <= (cover == kClear ? 0 : 255) && (cover != kSomeSolid || most >= 240) && red > 200)
            << entry << " at " << box.x << "," << box.y << " to " << box.z << "," << box.w;
    }
    // Hovering over a button shows another picture.
    for (const char* button : {"play", "exit", "explore"}) {
        Image plain, hovered;
        ASSERT_TRUE(decodeRunImage(std::string("textures/") + button + "_button.png", &plain) &&
                    decodeRunImage(std::string("textures/") + button + "_button_hover.png", &hovered));
        EXPECT_TRUE(plain.pixels != hovered.pixels) << button;
    }
}

// Every frame shows a flash, and no frame inks its cell's border, where the neighbouring
// frame would show a sliver of it. The flash flares and burns down: an early frame covers far
// more than the last.
TEST(ImageAssets, EveryMuzzleFlashFrameShowsInsideItsCell) {
    REQUIRE_RUN_ASSETS();
    Image sheet;
    ASSERT_TRUE(decodeRunImage("textures/explosion_1.png", &sheet, 4));
    constexpr int kGrid = 4;
    const int cell = sheet.width / kGrid, middle = cell / 2;
    for (int frame = 0; frame < kGrid * kGrid; ++frame) {
        const int x0 = (frame % kGrid) * cell, y0 = (frame / kGrid) * cell;
        EXPECT_GT(alphaRange(sheet, x0 + middle - 4, y0 + middle - 4, x0 + middle + 4, y0 + middle + 4).second, 32);
        EXPECT_EQ(
            alphaRange(sheet, x0, y0, x0 + cell, y0 + 1).second + alphaRange(sheet, x0, y0, x0 + 1, y0 + cell).second,
            0)
            << frame;
    }
    auto coverage = [&](int frame) {
        long sum = 0;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                sum += sheet.at((frame % kGrid) * cell + x, (frame / kGrid) * cell + y)[3];
            }
        }
        return sum;
    };
    EXPECT_GT(coverage(2), 3 * coverage(kGrid * kGrid - 1));
}

// Mean difference per channel between columns a and b (rows, when `rows`).
double lineDifference(const Image& image, int a, int b, bool rows) {
    const int length = rows ? image.width : image.height;
    double sum = 0.0;
    for (int i = 0; i < length; ++i) {
        const uint8_t* p = rows ? image.at(i, a) : image.at(a, i);
        const uint8_t* q = rows ? image.at(i, b) : image.at(b, i);
        for (int c = 0; c < image.channels; ++c) {
            sum += std::abs(p[c] - q[c]);
        }
    }
    return sum / (length * image.channels);
}

// Pictures that repeat across the ground, the water and the pause menu: across the wrap from
// the last column to the first (and row) the colours change no more than between neighbouring
// lines near it. A crack that runs along the border passes, a jump between unrelated content
// does not.
TEST(ImageAssets, RepeatedPicturesWrapWithoutSeams) {
    REQUIRE_RUN_ASSETS();
    std::vector<std::string> entries = {"textures/water.jpg", "textures/water2.png", "textures/lava.jpg",
                                        "textures/paused_background.jpg"};
    for (const char* planet : kGrounds) {
        for (const char* map : {"diffuse", "normal", "specular"}) {
            entries.push_back("textures/" + groundMap(planet, map));
        }
    }
    for (const std::string& entry : entries) {
        Image image;
        ASSERT_TRUE(decodeRunImage(entry, &image)) << entry;
        for (bool rows : {false, true}) {
            const int count = rows ? image.height : image.width;
            double worstNear = 0.0;
            for (int i = 1; i <= 4; ++i) {
                worstNear = std::max({worstNear, lineDifference(image, count - 1 - i, count - i, rows),
                                      lineDifference(image, i - 1, i, rows)});
            }
            EXPECT_LE(lineDifference(image, count - 1, 0, rows), 1.3 * worstNear + 1.0)
                << entry << (rows ? " rows" : " columns");
        }
    }
}

// The projectile spheres wrap the energy map's net of 186 x 322 texel cells around the sphere:
// each pair below holds two net edges that are one edge of the sphere, walked from the same
// corner, with the triangle's third corner on each side. Samples one texel and a half inside
// both agree, far more closely than samples of the second edge walked the other way.
TEST(ImageAssets, TheEnergyMapAgreesWithItselfAcrossTheSpheresSeams) {
    REQUIRE_RUN_ASSETS();
    Image energy;
    ASSERT_TRUE(decodeRunImage("textures/sunmap.jpg", &energy, 3));
    struct NetEdge {
        glm::vec2 from, to, inner;  // in cells
    };
    const std::pair<NetEdge, NetEdge> seams[] = {
        {{{0, 1}, {1, 2}, {2, 1}}, {{10, 1}, {11, 2}, {9, 2}}},   // where the net is cut open
        {{{1, 0}, {0, 1}, {2, 1}}, {{9, 0}, {10, 1}, {8, 1}}},    // first and last top triangles
        {{{1, 0}, {2, 1}, {0, 1}}, {{3, 0}, {2, 1}, {4, 1}}},     // two neighbouring top triangles
        {{{2, 3}, {1, 2}, {3, 2}}, {{10, 3}, {11, 2}, {9, 2}}}};  // first and last bottom triangles
    const glm::vec2 cell(186.0f, 322.0f);
    auto sample = [&](const NetEdge& edge, float f) {
        const glm::vec2 onEdge = (edge.from + (edge.to - edge.from) * f) * cell;
        const glm::ivec2 texel(onEdge + glm::normalize(edge.inner * cell - onEdge) * 1.5f);
        return energy.at(texel.x, texel.y);
    };
    double seam = 0.0, unrelated = 0.0;
    int count = 0;
    for (const auto& [first, second] : seams) {
        for (float f = 0.15f; f < 0.9f; f += 0.1f, ++count) {
            for (int c = 0; c < 3; ++c) {
                seam += std::abs(sample(first, f)[c] - sample(second, f)[c]);
                unrelated += std::abs(sample(first, f)[c] - sample(second, 1.0f - f)[c]);
            }
        }
    }
    EXPECT_LT(seam / (count * 3), 24.0);
    EXPECT_LT(seam * 2.0, unrelated);
}

// Normal maps hold unit vectors in tangent space, every one leaning out of the surface, and the
// ground as a whole faces straight out.
TEST(ImageAssets, NormalMapsHoldUnitNormalsPointingOutward) {
    REQUIRE_RUN_ASSETS();
    for (const char* planet : kGrounds) {
        const std::string entry = "textures/" + groundMap(planet, "normal");
        Image map;
        ASSERT_TRUE(decodeRunImage(entry, &map, 3)) << entry;
        glm::dvec3 sum(0.0);
        int bad = 0;
        for (size_t i = 0; i < map.pixels.size(); i += 3) {
            const glm::dvec3 normal = glm::dvec3(map.pixels[i], map.pixels[i + 1], map.pixels[i + 2]) / 127.5 - 1.0;
            bad += std::fabs(glm::length(normal) - 1.0) > 0.03 || normal.z <= 0.2;
            sum += normal;
        }
        const glm::dvec3 mean = sum / static_cast<double>(map.width * map.height);
        EXPECT_EQ(bad, 0) << entry << ": normals not unit or leaning inward";
        EXPECT_TRUE(std::fabs(mean.x) < 0.02 && std::fabs(mean.y) < 0.02 && mean.z > 0.85)
            << entry << " tilted or too rough";
    }
}

// Each planet has its own ground and each sky its own colours: no two of a family share their
// overall colour.
TEST(ImageAssets, EachPlanetsGroundAndEachSkyLookDifferent) {
    REQUIRE_RUN_ASSETS();
    std::vector<std::vector<std::string>> families(2);
    for (const char* planet : kGrounds) {
        families[0].push_back(groundMap(planet, "diffuse"));
    }
    for (int number = 1; number <= kSkies; ++number) {
        families[1].push_back(sky(number));
    }
    for (const std::vector<std::string>& family : families) {
        std::vector<glm::dvec3> means;
        for (const std::string& entry : family) {
            Image image;
            ASSERT_TRUE(decodeRunImage("textures/" + entry, &image, 3)) << entry;
            glm::dvec3 sum(0.0);
            for (size_t i = 0; i < image.pixels.size(); i += 3) {
                sum += glm::dvec3(image.pixels[i], image.pixels[i + 1], image.pixels[i + 2]);
            }
            means.push_back(sum / static_cast<double>(image.width * image.height));
            for (size_t other = 0; other + 1 < means.size(); ++other) {
                EXPECT_GT(glm::length(means[other] - means.back()), 20.0) << family[other] << " and " << entry;
            }
        }
    }
}

// Each font description's atlas has the size it declares, and its grid matches the atlas cell
// for cell: every character but the space has ink in the part of its cell that is drawn, and
// none in the padding, where the neighbouring glyph would show it. A space samples the one
// atlas point (0.1, 0.1), which must be clear. Text draws each glyph 15 x 25 times its scale:
// font1's glyphs have that size, to be drawn texel for pixel, and font2's twice it.
TEST(FontAssets, DescriptionsMatchTheirAtlas) {
    REQUIRE_RUN_ASSETS();
    for (const auto& [description, glyphSize] : {std::make_pair("fonts/font1.json", glm::ivec2(15, 25)),
                                                 std::make_pair("fonts/font2.json", glm::ivec2(30, 50))}) {
        SCOPED_TRACE(description);
        const testing_support::JsonTree root = testing_support::readRunJson(description);
        ASSERT_NE(root, nullptr);
        auto number = [&](const char* key) {
            return static_cast<int>(testing_support::jsonNumber(testing_support::jsonMember(root.get(), key)));
        };
        const int width = number("characterWidthInTexture"), height = number("characterHeightInTexture");
        const int hp = number("horizontalPadding"), vp = number("verticalPadding");
        EXPECT_EQ(glm::ivec2(width - 2 * hp, height - 2 * vp), glyphSize);
        Image atlas;
        ASSERT_TRUE(
            decodeRunImage(testing_support::jsonText(testing_support::jsonMember(root.get(), "texture")), &atlas, 4));
        EXPECT_TRUE(atlas.width == number("textureWidth") && atlas.height == number("textureHeight"));
        EXPECT_EQ(atlas.at(atlas.width / 10, atlas.height / 10)[3], 0);
        const json_value* rows = testing_support::jsonMember(root.get(), "rows");
        ASSERT_TRUE(rows != nullptr && rows->type == json_array);
        for (unsigned row = 0; row < rows->u.array.length; ++row) {
            const std::string line = testing_support::jsonText(rows->u.array.values[row]);
            for (int column = 0; column < static_cast<int>(line.size()); ++column) {
                const int x0 = column * width, y0 = static_cast<int>(row) * height, x1 = x0 + width, y1 = y0 + height;
                ASSERT_TRUE(x1 <= atlas.width && y1 <= atlas.height) << line[column];
                const int ink = alphaRange(atlas, x0 + hp, y0 + vp, x1 - hp, y1 - vp).second;
                EXPECT_TRUE(line[column] == ' ' || ink > 200) << "no glyph for " << line[column];
                const int inkOutside = std::max(
                    {alphaRange(atlas, x0, y0, x1, y0 + vp).second, alphaRange(atlas, x0, y1 - vp, x1, y1).second,
                     alphaRange(atlas, x0, y0, x0 + hp, y1).second, alphaRange(atlas, x1 - hp, y0, x1, y1).second});
                EXPECT_EQ(inkOutside, 0) << "ink in the padding of " << line[column];
            }
        }
    }
}

// The star map writes the names of the solar system and its planets, upper-cased, in font1: the
// atlas has a glyph for each of their characters.
TEST(FontAssets, TheAtlasHoldsEveryCharacterOfTheSystemsNames) {
    REQUIRE_RUN_ASSETS();
    const testing_support::JsonTree font = testing_support::readRunJson("fonts/font1.json");
    const json_value* rows = testing_support::jsonMember(font.get(), "rows");
    ASSERT_TRUE(rows != nullptr && rows->type == json_array);
    std::string glyphs;
    for (unsigned row = 0; row < rows->u.array.length; ++row) {
        glyphs += testing_support::jsonText(rows->u.array.values[row]);
    }
    const testing_support::JsonTree system = testing_support::readRunJson("levels/system_1/s1.json");
    const json_value* planets = testing_support::jsonMember(system.get(), "planets");
    ASSERT_TRUE(planets != nullptr && planets->type == json_array);
    std::vector<std::string> names = {testing_support::jsonText(testing_support::jsonMember(system.get(), "name"))};
    for (unsigned i = 0; i < planets->u.array.length; ++i) {
        names.push_back(testing_support::jsonText(testing_support::jsonMember(planets->u.array.values[i], "name")));
    }
    for (const std::string& name : names) {
        EXPECT_FALSE(name.empty());
        for (const char c : name) {
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_TRUE(c == ' ' || glyphs.find(upper) != std::string::npos) << "'" << upper << "' of " << name;
        }
    }
}

}  // namespace
