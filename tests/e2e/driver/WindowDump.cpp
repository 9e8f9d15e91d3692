#include "WindowDump.h"

#include <cstddef>
#include <cstdint>

namespace e2e {

namespace {

uint32_t bigEndian(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

int lowestBit(uint32_t mask) {
    int bit = 0;
    while (bit < 31 && (mask >> bit & 1u) == 0) {
        ++bit;
    }
    return bit;
}

}  // namespace

// A header of big-endian fields, the colour map, then the rows.
bool decodeWindowDump(const std::string& bytes, Screen* screen) {
    const size_t kFields = 25;
    if (bytes.size() < kFields * 4) {
        return false;
    }
    const uint32_t headerSize = bigEndian(bytes, 0);
    const uint32_t width = bigEndian(bytes, 16);
    const uint32_t height = bigEndian(bytes, 20);
    const bool lsbFirst = bigEndian(bytes, 28) == 0;
    const uint32_t bitsPerPixel = bigEndian(bytes, 44);
    const uint32_t bytesPerLine = bigEndian(bytes, 48);
    const uint32_t masks[3] = {bigEndian(bytes, 56), bigEndian(bytes, 60), bigEndian(bytes, 64)};
    const int shifts[3] = {lowestBit(masks[0]), lowestBit(masks[1]), lowestBit(masks[2])};
    const uint32_t colours = bigEndian(bytes, 76);
    const size_t first = static_cast<size_t>(headerSize) + static_cast<size_t>(colours) * 12;
    if (bitsPerPixel != 32 || width == 0 || width > 8192 || height > 8192 || bytesPerLine < width * 4 ||
        first + static_cast<size_t>(bytesPerLine) * height > bytes.size()) {
        return false;
    }
    screen->width = static_cast<int>(width);
    screen->height = static_cast<int>(height);
    screen->rgb.resize(static_cast<size_t>(width) * height * 3);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const size_t at = first + static_cast<size_t>(y) * bytesPerLine + x * 4;
            uint32_t pixel = 0;
            for (size_t i = 0; i < 4; ++i) {
                const uint32_t byte = static_cast<uint8_t>(bytes[at + (lsbFirst ? 3 - i : i)]);
                pixel = pixel << 8 | byte;
            }
            for (int channel = 0; channel < 3; ++channel) {
                screen->rgb[(static_cast<size_t>(y) * width + x) * 3 + channel] =
                    static_cast<uint8_t>((pixel & masks[channel]) >> shifts[channel]);
            }
        }
    }
    return true;
}

}  // namespace e2e
