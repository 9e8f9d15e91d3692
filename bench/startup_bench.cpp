// Start-up as a player waits for it: from starting the quenlow process in the run folder to
// the first star-map frame on the screen, seen from outside through the X server (the
// artefact count's white text appears with the first frame). Needs a display (run under
// xvfb-run).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

Display* gDisplay = nullptr;
const double kGiveUpSeconds = 30.0;

// The top-level window titled Quenlow, or 0.
Window findGameWindow() {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(gDisplay, DefaultRootWindow(gDisplay), &root, &parent, &children, &count) == 0) {
        return 0;
    }
    for (unsigned int index = 0; index < count && found == 0; ++index) {
        char* name = nullptr;
        if (XFetchName(gDisplay, children[index], &name) != 0 && name != nullptr) {
            found = strcmp(name, "Quenlow") == 0 ? children[index] : 0;
            XFree(name);
        }
    }
    XFree(children);
    return found;
}

// White pixels of the artefact count's place at the window's top right.
int whiteInArtefactCount(Window window) {
    XImage* image = XGetImage(gDisplay, window, 1010, 10, 260, 25, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return 0;
    }
    int white = 0;
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            white += (pixel & 0xFF) > 200 && ((pixel >> 8) & 0xFF) > 200 && ((pixel >> 16) & 0xFF) > 200;
        }
    }
    XDestroyImage(image);
    return white;
}

pid_t startGame() {
    const pid_t game = fork();
    if (game == 0) {
        freopen("/dev/null", "w", stdout);
        setenv("ALSOFT_DRIVERS", "null", 1);
        execl(QUENLOW_BINARY, QUENLOW_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    return game;
}

void BM_StartToFirstStarMapFrame(benchmark::State& state) {
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const pid_t game = startGame();
        Window window = 0;
        bool shown = false;
        while (!shown && Clock::now() - start < std::chrono::duration<double>(kGiveUpSeconds)) {
            window = window != 0 ? window : findGameWindow();
            shown = window != 0 && whiteInArtefactCount(window) > 100;
            if (!shown) {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        kill(game, SIGKILL);
        waitpid(game, nullptr, 0);
        if (!shown) {
            state.SkipWithError("no star map within the limit");
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_StartToFirstStarMapFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    gDisplay = XOpenDisplay(nullptr);
    if (gDisplay == nullptr) {
        fprintf(stderr, "no X display: run under xvfb-run\n");
        return 1;
    }
    // Windows come and go while they are looked at (the games killed after each run): a
    // request about one that is gone fails harmlessly.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    if (chdir(QUENLOW_RUN_DIR) != 0) {
        perror(QUENLOW_RUN_DIR);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    XCloseDisplay(gDisplay);
    return 0;
}
