// The generated font atlases in the run folder, decoded with stb_image as the texture cache
// decodes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "core/AssetList.h"
#include "support/RunAssets.h"

using testing_support::decodeRunImage;
using testing_support::Image;

namespace {

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

// Every character the HUD writes; the star map adds the names of the star and its planets.
std::string textsTheGameWrites() {
    std::string texts =
        "PRESS SPACE TO RESPAWN PRESS M TO LEAVE THE PLANET ARTEFACTS 0/9 PRESS G TO PICK UP ARTEFACT "
        "Well done! all artefacts found -3 TEMPORARY SOLAR SYSTEM solar system VERSION 0ae17bd 0123456789";
    const testing_support::JsonTree system = testing_support::readRunJson("levels/system_1/s1.json");
    texts += testing_support::jsonText(testing_support::jsonMember(system.get(), "name"));
    const json_value* planets = testing_support::jsonMember(system.get(), "planets");
    for (unsigned i = 0; planets != nullptr && i < planets->u.array.length; ++i) {
        texts += testing_support::jsonText(testing_support::jsonMember(planets->u.array.values[i], "name"));
    }
    return texts;
}

// Each description's grid matches its atlas cell for cell, with ink only in the part of a
// cell that is drawn, and holds every character the game writes (looked up upper-case).
TEST(FontAssets, DescriptionsMatchTheirAtlasAndCoverEveryText) {
    SKIP_WITHOUT_RUN_ASSETS();
    for (const char* description : {"fonts/font1.json", "fonts/font2.json"}) {
        SCOPED_TRACE(description);
        const testing_support::JsonTree root = testing_support::readRunJson(description);
        ASSERT_NE(root, nullptr);
        auto number = [&](const char* key) {
            return static_cast<int>(testing_support::jsonNumber(testing_support::jsonMember(root.get(), key)));
        };
        const int width = number("characterWidthInTexture"), height = number("characterHeightInTexture");
        const int hp = number("horizontalPadding"), vp = number("verticalPadding");
        Image atlas;
        ASSERT_TRUE(
            decodeRunImage(testing_support::jsonText(testing_support::jsonMember(root.get(), "texture")), &atlas, 4));
        EXPECT_TRUE(atlas.width == number("textureWidth") && atlas.height == number("textureHeight"));
        // A space samples the one atlas point (0.1, 0.1).
        EXPECT_EQ(atlas.at(atlas.width / 10, atlas.height / 10)[3], 0);

        const json_value* rows = testing_support::jsonMember(root.get(), "rows");
        ASSERT_TRUE(rows != nullptr && rows->type == json_array);
        std::string glyphs;
        for (unsigned row = 0; row < rows->u.array.length; ++row) {
            const std::string line = testing_support::jsonText(rows->u.array.values[row]);
            glyphs += line;
            for (int column = 0; column < static_cast<int>(line.size()); ++column) {
                const int x0 = column * width, y0 = static_cast<int>(row) * height, x1 = x0 + width, y1 = y0 + height;
                ASSERT_TRUE(x1 <= atlas.width && y1 <= atlas.height) << line[column];
                const int ink = alphaRange(atlas, x0 + hp, y0 + vp, x1 - hp, y1 - vp).second;
                EXPECT_TRUE(line[column] == ' ' || ink > 200) << "no glyph for " << line[column];
                const int inkOutside = std::max(
                    {alphaRange(atlas, x0, y0, x1, y0 + vp).second, alphaRange(atlas, x0, y1 - vp, x1, y1).second,
                     alphaRange(atlas, x0, y0, x0 + hp, y1).second, alphaRange(atlas, x1 - hp, y0, x1, y1).second});
                EXPECT_EQ(inkOutside, 0) << "ink outside the drawn part of " << line[column];
            }
        }
        for (char character : textsTheGameWrites()) {
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
            EXPECT_TRUE(upper == ' ' || glyphs.find(upper) != std::string::npos) << upper;
        }
    }
}

}  // namespace
