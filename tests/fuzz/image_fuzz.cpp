// Image entries decoded the ways the game asks for them: textures as RGBA, flipped or not,
// and heightmaps with the channels they store.
#include <cstdint>
#include <vector>

#include <stb_image.h>

#include "core/ImageDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<char> entry(data, data + size);
    const char* bytes = entry.empty() ? nullptr : entry.data();
    const struct {
        int channels;
        bool flip;
    } decodes[] = {{4, true}, {0, false}};
    for (const auto& decode : decodes) {
        stbi_set_flip_vertically_on_load(decode.flip ? 1 : 0);
        int width = 0;
        int height = 0;
        int stored = 0;
        unsigned char* pixels = decode_image(bytes, static_cast<uint32_t>(entry.size()), decode.channels,
                                             "textures/fuzz.png", &width, &height, &stored);
        if (pixels != nullptr) {
            // Touch the last pixel: the decode must have delivered every byte it declares.
            const int channels = decode.channels != 0 ? decode.channels : stored;
            volatile unsigned char last = pixels[static_cast<size_t>(width) * height * channels - 1];
            (void)last;
            stbi_image_free(pixels);
        }
    }
    return 0;
}
