// The 3D drawables as a frame draws them, from the game's own package in the run folder:
// a full particle system stepped and drawn, the rocket model, the star map's planets by mesh
// set, the projectile sphere and a tile's water. Each iteration ends with glFinish so the
// figure is what the software renderer spends. Needs a display (run under xvfb-run).
#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "render/Camera.h"
#include "render/Icosphere.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"
#include "render/Water.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;
const float kQuarterTurn = 1.5707964f;

Camera sceneCamera() {
    return Camera(glm::vec3(0, -12, 4), glm::vec3(0, 0, 2), glm::vec3(0, 0, 1), 1280.0f, 720.0f);
}

void beginFrame() {
    glViewport(0, 0, 1280, 720);
    glClearColor(0.1f, 0.1f, 0.15f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_PROGRAM_POINT_SIZE);
}

// Every slot alive: at one spawn a step, as many steps as there are slots, and a few more.
void fillEverySlot(ParticleSystem& system) {
    for (int step = 0; step < system.getMaxParticles() + 10; ++step) {
        system.update(kFrame);
    }
}

void BM_ParticleSystemFullUpdateAndDraw(benchmark::State& state) {
    ParticleSystem snow("particlesystems/snow.json", true);
    if (!snow.setup()) {
        state.SkipWithError("snow particle system did not set up");
        return;
    }
    snow.position = glm::vec3(0, 0, 40);
    fillEverySlot(snow);
    Camera camera = sceneCamera();
    for (auto _ : state) {
        beginFrame();
        snow.update(kFrame);
        snow.render(&camera);
        glFinish();
    }
    state.counters["particles"] = snow.getMaxParticles();
}
BENCHMARK(BM_ParticleSystemFullUpdateAndDraw)->Unit(benchmark::kMillisecond);

void BM_ParticleSystemUpdateOnly(benchmark::State& state) {
    ParticleSystem snow("particlesystems/snow.json", true);
    if (!snow.readJson() || !snow.initParticles()) {
        state.SkipWithError("snow particle system did not set up");
        return;
    }
    fillEverySlot(snow);
    for (auto _ : state) {
        snow.update(kFrame);
    }
}
BENCHMARK(BM_ParticleSystemUpdateOnly)->Unit(benchmark::kMicrosecond);

void BM_RocketModelDraw(benchmark::State& state) {
    Model rocket("models/spaceship/spaceship.obj", "shaders/model.vs", "shaders/model.fs", false);
    if (!rocket.setup()) {
        state.SkipWithError("rocket model did not set up");
        return;
    }
    rocket.rotation = glm::vec3(kQuarterTurn, 0, 0);
    Camera camera = sceneCamera();
    for (auto _ : state) {
        beginFrame();
        rocket.render(&camera, glm::vec3(20, -20, 40));
        glFinish();
    }
}
BENCHMARK(BM_RocketModelDraw)->Unit(benchmark::kMillisecond);

void BM_PlanetMeshSetsDraw(benchmark::State& state) {
    Model planets("models/planets/planets.obj", "shaders/model.vs", "shaders/model_material.fs", true);
    if (!planets.setup()) {
        state.SkipWithError("planet model did not set up");
        return;
    }
    const int meshCount = static_cast<int>(planets.getMeshes().size());
    for (int mesh = 0; mesh < meshCount; ++mesh) {
        planets.createMeshSet({mesh}, glm::vec3(0.0f), glm::vec3(kQuarterTurn, 0, 0));
    }
    Camera camera = sceneCamera();
    for (auto _ : state) {
        beginFrame();
        for (int set = 0; set < meshCount; ++set) {
            planets.renderMeshSet(&camera, glm::vec3(0, -20, 10), set);
        }
        glFinish();
    }
    state.counters["sets"] = meshCount;
}
BENCHMARK(BM_PlanetMeshSetsDraw)->Unit(benchmark::kMillisecond);

// The projectile sphere (five subdivisions) drawn ten times, as for ten shots in flight.
void BM_ProjectileSphereTenDraws(benchmark::State& state) {
    Icosphere sphere(0, 0, 0, "textures/sunmap.jpg", 0.0f, 0.1f, 5);
    if (!sphere.setup()) {
        state.SkipWithError("sphere did not set up");
        return;
    }
    Camera camera = sceneCamera();
    for (auto _ : state) {
        beginFrame();
        for (int shot = 0; shot < 10; ++shot) {
            sphere.setPos(glm::vec3(shot - 5.0f, 0, 2));
            sphere.render(&camera);
        }
        glFinish();
    }
}
BENCHMARK(BM_ProjectileSphereTenDraws)->Unit(benchmark::kMillisecond);

void BM_IcosphereBuild(benchmark::State& state) {
    for (auto _ : state) {
        Icosphere sphere(0, 0, 0, "textures/sunmap.jpg", 0.0f, 0.1f, 5);
        sphere.buildVerticesSmooth();
        benchmark::DoNotOptimize(sphere.getVertexCount());
    }
}
BENCHMARK(BM_IcosphereBuild)->Unit(benchmark::kMillisecond);

// A tile's water of 28 x 28 vertices filling most of the view.
void BM_WaterDraw(benchmark::State& state) {
    Water water(28, glm::vec3(-14, -6, 0.3f), "textures/water.jpg");
    if (!water.setup()) {
        state.SkipWithError("water did not set up");
        return;
    }
    Camera camera = sceneCamera();
    for (auto _ : state) {
        beginFrame();
        water.update(kFrame);
        water.render(&camera, glm::vec3(0, 0, 50), glm::vec3(0.0f));
        glFinish();
    }
}
BENCHMARK(BM_WaterDraw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (chdir(QUENLOW_RUN_DIR) != 0) {
        fprintf(stderr, "no run folder %s\n", QUENLOW_RUN_DIR);
        return 1;
    }
    SDL_Init(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("render bench", 0, 0, 1280, 720, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    glewExperimental = GL_TRUE;
    if (context == nullptr || glewInit() != GLEW_OK) {
        fprintf(stderr, "no OpenGL 3.3 core context\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
