#include "RenderTestKit.h"

#include <GL/glew.h>
#include <stb_image_write.h>

namespace render_test {

namespace {
void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}
const int kJpgQuality = 95;
}  // namespace

std::string pngBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    std::string bytes;
    stbi_write_png_to_func(appendBytes, &bytes, width, height, channels, pixels.data(), width * channels);
    return bytes;
}

std::string bmpBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    std::string bytes;
    stbi_write_bmp_to_func(appendBytes, &bytes, width, height, channels, pixels.data());
    return bytes;
}

std::string tgaBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    std::string bytes;
    stbi_write_tga_to_func(appendBytes, &bytes, width, height, channels, pixels.data());
    return bytes;
}

std::string jpgBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    std::string bytes;
    stbi_write_jpg_to_func(appendBytes, &bytes, width, height, channels, pixels.data(), kJpgQuality);
    return bytes;
}

std::string assetSource(const std::string& entry) {
    return testing_support::readFile(std::string(QUENLOW_SOURCE_DIR) + "/assets/" + entry);
}

PackageFolder::PackageFolder(const testing_support::Entries& extra) {
    testing_support::Entries entries;
    for (const char* shader : {"shaders/basicortho.vs", "shaders/basicortho.fs", "shaders/text.vs", "shaders/text.fs"}) {
        entries.emplace_back(shader, assetSource(shader));
    }
    entries.insert(entries.end(), extra.begin(), extra.end());
    built = testing_support::buildPackage(dir.path(), entries);
    inside = std::make_unique<testing_support::ScopedWorkingDirectory>(dir.path());
}

void clearWindow(float r, float g, float b) {
    glViewport(0, 0, 1280, 720);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

}  // namespace render_test
