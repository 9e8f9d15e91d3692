// Image entries decoded the ways the game asks for them: textures as RGBA, flipped or not,
// and heightmaps through the terrain tile's own decode, with its tighter bounds.
#include <cstdint>
#include <string>
#include <vector>

#include <stb_image.h>

#include "core/ImageDecode.h"
#include "game/LevelTile.h"

namespace {

// The game decodes up to sixteen million pixels, and a few damaged bytes can declare that
// many; the sanitized decoder takes seconds over one. Sizes past this are left to the unit
// tests of the refusals: the decoders' paths are the same for a smaller image.
constexpr int64_t kFuzzedPixels = int64_t{512} * 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<char> entry(data, data + size);
    const char* bytes = entry.empty() ? nullptr : entry.data();
    int declaredWidth = 0;
    int declaredHeight = 0;
    int declaredChannels = 0;
    if (read_image_header(bytes, static_cast<uint32_t>(entry.size()), &declaredWidth, &declaredHeight,
                          &declaredChannels) &&
        static_cast<int64_t>(declaredWidth) * declaredHeight > kFuzzedPixels) {
        return 0;
    }
    for (bool flip : {true, false}) {
        stbi_set_flip_vertically_on_load(flip ? 1 : 0);
        int width = 0;
        int height = 0;
        int stored = 0;
        unsigned char* pixels =
            decode_image(bytes, static_cast<uint32_t>(entry.size()), 4, "textures/fuzz.png", &width, &height, &stored);
        if (pixels != nullptr) {
            // Touch the last pixel: the decode must have delivered every byte it declares.
            volatile unsigned char last = pixels[static_cast<size_t>(width) * height * 4 - 1];
            (void)last;
            stbi_image_free(pixels);
        }
    }
    // The tile copies out every row and column the decode declares.
    std::vector<unsigned char> rgb;
    int columns = 0;
    int rows = 0;
    decode_heightmap(bytes, static_cast<uint32_t>(entry.size()), "textures/heightmaps/fuzz.png", &rgb, &columns, &rows);
    return 0;
}
