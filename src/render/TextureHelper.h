// The texture cache's record of one texture: its OpenGL name and how many holders share it.
#pragma once

#include <GL/glew.h>

struct TextureHelper {
    GLuint textureId = 0;
    int referenceCount = 1;
};
