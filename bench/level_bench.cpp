// The planet level from the game's package in the run folder: the set-up of each level (all
// fourteen tiles with their objects and water, the sky box, the rocket and the crystal), one
// frame of Level::render from the player's start beside the bare draw of the same nine tiles'
// ground, and the terrain queries. Frames end with glFinish, so the figure is what the
// software renderer spends. Needs a display (run under xvfb-run).
#include <benchmark/benchmark.h>

#include <chrono>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <memory>
#include <string>

#include "BareNineTiles.h"
#include "BenchWindow.h"
#include "game/Level.h"
#include "game/LevelObjectManager.h"
#include "game/LevelTile.h"
#include "render/Camera.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"
#include "render/VertexLayout.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kPi = 3.14159265f;

std::string levelEntry(int planet) {
    return "levels/system_1/s1p" + std::to_string(planet) + ".json";
}

// The game's catalogue of forest objects, made once for every benchmark.
LevelObjectManager* objects() {
    static LevelObjectManager shared;
    static const bool ready = shared.setup();
    return ready ? &shared : nullptr;
}

// A level whose landing is over, with the player standing at the start, looking at the rocket.
struct StandingLevel {
    explicit StandingLevel(int planet) : level(levelEntry(planet), true) {
        ok = objects() != nullptr && level.setup(objects());
        level.land();
        for (int frame = 0; ok && frame < 600 && step() != ROCKET_CODE_LANDED; ++frame) {
        }
        camera.reset();
        step();
        step();
    }
    int step() {
        camera.update(kPi, 0.0f, 0.0f, 0.0f, 0.0f, false, &level, kFrame);
        return level.update(kFrame, *camera.getPosition(), *camera.getViewDirection());
    }
    void beginFrame() {
        glViewport(0, 0, 1280, 720);
        glClearColor(1.0f, 0.2f, 0.2f, 1.0f);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_PROGRAM_POINT_SIZE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    Level level;
    Camera camera{glm::vec3(0.0f, -10.0f, 0.0f), glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(0.0f, 0.0f, 1.0f), 1280, 720};
    bool ok = false;
};

void BM_LevelSetup(benchmark::State& state) {
    if (objects() == nullptr) {
        state.SkipWithError("the forest models did not set up");
        return;
    }
    const std::string entry = levelEntry(static_cast<int>(state.range(0)));
    state.SetLabel(entry);
    for (auto _ : state) {
        Level level(entry, true);
        if (!level.setup(objects())) {
            state.SkipWithError("the level did not set up");
            return;
        }
        glFinish();
    }
}
BENCHMARK(BM_LevelSetup)->DenseRange(1, 9)->Unit(benchmark::kMillisecond);

// Level::render against the bare tiles, frame for frame in turn, so that the ratio holds on a
// machine whose load changes: the benchmark's time is the level's frame.
void BM_LevelFrame(benchmark::State& state) {
    if (objects() == nullptr) {
        state.SkipWithError("the forest models did not set up");
        return;
    }
    StandingLevel standing(static_cast<int>(state.range(0)));
    BareNineTiles bare(standing.level, standing.camera);
    if (!standing.ok || !bare.ok) {
        state.SkipWithError("the level did not set up");
        return;
    }
    state.SetLabel(levelEntry(static_cast<int>(state.range(0))));
    double levelTotal = 0.0;
    double bareTotal = 0.0;
    for (auto _ : state) {
        standing.beginFrame();
        auto start = std::chrono::steady_clock::now();
        bare.draw();
        bareTotal += finishedMilliseconds(start);
        standing.beginFrame();
        start = std::chrono::steady_clock::now();
        standing.level.render(&standing.camera, *standing.camera.getPosition());
        const double level = finishedMilliseconds(start);
        levelTotal += level;
        state.SetIterationTime(level / 1000.0);
    }
    state.counters["bare_ms"] = bareTotal / static_cast<double>(state.iterations());
    state.counters["level_to_bare"] = levelTotal / bareTotal;
}
BENCHMARK(BM_LevelFrame)->DenseRange(1, 9)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

// Heights and normals at points spread over the torus, and lines of sight 400 units long.
void BM_TerrainQueries(benchmark::State& state) {
    if (objects() == nullptr) {
        state.SkipWithError("the forest models did not set up");
        return;
    }
    StandingLevel standing(1);
    float x = 0.0f;
    float sum = 0.0f;
    for (auto _ : state) {
        x += 7.31f;
        if (x > 1000.0f) {
            x -= 2000.0f;
        }
        sum += standing.level.getElevation(x, x * 0.7f) + standing.level.getNormal(x * 0.3f, x).z;
    }
    benchmark::DoNotOptimize(sum);
    state.SetLabel("one height and one normal");
}
BENCHMARK(BM_TerrainQueries);

void BM_LineOfSight(benchmark::State& state) {
    if (objects() == nullptr) {
        state.SkipWithError("the forest models did not set up");
        return;
    }
    StandingLevel standing(1);
    // High above the hills, so that the walk runs the whole way.
    const glm::vec3 from(10.0f, 20.0f, 60.0f);
    const glm::vec3 to = from + glm::vec3(399.5f, 0.0f, 0.0f);
    bool seen = false;
    for (auto _ : state) {
        seen = standing.level.los(from, to, nullptr) || seen;
    }
    benchmark::DoNotOptimize(seen);
    state.SetLabel("400 units");
}
BENCHMARK(BM_LineOfSight)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return runInRunFolderWithWindow(argc, argv, "level bench");
}
