// The process-wide cache from an image entry of the package to an OpenGL texture, shared
// with reference counts: each image is decoded and uploaded once however many objects show
// it. Created on first use; lives until the process ends.
#pragma once

#include <map>
#include <string>

#include <GL/glew.h>

#include "render/TextureHelper.h"

class TextureManager {
public:
    static TextureManager* getInstance();

    // The texture of the image entry path as 8-bit RGBA, rows flipped when flip is set (then
    // texture coordinate (0, 0) is the image's lower left corner, else its upper left). A
    // cached texture keeps the orientation of its first load. 0 after a log line on failure.
    GLuint loadTexture(std::string path, bool flip);
    // Gives back one reference; the last one deletes the texture. Unknown names are ignored.
    void freeTexture(std::string path);

    // Shares held of path's texture; 0 when it is not cached.
    int getReferenceCount(const std::string& path) const;
    // Shares held of every cached texture, by path.
    std::map<std::string, int> getReferenceCounts() const;

private:
    TextureManager() = default;

    static TextureManager* sInstance;
    // Owns the records in it.
    std::map<std::string, TextureHelper*> textures;
};
