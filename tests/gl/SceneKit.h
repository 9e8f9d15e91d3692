// Shared by the 3D drawable tests: a package with the game's own shaders of those
// drawables, cameras, searches of the window and contact sheets of many views.
#pragma once

#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "RenderTestKit.h"
#include "render/Camera.h"
#include "support/GlWindow.h"

namespace scene_test {

// Every shader source of the 3D drawables, as package entries.
testing_support::Entries drawableShaders();
// A 1280 x 720 camera with the game's perspective at eye, looking at target.
Camera lookingAt(const glm::vec3& eye, const glm::vec3& target, const glm::vec3& up = glm::vec3(0.0f, 0.0f, 1.0f));
// A width x height image of one RGB colour, as PNG bytes.
std::string solidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b);
// True when some pixel within `radius` of (x, y) is near the colour.
bool colourNear(int x, int y, int radius, int r, int g, int b, int tolerance = 12);
// True when something was drawn at (x, y) over a window cleared to black.
bool isLit(int x, int y);
// Saves the whole window to build/test-output/name.
void saveScreenshot(const std::string& name);
// Clears cell `index` of a columns x rows grid over the window (rows from the top), makes it
// the viewport and returns a camera of the cell's shape: a contact sheet of many views.
Camera sheetCell(int columns, int rows, int index, const glm::vec3& eye, const glm::vec3& target,
                 const glm::vec3& clear);

}  // namespace scene_test
