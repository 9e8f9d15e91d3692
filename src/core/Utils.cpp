#include "core/Utils.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>

#include <cstdio>

#include "core/Log.h"

const char* get_timestamp_string() {
    static char timestamp[20];
    const Uint32 ticks = SDL_GetTicks();
    snprintf(timestamp, sizeof(timestamp), "%03d:%02d:%03d", static_cast<int>(ticks / 60000),
             static_cast<int>((ticks % 60000) / 1000), static_cast<int>(ticks % 1000));
    return timestamp;
}

namespace {
const char* glErrorName(GLenum code) {
    switch (code) {
        case 0x0500: return "INVALID_ENUM";
        case 0x0501: return "INVALID_VALUE";
        case 0x0502: return "INVALID_OPERATION";
        case 0x0503: return "STACK_OVERFLOW";
        case 0x0504: return "STACK_UNDERFLOW";
        case 0x0505: return "OUT_OF_MEMORY";
        case 0x0506: return "INVALID_FRAMEBUFFER_OPERATION";
        default: return "Unknown";
    }
}
}  // namespace

unsigned int load_gl_functions() {
    glewExperimental = GL_TRUE;
    const GLenum result = glewInit();
    // GLEW loads the GL functions first and only then looks for the current GLX display, for
    // its own list of GLX extensions, which nothing here asks for. That display is now and
    // then not found though the context is current: the GL functions are there all the same.
    // Said all the same, for whoever then finds the window black.
    if (result == GLEW_ERROR_NO_GLX_DISPLAY) {
        LOG_WARNING("GLEW found no current GLX display; going on with the GL functions it loaded");
        return GLEW_OK;
    }
    return result;
}

void CheckOpenGLError(const char* statement, const char* file, int line) {
    for (GLenum code = glGetError(); code != GL_NO_ERROR; code = glGetError()) {
        LOG_ERROR("GL error %08x (%s), at %s:%i - for %s", code, glErrorName(code), file, line, statement);
    }
}

glm::vec2 world_to_screen(const glm::vec3& point, const glm::mat4& projection, const glm::mat4& view) {
    const glm::vec4 clip = projection * view * glm::vec4(point, 1.0f);
    const float x = (clip.x / clip.w * 0.5f + 0.5f) * kWindowWidth;
    const float y = (1.0f - (clip.y / clip.w * 0.5f + 0.5f)) * kWindowHeight;
    return glm::vec2(x, y);
}

glm::vec3 screen_to_world(const glm::vec2& pixel, const glm::mat4& projection, const glm::mat4& view) {
    const float a = (2.0f * pixel.x / kWindowWidth - 1.0f) / projection[0][0];
    const float b = (1.0f - 2.0f * pixel.y / kWindowHeight) / projection[1][1];
    const glm::mat4 inverseView = glm::inverse(view);
    const glm::vec3 eye = glm::vec3(inverseView[3]);
    // +1 towards the viewer rather than -1 into the screen: the line runs through the pixel
    // mirrored through the window's centre, which the star map's mirrored cursor undoes.
    const glm::vec4 direction = inverseView * glm::vec4(a, b, 1.0f, 0.0f);
    const float t = -eye.z / direction.z;
    return glm::vec3(eye.x + t * direction.x, eye.y + t * direction.y, 0.0f);
}
