// The planet view on the run folder's first planet, after the landing: one frame of combat
// through the view's own step (the level, ten UFOs attacking from ahead, twenty projectiles in
// flight, the explosion and smoke, the HUD) held frame for frame against the bare draw of the
// same nine tiles; the game logic of one frame without drawing (camera, level, UFOs,
// projectiles); and the way from the star map to the planet's first frame drawn. Frames end
// with glFinish, so the figures are what the software renderer spends. Needs a display (run
// under xvfb-run).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "BareNineTiles.h"
#include "BenchWindow.h"
#include "game/EnemyManager.h"
#include "game/FpsGame.h"
#include "game/PlanetView.h"
#include "game/ProjectileManager.h"
#include "game/StarMapView.h"
#include "render/ParticleSystem.h"

namespace {

const char* const kLevel = "levels/system_1/s1p1.json";
const uint32_t kFrameMs = 16;
const float kFrame = 0.016f;

FpsGame* gGame = nullptr;
PlanetView* gView = nullptr;
FrameInput gInput;

// Shots fly from 12 units ahead past the player at a pace that brings them level with the
// eye half-way through their life, each on its own line beside the eye: one a little over a
// unit and a half off, the farthest six. The pool is kept full, and its shots were fired at
// even steps through a life, so every frame holds shots at every stage of their flight, in
// view and behind, and the frame's cost does not drift with the number of iterations.
constexpr float kShotStart = 12.0f;
constexpr float kShotPace = 5.0f;
constexpr float kShotLife = 5.0f;  // the pool's own limit of a shot's age
int gShotsFired = 0;

void fireShot(const glm::vec3& eye) {
    const int line = gShotsFired++ % ProjectileManager::kPoolSize;
    const float side = (line % 2 == 0 ? 1.0f : -1.0f) * (1.5f + 0.45f * static_cast<float>(line / 2));
    const float up = 0.5f + 0.125f * static_cast<float>(line);
    gView->getProjectileManager()->add(eye + glm::vec3(-kShotStart, side, up), glm::vec3(1, 0, 0), kShotPace, 0);
}

// Ten UFOs attacking from a fan ahead of the player, the pool kept full with shots that pass
// beside the player, and a burst of explosion and smoke now and then.
void keepTheFightGoing(int frame) {
    const glm::vec3 eye = *gView->getCamera()->getPosition();
    int index = 0;
    for (const auto& ufo : gGame->getEnemyManager()->getEnemies()) {
        if (frame == 0 || ufo->state != ENEMY_ATTACKING) {
            *ufo = Enemy{eye + glm::vec3(-20.0f, 4.0f * static_cast<float>(index) - 18.0f, 0.0f),
                         glm::vec3(0.0f),
                         0.0f,
                         0.0f,
                         ENEMY_ATTACKING,
                         0.0f,
                         2.0f,
                         50.0f};
        }
        ++index;
    }
    ProjectileManager* projectiles = gView->getProjectileManager();
    if (frame == 0) {
        // Ages out what the landing left in flight, then fires the pool at even steps through
        // a life, flying it without drawing.
        projectiles->update(2.0f * kShotLife, eye);
        const int lifeFrames = static_cast<int>(kShotLife / kFrame) + 1;
        gShotsFired = 0;
        for (int step = 0; step < lifeFrames; ++step) {
            if (gShotsFired < ProjectileManager::kPoolSize &&
                step == gShotsFired * lifeFrames / ProjectileManager::kPoolSize) {
                fireShot(eye);
            }
            projectiles->update(kFrame, eye);
        }
    }
    // A spent shot is fired again on its own line, so the pool's stages stay as they are.
    for (int shot = projectiles->getActiveCount(); shot < ProjectileManager::kPoolSize; ++shot) {
        fireShot(eye);
    }
    if (frame % 90 == 0) {
        gGame->getEnemyManager()->getExplosion()->activateOnce(eye + glm::vec3(-20.0f, 0.0f, 23.0f));
    }
    // The player stays alive: the frame is the playing one, HUD and all.
    gGame->setLives(5);
}

void BM_PlanetCombatFrame(benchmark::State& state) {
    BareNineTiles bare(*gView->getLevel(), *gView->getCamera());
    if (!bare.ok) {
        state.SkipWithError("the bare tiles did not build");
        return;
    }
    double frameTotal = 0.0;
    double bareTotal = 0.0;
    double shotsTotal = 0.0;
    double sphereTrianglesTotal = 0.0;
    int frame = 0;
    for (auto _ : state) {
        keepTheFightGoing(frame++);
        gInput.ticks += kFrameMs;
        auto start = std::chrono::steady_clock::now();
        gView->frame(gInput);
        const double planet = finishedMilliseconds(start);
        frameTotal += planet;
        shotsTotal += gView->getProjectileManager()->getActiveCount();
        sphereTrianglesTotal += gView->getProjectileManager()->getSentTriangleCount();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        start = std::chrono::steady_clock::now();
        bare.draw();
        bareTotal += finishedMilliseconds(start);
        state.SetIterationTime(planet / 1000.0);
    }
    state.counters["bare_ms"] = bareTotal / static_cast<double>(state.iterations());
    state.counters["frame_to_bare"] = frameTotal / bareTotal;
    // Means over the frames.
    state.counters["projectiles"] = shotsTotal / static_cast<double>(state.iterations());
    state.counters["sphere_triangles"] = sphereTrianglesTotal / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PlanetCombatFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3.0);

// What the frame step updates before it draws, in its order, with the player walking.
void BM_PlanetLogic(benchmark::State& state) {
    Camera* camera = gView->getCamera();
    Level* level = gView->getLevel();
    int frame = 0;
    for (auto _ : state) {
        state.PauseTiming();
        keepTheFightGoing(frame++);
        state.ResumeTiming();
        const glm::vec3 eye = *camera->getPosition();
        camera->update(3.1415927f, 0.0f, 5.0f * kFrame, 0.0f, 0.0f, false, level, kFrame);
        benchmark::DoNotOptimize(level->update(kFrame, eye, *camera->getViewDirection()));
        gGame->getEnemyManager()->update(kFrame, eye, level, false);
        gView->getProjectileManager()->update(kFrame, eye);
    }
}
BENCHMARK(BM_PlanetLogic)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// From the star map's end, as the game leaves it, to the planet's first frame drawn.
void BM_StarMapToFirstPlanetFrame(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            StarMapView starMap(gGame, "levels/system_1/s1.json", false);
            starMap.setup();
            starMap.begin(gInput.ticks);
            starMap.end();
        }
        state.ResumeTiming();
        PlanetView view(gGame, kLevel);
        if (!view.setup()) {
            state.SkipWithError("the planet view did not set up");
            return;
        }
        view.begin(gInput.ticks);
        gInput.ticks += kFrameMs;
        view.frame(gInput);
        glFinish();
        state.PauseTiming();
        view.end();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StarMapToFirstPlanetFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    return runInRunFolderWithWindow(argc, argv, "Quenlow planet benchmark", [](SDL_Window*) {
        SDL_GL_SetSwapInterval(0);
        glViewport(0, 0, 1280, 720);
        FpsGame game;
        if (!game.setup()) {
            return 1;
        }
        gGame = &game;
        // The first two benchmarks share one visit, landed, the player at the start looking at the rocket.
        PlanetView view(&game, kLevel);
        if (!view.setup()) {
            return 1;
        }
        view.begin(gInput.ticks);
        for (int frame = 0; frame < 200 && view.getLevelCode() != 2; ++frame) {
            gInput.ticks += 100;
            view.frame(gInput);
        }
        gInput.ticks += kFrameMs;
        view.frame(gInput);
        gView = &view;
        // The last benchmark's visits take the UFOs and the projectile pool from this one,
        // which is only ended after them.
        benchmark::RunSpecifiedBenchmarks();
        view.end();
        return 0;
    });
}
