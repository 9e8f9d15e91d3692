// One star-map frame as the game draws it: the background, nine orbit rings, ten bodies,
// the starfield and the glow, and the HUD, through the view's own frame step and a swap;
// beside it the floor of every frame, a clear and a swap, in the same run. The view runs on
// the run folder's package after the fly-in has settled. Needs a display (run under
// xvfb-run).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "BenchWindow.h"
#include "game/FpsGame.h"
#include "game/StarMapView.h"

namespace {

const uint32_t kFrameMs = 16;

StarMapView* gView = nullptr;
SDL_Window* gWindow = nullptr;
FrameInput gInput;

void BM_StarMapFrame(benchmark::State& state) {
    for (auto _ : state) {
        gInput.ticks += kFrameMs;
        if (!gView->frame(gInput)) {
            state.SkipWithError("the view ended");
            return;
        }
        SDL_GL_SwapWindow(gWindow);
        glFinish();
    }
}
BENCHMARK(BM_StarMapFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_ClearAndSwap(benchmark::State& state) {
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapWindow(gWindow);
        glFinish();
    }
}
BENCHMARK(BM_ClearAndSwap)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    return runInRunFolderWithWindow(argc, argv, "Quenlow star map benchmark", [](SDL_Window* window) {
        SDL_GL_SetSwapInterval(0);
        glViewport(0, 0, 1280, 720);
        FpsGame game;
        StarMapView view(&game, "levels/system_1/s1.json", false);
        if (!game.setup() || !view.setup()) {
            return 1;
        }
        view.begin(gInput.ticks);
        // The fly-in settles and both particle effects fill up before measuring.
        for (int frame = 0; frame < 600; ++frame) {
            gInput.ticks += kFrameMs;
            view.frame(gInput);
        }
        gView = &view;
        gWindow = window;
        benchmark::RunSpecifiedBenchmarks();
        view.end();
        return 0;
    });
}
