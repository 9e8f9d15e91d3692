// The one shown 1280 x 720 window with an OpenGL 3.3 core context that a gl test
// executable draws into, and pixel read-back helpers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

bool openTestWindow();
void closeTestWindow();

// RGBA pixel of the back buffer at (x, y), origin bottom left as OpenGL counts.
struct Rgba {
    int r, g, b, a;
};
Rgba readPixel(int x, int y);
// RGBA rows from the bottom, as glReadPixels gives them.
std::vector<uint8_t> readPixels(int x, int y, int width, int height);
// Writes the whole 1280 x 720 back buffer as a PNG, rows from the top.
bool writeScreenshot(const std::string& path);
bool near(const Rgba& pixel, int r, int g, int b, int tolerance = 8);

}  // namespace testing_support
