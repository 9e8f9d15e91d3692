// Entry point: builds data.tul from the loose assets with "-d", otherwise checks the
// package, opens the 1280 x 720 OpenGL 3.3 window and hands it to the game object.
#include <GL/glew.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/AssetList.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "core/PackageManager.h"
#include "core/StopSignal.h"
#include "core/Utils.h"
#include "game/FpsGame.h"

namespace {

constexpr int kWindowX = 600;
constexpr int kWindowY = 40;

bool isBuildMode(int argc, char** argv) {
    return argc == 2 && strcmp(argv[1], "-d") == 0;
}

int buildPackage(const std::vector<std::string>& assets) {
    if (!PackageManager::getInstance()->createPackage(assets, kPackageFile, true)) {
        LOG_ERROR("Failed to create package");
        return 1;
    }
    return 0;
}

// SDL falls back to a video driver that draws off screen when no display can be reached. The
// game would then run unseen: unless the user chose the driver, that counts as no video.
bool showsNoWindow(const char* driver) {
    const char* const windowless[] = {"offscreen", "dummy", "evdev"};
    const bool chosen = SDL_GetHint(SDL_HINT_VIDEODRIVER) != nullptr;
    return !chosen && driver != nullptr &&
           std::any_of(std::begin(windowless), std::end(windowless),
                       [driver](const char* name) { return strcmp(driver, name) == 0; });
}

bool checkPackage() {
    if (!FileReader::file_exists(kPackageFile)) {
        LOG_ERROR("Data file missing");
        return false;
    }
    LOG_INFO("Data file exists");
    uint32_t stored = 0;
    uint32_t computed = 0;
    PackageManager* package = PackageManager::getInstance();
    if (!package->getChecksum(kPackageFile, &stored)) {
        LOG_ERROR("Failed to read checksum");
        return false;
    }
    if (!package->calculateChecksum(kPackageFile, &computed)) {
        LOG_ERROR("Failed to read checksum");
        return false;
    }
    if (stored != computed) {
        LOG_ERROR("%s is corrupted", kPackageFile);
        return false;
    }
    return true;
}

int runGame() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    install_stop_signal_handlers();
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        LOG_ERROR("SDL could not initialize! SDL Error: %s", SDL_GetError());
        return 1;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (showsNoWindow(driver)) {
        SDL_SetError("no display found; only the '%s' video driver started, which shows no window", driver);
        LOG_ERROR("SDL could not initialize! SDL Error: %s", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);

    SDL_Window* window = SDL_CreateWindow("Quenlow", kWindowX, kWindowY, kWindowWidth, kWindowHeight,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        LOG_ERROR("Window could not be created! SDL Error: %s", SDL_GetError());
        return 1;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        LOG_ERROR("OpenGL context could not be created! SDL Error: %s", SDL_GetError());
        return 1;
    }
    const GLenum glewResult = load_gl_functions();
    if (glewResult != GLEW_OK) {
        LOG_ERROR("Error initializing GLEW! %s", glewGetErrorString(glewResult));
        return 1;
    }
    if (SDL_GL_SetSwapInterval(1) < 0) {
        LOG_WARNING("Warning: Unable to set VSync! SDL Error: %s", SDL_GetError());
    }

    auto* game = new FpsGame();
    const int result = game->gameLoop(window);
    LOG_INFO("Stopping application");
    // The game object goes first, while its OpenGL objects can still be deleted.
    delete game;
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    // Every log line reaches a file or a pipe as it is written: a killed or crashed game
    // keeps what it logged.
    setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    LOG_INFO("Starting application");
    const bool buildMode = isBuildMode(argc, argv);
    const std::vector<std::string> assets = buildAssetList();
    if (buildMode) {
        return buildPackage(assets);
    }
    if (!checkPackage()) {
        return 1;
    }
    srand(static_cast<unsigned int>(time(nullptr)));
    const int result = runGame();
    // Ended by Ctrl+C or SIGTERM: once everything is shut down, the process ends by that
    // signal, so that a shell or script that started it sees the interruption.
    end_by_stop_signal();
    return result;
}
