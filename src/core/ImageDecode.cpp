#include "core/ImageDecode.h"

#include <climits>

#include <stb_image.h>

#include "core/Log.h"

bool read_image_header(const char* bytes, uint32_t size, int* width, int* height, int* storedChannels) {
    // stb_image counts its input in int.
    if (bytes == nullptr || size > static_cast<uint32_t>(INT_MAX)) {
        return false;
    }
    return stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes), static_cast<int>(size), width, height,
                                 storedChannels) != 0;
}

unsigned char* decode_image(const char* bytes, uint32_t size, int channels, const std::string& name, int* width,
                            int* height, int* storedChannels) {
    int declaredWidth = 0;
    int declaredHeight = 0;
    int declaredChannels = 0;
    if (!read_image_header(bytes, size, &declaredWidth, &declaredHeight, &declaredChannels)) {
        return nullptr;
    }
    if (declaredWidth <= 0 || declaredHeight <= 0 || declaredWidth > kMaxImageSide || declaredHeight > kMaxImageSide ||
        static_cast<int64_t>(declaredWidth) * declaredHeight > kMaxImagePixels) {
        LOG_ERROR("Image %s declares %d x %d pixels, more than the game reads", name.c_str(), declaredWidth,
                  declaredHeight);
        return nullptr;
    }
    return stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes), static_cast<int>(size), width, height,
                                 storedChannels, channels);
}
