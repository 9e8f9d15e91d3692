#include "RenderTestKit.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "support/RunAssets.h"

namespace render_test {

std::string assetSource(const std::string& entry) {
    return testing_support::readFile(std::string(QUENLOW_SOURCE_DIR) + "/assets/" + entry);
}

testing_support::Entries drawableShaders() {
    testing_support::Entries entries;
    for (const char* name :
         {"basic_textured.vs", "basic_textured.fs", "model.vs", "model.fs", "model_material.fs", "particlesystem.vs",
          "particlesystem.fs", "water.vs", "water.fs", "line.vs", "line.fs", "texture_light.vs", "texture_light.fs"}) {
        entries.emplace_back(std::string("shaders/") + name, assetSource(std::string("shaders/") + name));
    }
    return entries;
}

testing_support::Entries withHudShaders(const testing_support::Entries& extra) {
    testing_support::Entries entries;
    for (const char* shader :
         {"shaders/basicortho.vs", "shaders/basicortho.fs", "shaders/text.vs", "shaders/text.fs"}) {
        entries.emplace_back(shader, assetSource(shader));
    }
    entries.insert(entries.end(), extra.begin(), extra.end());
    return entries;
}

std::string solidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), {r, g, b});
    }
    return pngBytes(width, height, 3, pixels);
}

void clearWindow(float r, float g, float b) {
    glViewport(0, 0, 1280, 720);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

Camera sheetCell(int columns, int rows, int index, const glm::vec3& eye, const glm::vec3& target,
                 const glm::vec3& clear) {
    const int width = 1280 / columns, height = 720 / rows;
    const int x = (index % columns) * width, y = 720 - (index / columns + 1) * height;
    glScissor(x, y, width, height);
    glEnable(GL_SCISSOR_TEST);
    clearWindow(clear.r, clear.g, clear.b);
    glDisable(GL_SCISSOR_TEST);
    glViewport(x, y, width, height);
    return Camera(eye, target, glm::vec3(0.0f, 0.0f, 1.0f), static_cast<float>(width), static_cast<float>(height));
}

void saveScreenshot(const std::string& name) {
    glViewport(0, 0, 1280, 720);
    EXPECT_TRUE(testing_support::writeScreenshot(std::string(QUENLOW_TEST_OUTPUT) + "/" + name)) << name;
}

void expectColour(int x, int y, const testing_support::Rgba& colour, int tolerance) {
    const testing_support::Rgba pixel = testing_support::readPixel(x, y);
    EXPECT_TRUE(testing_support::near(pixel, colour.r, colour.g, colour.b, tolerance))
        << "at (" << x << ", " << y << "): " << pixel.r << " " << pixel.g << " " << pixel.b;
}

bool colourNear(int x, int y, int radius, int r, int g, int b, int tolerance) {
    const std::vector<uint8_t> box =
        testing_support::readPixels(x - radius, y - radius, 2 * radius + 1, 2 * radius + 1);
    for (size_t i = 0; i < box.size(); i += 4) {
        if (testing_support::near({box[i], box[i + 1], box[i + 2], 255}, r, g, b, tolerance)) {
            return true;
        }
    }
    return false;
}

bool isLit(int x, int y) {
    return !testing_support::near(testing_support::readPixel(x, y), 0, 0, 0, 4);
}

double imageShown(const std::string& entry, int x, int y) {
    static std::map<std::string, testing_support::Image> cache;
    testing_support::Image& picture = cache[entry];
    if (picture.pixels.empty() && !testing_support::decodeRunImage(entry, &picture, 4)) {
        return 0.0;
    }
    // Some 400 of the opaque texels, each against the window pixel at its place: the top row
    // of the image is the top row of the quad.
    const std::vector<uint8_t> window = testing_support::readPixels(x, y, picture.width, picture.height);
    const int step = std::max(1, picture.width * picture.height / 1600);
    int sampled = 0, matching = 0;
    for (int texel = 0; texel < picture.width * picture.height; texel += step) {
        const uint8_t* colour = picture.at(texel % picture.width, texel / picture.width);
        const uint8_t* pixel =
            &window[(static_cast<size_t>(picture.height - 1 - texel / picture.width) * picture.width +
                     texel % picture.width) *
                    4];
        sampled += colour[3] == 255;
        matching += colour[3] == 255 &&
                    testing_support::near({pixel[0], pixel[1], pixel[2], 255}, colour[0], colour[1], colour[2], 6);
    }
    return sampled == 0 ? 0.0 : static_cast<double>(matching) / sampled;
}

int whitePixels(int x, int y, int width, int height) {
    const std::vector<uint8_t> box = testing_support::readPixels(x, y, width, height);
    int white = 0;
    for (size_t pixel = 0; pixel < box.size(); pixel += 4) {
        white += box[pixel] > 200 && box[pixel + 1] > 200 && box[pixel + 2] > 200;
    }
    return white;
}

testing::AssertionResult hasLogLine(const std::string& log, const std::string& text, const char* tag) {
    const size_t end = log.find("] " + text + "\n");
    const size_t start = end == std::string::npos ? end : log.rfind(tag, end);
    if (start != std::string::npos && log.find('\n', start) > end) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "no line \"" << tag << "...] " << text << "\" in:\n" << log;
}

}  // namespace render_test

// Every gl test draws into one shown window, opened before the first test and closed after the last.
int main(int argc, char** argv) {
    struct GlEnvironment : ::testing::Environment {
        void SetUp() override {
            // A failure here would only skip every test, and a skipped test counts as passed.
            if (!testing_support::openTestWindow()) {
                fprintf(stderr, "no OpenGL 3.3 core window\n");
                std::exit(1);
            }
        }
        void TearDown() override { testing_support::closeTestWindow(); }
    };
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlEnvironment);
    return RUN_ALL_TESTS();
}
