// A shown 1280 x 720 SDL window with an OpenGL 3.3 core context, for the benchmarks that
// draw: open while the object lives. Needs a display (run under xvfb-run).
#pragma once

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "core/Utils.h"

class BenchWindow {
public:
    explicit BenchWindow(const char* title) {
        SDL_Init(SDL_INIT_VIDEO);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        window = SDL_CreateWindow(title, 0, 0, 1280, 720, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
        context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
        ready = context != nullptr && load_gl_functions() == GLEW_OK;
    }
    ~BenchWindow() {
        if (context != nullptr) {
            SDL_GL_DeleteContext(context);
        }
        if (window != nullptr) {
            SDL_DestroyWindow(window);
        }
        SDL_Quit();
    }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    bool ok() const { return ready; }
    SDL_Window* get() const { return window; }

private:
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool ready = false;
};

// The main of a benchmark program that reads the run folder's package with a window open.
// A program whose benchmarks share a scene passes `withScene`: it builds the scene in the
// window, runs the benchmarks itself and returns the exit status, and the scene goes before
// the window does.
inline int runInRunFolderWithWindow(int argc, char** argv, const char* title,
                                    const std::function<int(SDL_Window*)>& withScene = nullptr) {
    benchmark::Initialize(&argc, argv);
    if (chdir(QUENLOW_RUN_DIR) != 0) {
        fprintf(stderr, "no run folder %s\n", QUENLOW_RUN_DIR);
        return 1;
    }
    const BenchWindow window(title);
    if (!window.ok()) {
        fprintf(stderr, "no OpenGL 3.3 core context\n");
        return 1;
    }
    int status = 0;
    if (withScene) {
        status = withScene(window.get());
    } else {
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    return status;
}
