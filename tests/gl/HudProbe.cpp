#include "HudProbe.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "support/GlWindow.h"
#include "support/RunAssets.h"

namespace hud_test {

namespace {

const int kTolerance = 6;
const size_t kSamples = 400;

const testing_support::Image& image(const std::string& entry) {
    static std::map<std::string, testing_support::Image> cache;
    auto found = cache.find(entry);
    if (found == cache.end()) {
        testing_support::Image decoded;
        testing_support::decodeRunImage(entry, &decoded, 4);
        found = cache.emplace(entry, decoded).first;
    }
    return found->second;
}

}  // namespace

double imageShown(const std::string& entry, int x, int y) {
    const testing_support::Image& picture = image(entry);
    if (picture.pixels.empty()) {
        return 0.0;
    }
    const std::vector<uint8_t> window = testing_support::readPixels(x, y, picture.width, picture.height);
    std::vector<std::pair<int, int>> opaque;
    for (int row = 0; row < picture.height; ++row) {
        for (int column = 0; column < picture.width; ++column) {
            if (picture.at(column, row)[3] == 255) {
                opaque.emplace_back(column, row);
            }
        }
    }
    if (opaque.empty()) {
        return 0.0;
    }
    const size_t step = std::max<size_t>(1, opaque.size() / kSamples);
    size_t sampled = 0;
    size_t matching = 0;
    for (size_t index = 0; index < opaque.size(); index += step) {
        const auto [column, row] = opaque[index];
        const uint8_t* texel = picture.at(column, row);
        // The top row of the image is the top row of the quad.
        const uint8_t* pixel = &window[(static_cast<size_t>(picture.height - 1 - row) * picture.width + column) * 4];
        ++sampled;
        matching += std::abs(texel[0] - pixel[0]) <= kTolerance && std::abs(texel[1] - pixel[1]) <= kTolerance &&
                    std::abs(texel[2] - pixel[2]) <= kTolerance;
    }
    return static_cast<double>(matching) / static_cast<double>(sampled);
}

bool imageVisible(const std::string& entry, int x, int y) {
    return imageShown(entry, x, y) > 0.9;
}

bool imageAbsent(const std::string& entry, int x, int y) {
    return imageShown(entry, x, y) < 0.3;
}

int whitePixels(int x, int y, int width, int height) {
    const std::vector<uint8_t> box = testing_support::readPixels(x, y, width, height);
    int white = 0;
    for (size_t pixel = 0; pixel < box.size(); pixel += 4) {
        white += box[pixel] > 200 && box[pixel + 1] > 200 && box[pixel + 2] > 200;
    }
    return white;
}

}  // namespace hud_test
