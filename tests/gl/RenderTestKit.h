// Shared by the drawing tests: packages of the game's shaders made in a fresh folder that
// becomes the working directory, cameras, and read-back probes of what was drawn.
#pragma once

#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <memory>
#include <string>
#include <vector>

#include "render/Camera.h"
#include "support/GlWindow.h"
#include "support/TestSupport.h"

namespace render_test {

using testing_support::bmpBytes;
using testing_support::pngBytes;

// The hand-written source of entry (e.g. "shaders/text.vs") from the source tree.
std::string assetSource(const std::string& entry);
// Every shader source of the 3D drawables, as package entries.
testing_support::Entries drawableShaders();

// The game's basicortho and text shader sources, then the extra entries.
testing_support::Entries withHudShaders(const testing_support::Entries& extra);
// A package of those in a temporary folder that is the working directory while the object lives.
struct PackageFolder : testing_support::PackageDir {
    explicit PackageFolder(const testing_support::Entries& extra) : PackageDir(withHudShaders(extra)) {}
    bool ok() const { return built; }
};

// A 1280 x 720 camera with the game's perspective at eye, looking at target.
inline Camera lookingAt(const glm::vec3& eye, const glm::vec3& target, const glm::vec3& up = {0, 0, 1}) {
    return Camera(eye, target, up, 1280.0f, 720.0f);
}
// A width x height image of one RGB colour, as PNG bytes.
std::string solidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b);

// Clears the whole window to one opaque colour, depth test on as the frame loops leave it.
void clearWindow(float r, float g, float b);
// Clears cell `index` of a columns x rows grid over the window (rows from the top), makes it
// the viewport and returns a camera of the cell's shape: a contact sheet of many views.
Camera sheetCell(int columns, int rows, int index, const glm::vec3& eye, const glm::vec3& target,
                 const glm::vec3& clear);
// Saves the whole window to build/test-output/name.
void saveScreenshot(const std::string& name);

// Expects the window pixel at (x, y) to show colour within tolerance, naming what it shows on failure.
void expectColour(int x, int y, const testing_support::Rgba& colour, int tolerance = 3);
// True when some pixel within `radius` of (x, y) is near the colour.
bool colourNear(int x, int y, int radius, int r, int g, int b, int tolerance = 12);
// True when something was drawn at (x, y) over a window cleared to black.
bool isLit(int x, int y);
// The share of the run folder's picture's opaque texels that the window shows at their place,
// the picture drawn 1:1 with its lower left corner at (x, y) (loaded flipped, as the HUD does).
double imageShown(const std::string& entry, int x, int y);
inline bool imageVisible(const std::string& entry, int x, int y) {
    return imageShown(entry, x, y) > 0.9;
}
// Pixels of the box (lower left x, y) that are nearly white.
int whitePixels(int x, int y, int width, int height);

// Passes when some line of log ends in tag + time stamp + "] " + text.
testing::AssertionResult hasLogLine(const std::string& log, const std::string& text, const char* tag = "  [ERROR] [");

}  // namespace render_test
