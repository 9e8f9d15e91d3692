#include "render/TextureManager.h"

#include <cstdlib>

#include <stb_image.h>

#include "core/ImageDecode.h"
#include "core/Log.h"
#include "core/PackageManager.h"

TextureManager* TextureManager::sInstance = nullptr;

namespace {
const int kRgbaChannels = 4;

// Repeat on both axes and nearest filtering: the mip levels exist but are never sampled.
GLuint uploadRgba(const unsigned char* pixels, int width, int height) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    return texture;
}
}  // namespace

TextureManager* TextureManager::getInstance() {
    if (sInstance == nullptr) {
        sInstance = new TextureManager();
    }
    return sInstance;
}

GLuint TextureManager::loadTexture(std::string path, bool flip) {
    auto found = textures.find(path);
    if (found != textures.end()) {
        found->second->referenceCount++;
        return found->second->textureId;
    }

    // Process-wide in stb_image: it stays as set for every later decode until changed.
    stbi_set_flip_vertically_on_load(flip ? 1 : 0);
    uint32_t size = 0;
    char* bytes = PackageManager::getInstance()->load(kPackageFile, path, &size);
    if (bytes == nullptr) {
        LOG_ERROR("Failed to load package data for %s", path.c_str());
        return 0;
    }
    int width = 0;
    int height = 0;
    int storedChannels = 0;
    unsigned char* pixels = decode_image(bytes, size, kRgbaChannels, path, &width, &height, &storedChannels);
    free(bytes);
    if (pixels == nullptr) {
        LOG_ERROR("Failed to load texture (%s)", path.c_str());
        return 0;
    }
    const GLuint texture = uploadRgba(pixels, width, height);
    stbi_image_free(pixels);

    TextureHelper* record = new TextureHelper();
    record->textureId = texture;
    textures[path] = record;
    return texture;
}

void TextureManager::freeTexture(std::string path) {
    auto found = textures.find(path);
    if (found == textures.end()) {
        return;
    }
    TextureHelper* record = found->second;
    if (record->referenceCount-- == 1) {
        glDeleteTextures(1, &record->textureId);
        textures.erase(found);
        delete record;
    }
}

int TextureManager::getReferenceCount(const std::string& path) const {
    auto found = textures.find(path);
    return found == textures.end() ? 0 : found->second->referenceCount;
}

std::map<std::string, int> TextureManager::getReferenceCounts() const {
    std::map<std::string, int> counts;
    for (const auto& [path, record] : textures) {
        counts[path] = record->referenceCount;
    }
    return counts;
}
