#include "support/GlWindow.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>

#include "core/Utils.h"

namespace testing_support {

namespace {
SDL_Window* gWindow = nullptr;
SDL_GLContext gContext = nullptr;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;

bool failed(const char* what) {
    fprintf(stderr, "%s: %s\n", what, SDL_GetError());
    return false;
}
}  // namespace

bool openTestWindow() {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        return failed("SDL_Init");
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    gWindow = SDL_CreateWindow("Quenlow tests", 600, 40, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    gContext = gWindow != nullptr ? SDL_GL_CreateContext(gWindow) : nullptr;
    if (gContext == nullptr || load_gl_functions() != GLEW_OK) {
        return failed("no OpenGL 3.3 core context");
    }
    glGetError();  // glewInit leaves GL_INVALID_ENUM behind on core profiles
    SDL_GL_SetSwapInterval(0);
    glViewport(0, 0, kWidth, kHeight);
    return true;
}

void closeTestWindow() {
    SDL_GL_DeleteContext(gContext);
    SDL_DestroyWindow(gWindow);
    SDL_Quit();
}

std::vector<uint8_t> readPixels(int x, int y, int width, int height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgba readPixel(int x, int y) {
    const std::vector<uint8_t> pixel = readPixels(x, y, 1, 1);
    return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

bool writeScreenshot(const std::string& path) {
    std::vector<uint8_t> pixels = readPixels(0, 0, kWidth, kHeight);
    for (size_t i = 3; i < pixels.size(); i += 4) {
        pixels[i] = 255;
    }
    stbi_flip_vertically_on_write(1);  // rows from the top, as pictures are stored
    const bool written = stbi_write_png(path.c_str(), kWidth, kHeight, 4, pixels.data(), kWidth * 4) != 0;
    stbi_flip_vertically_on_write(0);
    return written;
}

bool near(const Rgba& pixel, int r, int g, int b, int tolerance) {
    return std::abs(pixel.r - r) <= tolerance && std::abs(pixel.g - g) <= tolerance &&
           std::abs(pixel.b - b) <= tolerance;
}

}  // namespace testing_support
