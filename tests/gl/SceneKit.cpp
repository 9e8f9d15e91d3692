#include "SceneKit.h"

#include <GL/glew.h>

#include <cstdlib>

namespace scene_test {

testing_support::Entries drawableShaders() {
    testing_support::Entries entries;
    for (const char* name :
         {"basic_textured.vs", "basic_textured.fs", "model.vs", "model.fs", "model_material.fs", "particlesystem.vs",
          "particlesystem.fs", "water.vs", "water.fs", "circle.vs", "circle.fs", "line.vs", "line.fs", "shownormals.vs",
          "shownormals.gs", "shownormals.fs", "texture_light.vs", "texture_light.fs"}) {
        const std::string entry = std::string("shaders/") + name;
        entries.emplace_back(entry, render_test::assetSource(entry));
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

bool isLit(int x, int y, int tolerance) {
    const testing_support::Rgba pixel = testing_support::readPixel(x, y);
    return std::abs(pixel.r) + std::abs(pixel.g) + std::abs(pixel.b) > tolerance;
}

void saveScreenshot(const std::string& name) {
    testing_support::writeScreenshot(std::string(QUENLOW_TEST_OUTPUT) + "/" + name);
}

Camera sheetCell(int columns, int rows, int index, const glm::vec3& eye, const glm::vec3& target,
                 const glm::vec3& clear) {
    const int width = 1280 / columns;
    const int height = 720 / rows;
    const int x = (index % columns) * width;
    const int y = 720 - (index / columns + 1) * height;
    glViewport(x, y, width, height);
    glScissor(x, y, width, height);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(clear.r, clear.g, clear.b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_TEST);
    return Camera(eye, target, glm::vec3(0.0f, 0.0f, 1.0f), static_cast<float>(width), static_cast<float>(height));
}

void saveSheet(const std::string& name) {
    glViewport(0, 0, 1280, 720);
    saveScreenshot(name);
}

}  // namespace scene_test
