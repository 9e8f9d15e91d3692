#include "ScreenChecks.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cstdlib>

#include "support/RunAssets.h"

namespace e2e {

int Screen::count(int x, int y, int w, int h, const std::function<bool(const uint8_t*)>& test) const {
    int found = 0;
    for (int row = std::max(0, y); row < std::min(height, y + h); ++row) {
        for (int column = std::max(0, x); column < std::min(width, x + w); ++column) {
            found += test(at(column, row));
        }
    }
    return found;
}

bool Screen::save(const std::string& path) const {
    return !empty() && stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

bool isWhite(const uint8_t* pixel) {
    return pixel[0] > 200 && pixel[1] > 200 && pixel[2] > 200;
}

bool isColour(const uint8_t* pixel, int r, int g, int b, int tolerance) {
    return std::abs(pixel[0] - r) <= tolerance && std::abs(pixel[1] - g) <= tolerance &&
           std::abs(pixel[2] - b) <= tolerance;
}

bool showsImage(const Screen& screen, const std::string& entry, int x, int y, int tolerance) {
    testing_support::Image image;
    if (screen.empty() || !testing_support::decodeRunImage(entry, &image, 4)) {
        return false;
    }
    const int top = screen.height - y - image.height;
    int opaque = 0;
    int matching = 0;
    for (int row = 0; row < image.height; row += 2) {
        for (int column = 0; column < image.width; column += 2) {
            const uint8_t* texel = image.at(column, row);
            if (texel[3] == 255 && top + row >= 0 && top + row < screen.height) {
                ++opaque;
                matching += isColour(screen.at(x + column, top + row), texel[0], texel[1], texel[2], tolerance);
            }
        }
    }
    return opaque > 0 && matching > 0.9 * opaque;
}

bool showsScene(const Screen& screen) {
    const int cleared = screen.count(0, 0, screen.width, screen.height,
                                     [](const uint8_t* pixel) { return isColour(pixel, 255, 51, 51, 8); });
    const uint8_t* corner = screen.at(screen.width / 2, screen.height / 2);
    const int flat = screen.count(0, 0, screen.width, screen.height, [corner](const uint8_t* pixel) {
        return isColour(pixel, corner[0], corner[1], corner[2], 8);
    });
    return cleared == 0 && flat < screen.width * screen.height * 9 / 10;
}

}  // namespace e2e
