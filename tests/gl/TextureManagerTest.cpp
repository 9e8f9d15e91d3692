#include <GL/glew.h>
#include <gtest/gtest.h>

#include "RenderTestKit.h"
#include "render/TextureManager.h"

namespace {

class TextureManagerTest : public ::testing::Test {
protected:
    render_test::PackageFolder package{{{"img/grey.png", render_test::pngBytes(1, 1, 1, {77})},
                                        {"img/grey_alpha.png", render_test::pngBytes(1, 1, 2, {77, 33})},
                                        {"img/rgb.bmp", render_test::bmpBytes(1, 1, 3, {10, 20, 30})},
                                        {"img/garbage.png", "\x89PNG this is no image"}}};
    TextureManager* cache = TextureManager::getInstance();
};

TEST_F(TextureManagerTest, SharesOneTextureUntilTheLastReferenceIsGivenBack) {
    const GLuint first = cache->loadTexture("img/grey.png", false);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(cache->loadTexture("img/grey.png", true), first);
    EXPECT_EQ(cache->getReferenceCount("img/grey.png"), 2);
    cache->freeTexture("img/grey.png");
    EXPECT_TRUE(glIsTexture(first));
    cache->freeTexture("img/grey.png");
    EXPECT_FALSE(glIsTexture(first));
    cache->freeTexture("img/grey.png");  // one too many: quietly ignored
}

TEST_F(TextureManagerTest, EveryStoredLayoutArrivesAsRgba) {
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {{"img/grey.png", {77, 77, 77, 255}},
                                                                  {"img/grey_alpha.png", {77, 77, 77, 33}},
                                                                  {"img/rgb.bmp", {10, 20, 30, 255}}};
    for (const auto& [name, rgba] : cases) {
        ASSERT_NE(cache->loadTexture(name, false), 0u) << name;
        std::vector<uint8_t> stored(4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, stored.data());
        EXPECT_EQ(stored, rgba) << name;
        cache->freeTexture(name);
    }
}

TEST_F(TextureManagerTest, FailedLoadsReturnZeroLogAndCacheNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"img/none.png", "Failed to load package data for img/none.png"},
        {"img/garbage.png", "Failed to load texture (img/garbage.png)"}};
    for (const auto& [name, line] : cases) {
        testing_support::CapturedStdout output;
        EXPECT_EQ(cache->loadTexture(name, true), 0u);
        EXPECT_TRUE(render_test::hasLogLine(output.finish(), line));
        EXPECT_EQ(cache->getReferenceCount(name), 0);  // nothing cached: the next load tries again
    }
}

}  // namespace
