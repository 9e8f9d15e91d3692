#include "AssetWriter.h"

#include <stb_image_write.h>

#include <sys/stat.h>
#include <cstdio>

namespace assetgen {

bool makeParentDirs(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string dir = path.substr(0, slash);
        if (mkdir(dir.c_str(), 0755) != 0) {
            struct stat info {};
            if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
                fprintf(stderr, "assetgen: cannot create folder %s\n", dir.c_str());
                return false;
            }
        }
    }
    return true;
}

bool writeEntry(const std::string& outDir, const std::string& entryName, const void* data, size_t size) {
    const std::string path = outDir + "/" + entryName;
    if (!makeParentDirs(path)) {
        return false;
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = size == 0 || fwrite(data, 1, size, file) == size;
    const bool closed = fclose(file) == 0;
    if (!written || !closed) {
        fprintf(stderr, "assetgen: short write to %s\n", path.c_str());
    }
    return written && closed;
}

bool writeEntry(const std::string& outDir, const std::string& entryName, const std::string& text) {
    return writeEntry(outDir, entryName, text.data(), text.size());
}

namespace {

// stb_image_write's callback flavour lets every format go through writeEntry.
void appendToVector(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    const auto* begin = static_cast<const uint8_t*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
}

bool checkImage(const std::string& entryName, int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    if (width <= 0 || height <= 0 || channels < 1 || channels > 4 ||
        pixels.size() != static_cast<size_t>(width) * height * channels) {
        fprintf(stderr, "assetgen: %s has %zu bytes for %dx%dx%d\n", entryName.c_str(), pixels.size(), width, height,
                channels);
        return false;
    }
    return true;
}

template <typename Encode>
bool encodeAndWrite(const std::string& outDir, const std::string& entryName, Encode encode) {
    std::vector<uint8_t> bytes;
    if (encode(&bytes) == 0) {
        fprintf(stderr, "assetgen: cannot encode %s\n", entryName.c_str());
        return false;
    }
    return writeEntry(outDir, entryName, bytes.data(), bytes.size());
}

}  // namespace

bool writePng(const std::string& outDir, const std::string& entryName, int width, int height, int channels,
              const std::vector<uint8_t>& pixels) {
    return checkImage(entryName, width, height, channels, pixels) &&
           encodeAndWrite(outDir, entryName, [&](std::vector<uint8_t>* bytes) {
               return stbi_write_png_to_func(appendToVector, bytes, width, height, channels, pixels.data(),
                                             width * channels);
           });
}

bool writeJpg(const std::string& outDir, const std::string& entryName, int width, int height, int channels,
              const std::vector<uint8_t>& pixels, int quality) {
    return checkImage(entryName, width, height, channels, pixels) &&
           encodeAndWrite(outDir, entryName, [&](std::vector<uint8_t>* bytes) {
               return stbi_write_jpg_to_func(appendToVector, bytes, width, height, channels, pixels.data(), quality);
           });
}

bool writeBmp(const std::string& outDir, const std::string& entryName, int width, int height, int channels,
              const std::vector<uint8_t>& pixels) {
    return checkImage(entryName, width, height, channels, pixels) &&
           encodeAndWrite(outDir, entryName, [&](std::vector<uint8_t>* bytes) {
               return stbi_write_bmp_to_func(appendToVector, bytes, width, height, channels, pixels.data());
           });
}

bool writeTga(const std::string& outDir, const std::string& entryName, int width, int height, int channels,
              const std::vector<uint8_t>& pixels) {
    return checkImage(entryName, width, height, channels, pixels) &&
           encodeAndWrite(outDir, entryName, [&](std::vector<uint8_t>* bytes) {
               return stbi_write_tga_to_func(appendToVector, bytes, width, height, channels, pixels.data());
           });
}

}  // namespace assetgen
