#include <gtest/gtest.h>
#include <glm/glm.hpp>

#include <cmath>

#include "render/Text.h"
#include "support/TestSupport.h"

namespace {

// The font description as set-up reads it, and the glyph rectangle of 'B' (cell 1 of row 1).
TEST(Text, FontDescriptionsWithoutAtlasSizeAreRefusedAndHugeCellsStayFinite) {
    const char* const kNoSize = "Font description fonts/t.json has no atlas size";
    // What, the description, the line refusing it (null: read), the rectangle of B when read.
    const std::tuple<const char*, std::string, const char*, FLOATRECT> cases[] = {
        {"the game's layout",
         R"({"textureWidth": 200, "textureHeight": 280, "characterWidthInTexture": 25,
            "characterHeightInTexture": 35, "horizontalPadding": 5, "verticalPadding": 5, "r": [" !", "AB"]})",
         nullptr,
         {0.15f, 0.225f, 40.0f / 280, 65.0f / 280}},
        {"no sizes", R"({"r": ["AB"]})", kNoSize, {}},
        {"zero width", R"({"textureWidth": 0, "textureHeight": 48})", kNoSize, {}},
        {"negative height", R"({"textureWidth": 64, "textureHeight": -48})", kNoSize, {}},
        // Cells past int saturate, infinite sizes clamp to the largest float.
        {"huge numbers",
         R"({"textureWidth": 1e999, "textureHeight": 64, "characterWidthInTexture": 1e300,
            "characterHeightInTexture": -1e300, "r": ["  ", "AB"]})",
         nullptr,
         {2147483647.0f / 3.4028235e38f, 4294967294.0f / 3.4028235e38f, -2147483648.0f / 64, -4294967296.0f / 64}},
    };
    for (const auto& [what, json, line, b] : cases) {
        SCOPED_TRACE(what);
        testing_support::PackageDir package({{"fonts/t.json", json}});
        ASSERT_TRUE(package.built);
        Text text(0, 0, "B", "fonts/t.json", 1, glm::vec3(1));
        testing_support::CapturedStdout output;
        const bool read = text.readFont();
        const std::string log = output.finish();
        if (line != nullptr) {
            EXPECT_TRUE(!read && log.find(std::string("] ") + line + "\n") != std::string::npos) << log;
            continue;
        }
        ASSERT_TRUE(read) << log;
        FLOATRECT rect;
        text.getCharacterUV('b', &rect);
        EXPECT_FLOAT_EQ(rect.left, b.left);
        EXPECT_FLOAT_EQ(rect.right, b.right);
        EXPECT_FLOAT_EQ(rect.top, b.top);
        EXPECT_FLOAT_EQ(rect.bottom, b.bottom);
    }
}

// Three characters at (100, 200), scale 2: the glyphs run from 100 to 210, but the hit area
// takes three whole advances (to 220) and the glyph height (to 250), borders excluded. The
// size the HUD centres by stays that of scale 1.
TEST(Text, HitAreaFollowsTheAdvanceAndScaleAndAFadeHidesForGood) {
    Text text(100, 200, "abc", "fonts/font1.json", 2.0f, glm::vec3(1));
    const std::tuple<float, float, bool> points[] = {{101, 201, true},  {205, 225, true},  {219, 249, true},
                                                     {100, 225, false}, {220, 225, false}, {150, 250, false},
                                                     {150, 200, false}, {99, 201, false}};
    for (const auto& [x, y, inside] : points) {
        EXPECT_EQ(text.positionInsideText(x, y), inside) << x << ", " << y;
    }
    EXPECT_EQ(Text::dimensions("abc"), glm::vec2(60, 25));
    text.setScale(1.0f, false);
    EXPECT_FALSE(text.positionInsideText(205, 225)) << "the area follows the scale";

    // Two seconds of fading: the alpha falls with the time left and the text stays shown until
    // that runs out; then it is hidden, and later updates change nothing.
    text.setFadeToTransparent(2.0f);
    const std::tuple<float, float, bool> steps[] = {
        {0.5f, 0.75f, true}, {1.5f, 0, true}, {0.1f, -0.05f, false}, {1, -0.05f, false}};
    for (const auto& [dt, alpha, visible] : steps) {
        text.update(dt);
        EXPECT_NEAR(text.getAlpha(), alpha, 1e-4f) << dt;
        EXPECT_EQ(text.isVisible(), visible) << dt;
    }
}

}  // namespace
