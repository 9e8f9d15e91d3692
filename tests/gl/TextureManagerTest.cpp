#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/TextureManager.h"
#include "support/TestSupport.h"

using testing_support::CapturedStdout;

namespace {

// Rows of the texture as uploaded, from texture coordinate v = 0 upward.
std::vector<uint8_t> textureRows(GLuint texture, int width, int height) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width * height * 4));
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// Top row red, bottom row blue.
const std::vector<uint8_t> kTwoRows = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};

class TextureManagerTest : public ::testing::Test {
protected:
    render_test::PackageFolder package{{
        {"img/rows.png", render_test::pngBytes(2, 2, 3, kTwoRows)},
        {"img/rows_again.png", render_test::pngBytes(2, 2, 3, kTwoRows)},
        {"img/grey.png", render_test::pngBytes(1, 1, 1, {77})},
        {"img/grey_alpha.png", render_test::pngBytes(1, 1, 2, {77, 33})},
        {"img/rgb.jpg", render_test::jpgBytes(8, 8, 3, std::vector<uint8_t>(8 * 8 * 3, 200))},
        {"img/rgb.bmp", render_test::bmpBytes(1, 1, 3, {10, 20, 30})},
        {"img/rgba.tga", render_test::tgaBytes(1, 1, 4, {10, 20, 30, 40})},
        {"img/garbage.png", "\x89PNG this is no image"},
        {"img/empty.png", ""},
    }};
    TextureManager* cache = TextureManager::getInstance();
};

TEST_F(TextureManagerTest, SharesOneTextureUntilTheLastReferenceIsGivenBack) {
    ASSERT_TRUE(package.ok());
    const GLuint first = cache->loadTexture("img/rows.png", false);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(cache->loadTexture("img/rows.png", true), first);
    EXPECT_EQ(cache->getReferenceCount("img/rows.png"), 2);

    cache->freeTexture("img/rows.png");
    EXPECT_EQ(cache->getReferenceCount("img/rows.png"), 1);
    EXPECT_TRUE(glIsTexture(first));
    cache->freeTexture("img/rows.png");
    EXPECT_EQ(cache->getReferenceCount("img/rows.png"), 0);
    EXPECT_FALSE(glIsTexture(first));

    CapturedStdout output;
    cache->freeTexture("img/rows.png");
    EXPECT_EQ(output.finish(), "");
}

TEST_F(TextureManagerTest, FlipDecidesWhereTheImagesFirstRowGoes) {
    ASSERT_TRUE(package.ok());
    struct Case {
        const char* name;
        bool flip;
        bool reloadFlipped;  // a second load with the other setting keeps the first
        uint8_t bottomRed;   // red of the row at v = 0
    };
    const Case cases[] = {
        {"img/rows.png", false, true, 255},
        {"img/rows_again.png", true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GLuint texture = cache->loadTexture(c.name, c.flip);
        ASSERT_NE(texture, 0u);
        EXPECT_EQ(cache->loadTexture(c.name, c.reloadFlipped), texture);
        const std::vector<uint8_t> rows = textureRows(texture, 2, 2);
        EXPECT_EQ(rows[0], c.bottomRed);
        EXPECT_EQ(rows[8], 255 - c.bottomRed);
        cache->freeTexture(c.name);
        cache->freeTexture(c.name);
    }
}

TEST_F(TextureManagerTest, EveryStoredLayoutArrivesAsRgba) {
    ASSERT_TRUE(package.ok());
    struct Case {
        const char* name;
        int width;
        int height;
        uint8_t r, g, b, a;
        int tolerance;
    };
    const Case cases[] = {
        {"img/grey.png", 1, 1, 77, 77, 77, 255, 0},
        {"img/grey_alpha.png", 1, 1, 77, 77, 77, 33, 0},
        {"img/rgb.jpg", 8, 8, 200, 200, 200, 255, 3},
        {"img/rgb.bmp", 1, 1, 10, 20, 30, 255, 0},
        {"img/rgba.tga", 1, 1, 10, 20, 30, 40, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GLuint texture = cache->loadTexture(c.name, false);
        ASSERT_NE(texture, 0u);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, c.width);
        const std::vector<uint8_t> rgba = textureRows(texture, c.width, c.height);
        EXPECT_NEAR(rgba[0], c.r, c.tolerance);
        EXPECT_NEAR(rgba[1], c.g, c.tolerance);
        EXPECT_NEAR(rgba[2], c.b, c.tolerance);
        EXPECT_EQ(rgba[3], c.a);
        // Repeat wrap and nearest filtering; the mip chain exists down to 1 x 1.
        GLint wrapS = 0, wrapT = 0, minFilter = 0, magFilter = 0, smallest = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &smallest);
        EXPECT_EQ(wrapS, GL_REPEAT);
        EXPECT_EQ(wrapT, GL_REPEAT);
        EXPECT_EQ(minFilter, GL_NEAREST);
        EXPECT_EQ(magFilter, GL_NEAREST);
        EXPECT_EQ(smallest, c.width == 8 ? 1 : 0);
        cache->freeTexture(c.name);
    }
}

TEST_F(TextureManagerTest, FailedLoadsReturnZeroLogAndCacheNothing) {
    ASSERT_TRUE(package.ok());
    struct Case {
        const char* name;
        const char* line;
    };
    const Case cases[] = {
        {"img/none.png", "] Failed to load package data for img/none.png\n"},
        {"img/garbage.png", "] Failed to load texture (img/garbage.png)\n"},
        {"img/empty.png", "] Failed to load texture (img/empty.png)\n"},
    };
    for (const Case& c : cases) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            SCOPED_TRACE(c.name);
            CapturedStdout output;
            EXPECT_EQ(cache->loadTexture(c.name, true), 0u);
            const std::string text = output.finish();
            const size_t at = text.find(c.line);
            ASSERT_NE(at, std::string::npos) << text;
            EXPECT_EQ(text.rfind("  [ERROR] [", at), text.rfind('\n', at) + 1) << text;
            EXPECT_EQ(cache->getReferenceCount(c.name), 0);
        }
    }
}

}  // namespace
