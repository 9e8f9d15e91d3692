#include "support/GlWindow.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>

namespace testing_support {

namespace {
SDL_Window* gWindow = nullptr;
SDL_GLContext gContext = nullptr;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
}  // namespace

bool openTestWindow() {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    gWindow = SDL_CreateWindow("Quenlow tests", 600, 40, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (gWindow == nullptr) {
        fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
        return false;
    }
    gContext = SDL_GL_CreateContext(gWindow);
    if (gContext == nullptr) {
        fprintf(stderr, "SDL_GL_CreateContext: %s\n", SDL_GetError());
        return false;
    }
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        fprintf(stderr, "glewInit failed\n");
        return false;
    }
    glGetError();  // glewInit leaves GL_INVALID_ENUM behind on core profiles
    SDL_GL_SetSwapInterval(0);
    glViewport(0, 0, kWidth, kHeight);
    return true;
}

void closeTestWindow() {
    if (gContext != nullptr) {
        SDL_GL_DeleteContext(gContext);
    }
    if (gWindow != nullptr) {
        SDL_DestroyWindow(gWindow);
    }
    SDL_Quit();
    gContext = nullptr;
    gWindow = nullptr;
}

SDL_Window* testWindow() {
    return gWindow;
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
    const std::vector<uint8_t> pixels = readPixels(0, 0, kWidth, kHeight);
    std::vector<uint8_t> flipped(pixels.size());
    const size_t row = static_cast<size_t>(kWidth) * 4;
    for (int y = 0; y < kHeight; ++y) {
        std::copy(pixels.begin() + static_cast<long>(y * row), pixels.begin() + static_cast<long>((y + 1) * row),
                  flipped.begin() + static_cast<long>((kHeight - 1 - y) * row));
    }
    for (size_t i = 3; i < flipped.size(); i += 4) {
        flipped[i] = 255;
    }
    return stbi_write_png(path.c_str(), kWidth, kHeight, 4, flipped.data(), static_cast<int>(row)) != 0;
}

bool near(const Rgba& pixel, int r, int g, int b, int tolerance) {
    return std::abs(pixel.r - r) <= tolerance && std::abs(pixel.g - g) <= tolerance &&
           std::abs(pixel.b - b) <= tolerance;
}

}  // namespace testing_support
