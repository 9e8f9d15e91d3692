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

}  // namespace
