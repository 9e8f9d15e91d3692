#include "SceneKit.h"

#include <GL/glew.h>

namespace scene_test {

testing_support::Entries drawableShaders() {
    testing_support::Entries entries;
    for (const char* name :
         {"basic_textured.vs", "basic_textured.fs", "model.vs", "model.fs", "model_material.fs", "particlesystem.vs",
          "particlesystem.fs", "water.vs", "water.fs", "circle.vs", "circle.fs", "line.vs", "line.fs", "shownormals.vs",
          "shownormals.gs", "shownormals.fs", "texture_light.vs", "texture_light.fs"}) {
        entries.emplace_back(std::string("shaders/") + name, render_test::assetSource(std::string("shaders/") + name));
    }
    return entries;
}

Camera lookingAt(const glm::vec3& eye, const glm::vec3& target, const glm::vec3& up) {
    return Camera(eye, target, up, 1280.0f, 720.0f);
}

std::string solidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), {r, g, b});
    }
    return render_test::pngBytes(width, height, 3, pixels);
}

bool colourNear(int x, int y, int radius, int r, int g, int b, int tolerance) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (testing_support::near(testing_support::readPixel(x + dx, y + dy), r, g, b, tolerance)) {
                return true;
            }
        }
    }
    return false;
}

bool isLit(int x, int y) {
    return !testing_support::near(testing_support::readPixel(x, y), 0, 0, 0, 4);
}

void saveScreenshot(const std::string& name) {
    glViewport(0, 0, 1280, 720);
    testing_support::writeScreenshot(std::string(QUENLOW_TEST_OUTPUT) + "/" + name);
}

Camera sheetCell(int columns, int rows, int index, const glm::vec3& eye, const glm::vec3& target,
                 const glm::vec3& clear) {
    const int width = 1280 / columns;
    const int height = 720 / rows;
    glScissor((index % columns) * width, 720 - (index / columns + 1) * height, width, height);
    glEnable(GL_SCISSOR_TEST);
    render_test::clearWindow(clear.r, clear.g, clear.b);
    glDisable(GL_SCISSOR_TEST);
    glViewport((index % columns) * width, 720 - (index / columns + 1) * height, width, height);
    return Camera(eye, target, glm::vec3(0.0f, 0.0f, 1.0f), static_cast<float>(width), static_cast<float>(height));
}

}  // namespace scene_test
