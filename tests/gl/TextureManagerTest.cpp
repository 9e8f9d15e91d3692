#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/TextureManager.h"

using testing_support::CapturedStdout;

namespace {

class TextureManagerTest : public ::testing::Test {
protected:
    render_test::PackageFolder package{{
        {"img/grey.png", render_test::pngBytes(1, 1, 1, {77})},
        {"img/grey_alpha.png", render_test::pngBytes(1, 1, 2, {77, 33})},
        {"img/rgb.jpg", render_test::jpgBytes(8, 8, 3, std::vector<uint8_t>(8 * 8 * 3, 200))},
        {"img/garbage.png", "\x89PNG this is no image"},
    }};
    TextureManager* cache = TextureManager::getInstance();
};

TEST_F(TextureManagerTest, SharesOneTextureUntilTheLastReferenceIsGivenBack) {
    ASSERT_TRUE(package.ok());
    const GLuint first = cache->loadTexture("img/grey.png", false);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(cache->loadTexture("img/grey.png", true), first);  // the first load's orientation stays
    EXPECT_EQ(cache->getReferenceCount("img/grey.png"), 2);

    cache->freeTexture("img/grey.png");
    EXPECT_TRUE(glIsTexture(first));
    cache->freeTexture("img/grey.png");
    EXPECT_FALSE(glIsTexture(first));
    EXPECT_EQ(cache->getReferenceCount("img/grey.png"), 0);

    CapturedStdout output;
    cache->freeTexture("img/grey.png");
    EXPECT_EQ(output.finish(), "");
}

TEST_F(TextureManagerTest, EveryStoredLayoutArrivesAsRgba) {
    ASSERT_TRUE(package.ok());
    struct Case {
        const char* name;
        int r, g, b, a;
        int tolerance;
    };
    const Case cases[] = {
        {"img/grey.png", 77, 77, 77, 255, 0},
        {"img/grey_alpha.png", 77, 77, 77, 33, 0},
        {"img/rgb.jpg", 200, 200, 200, 255, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GLuint texture = cache->loadTexture(c.name, false);
        ASSERT_NE(texture, 0u);
        std::vector<uint8_t> rgba(8 * 8 * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        EXPECT_NEAR(rgba[0], c.r, c.tolerance);
        EXPECT_NEAR(rgba[1], c.g, c.tolerance);
        EXPECT_NEAR(rgba[2], c.b, c.tolerance);
        EXPECT_EQ(rgba[3], c.a);
        GLint minFilter = 0;
        GLint magFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        EXPECT_EQ(minFilter, GL_NEAREST);
        EXPECT_EQ(magFilter, GL_NEAREST);
        cache->freeTexture(c.name);
    }
}

TEST_F(TextureManagerTest, FailedLoadsReturnZeroLogAndCacheNothing) {
    ASSERT_TRUE(package.ok());
    const std::pair<const char*, const char*> cases[] = {
        {"img/none.png", "] Failed to load package data for img/none.png\n"},
        {"img/garbage.png", "] Failed to load texture (img/garbage.png)\n"},
    };
    for (const auto& [name, line] : cases) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            SCOPED_TRACE(name);
            CapturedStdout output;
            EXPECT_EQ(cache->loadTexture(name, true), 0u);
            const std::string text = output.finish();
            const size_t at = text.find(line);
            ASSERT_NE(at, std::string::npos) << text;
            EXPECT_EQ(text.rfind("  [ERROR] [", at), text.rfind('\n', at) + 1) << text;
            EXPECT_EQ(cache->getReferenceCount(name), 0);
        }
    }
}

}  // namespace
