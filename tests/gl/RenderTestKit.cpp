#include "RenderTestKit.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

namespace render_test {

std::string assetSource(const std::string& entry) {
    return testing_support::readFile(std::string(QUENLOW_SOURCE_DIR) + "/assets/" + entry);
}

PackageFolder::PackageFolder(const testing_support::Entries& extra) {
    testing_support::Entries entries;
    for (const char* shader : {"shaders/basicortho.vs", "shaders/basicortho.fs", "shaders/text.vs", "shaders/text.fs"}) {
        entries.emplace_back(shader, assetSource(shader));
    }
    entries.insert(entries.end(), extra.begin(), extra.end());
    built = testing_support::buildPackage(dir.path(), entries);
    inside = std::make_unique<testing_support::ScopedWorkingDirectory>(dir.path());
}

void expectColour(int x, int y, const testing_support::Rgba& colour, int tolerance) {
    const testing_support::Rgba pixel = testing_support::readPixel(x, y);
    EXPECT_TRUE(testing_support::near(pixel, colour.r, colour.g, colour.b, tolerance))
        << "at (" << x << ", " << y << "): " << pixel.r << " " << pixel.g << " " << pixel.b;
}

testing::AssertionResult hasLogLine(const std::string& log, const std::string& text, const char* tag) {
    const size_t end = log.find("] " + text + "\n");
    const size_t start = end == std::string::npos ? end : log.rfind(tag, end);
    if (start != std::string::npos && log.find('\n', start) > end) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "no line \"" << tag << "...] " << text << "\" in:\n" << log;
}

void clearWindow(float r, float g, float b) {
    glViewport(0, 0, 1280, 720);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

}  // namespace render_test
