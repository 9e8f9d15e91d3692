// The 3D drawables from the game's own package in the run folder: the import of each model,
// a particle step of 1,000 live particles, the projectile sphere's build, and one planet-view
// frame of them together. Frames end with glFinish, so the figure is what the software
// renderer spends. Needs a display (run under xvfb-run).
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "BenchWindow.h"
#include "core/PackageManager.h"
#include "render/Camera.h"
#include "render/Icosphere.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"
#include "render/ParticleSystemController.h"
#include "render/Water.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kQuarterTurn = 1.5707964f;

struct ModelEntry {
    const char* obj;
    const char* vertex;
    const char* fragment;
    bool flipUVs;
};
const ModelEntry kModels[] = {
    {"models/spaceship/spaceship.obj", "shaders/model.vs", "shaders/model.fs", false},
    {"models/ufo1/Low_poly_UFO.obj", "shaders/ufo.vs", "shaders/ufo.fs", false},
    {"models/crystal/crystal.obj", "shaders/model.vs", "shaders/model_material.fs", true},
    {"models/planets/planets.obj", "shaders/model.vs", "shaders/model_material.fs", true},
    {"models/forest3/NatureFreePack1.obj", "shaders/model.vs", "shaders/model_material.fs", false},
    {"models/forest2/forest_assets.obj", "shaders/model.vs", "shaders/model_material.fs", false},
};

// Reading the OBJ and its materials from the package, building the meshes, uploading them and
// loading the images; the model is released between runs so that the image cache is cold.
void BM_ModelImport(benchmark::State& state) {
    const ModelEntry& entry = kModels[state.range(0)];
    state.SetLabel(entry.obj);
    for (auto _ : state) {
        Model model(entry.obj, entry.vertex, entry.fragment, entry.flipUVs);
        if (!model.setup()) {
            state.SkipWithError("model did not set up");
            return;
        }
        glFinish();
    }
}
BENCHMARK(BM_ModelImport)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// A description of 1,000 particles that live long, in a package of its own in a temporary folder.
bool readThousandParticles(ParticleSystem& system) {
    char folder[] = "/tmp/render2_bench_XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0 || mkdir("particlesystems", 0755) != 0) {
        return false;
    }
    FILE* file = fopen("particlesystems/bench.json", "w");
    if (file == nullptr) {
        return false;
    }
    fputs(R"({"max_particles": 1000, "flow": 1000, "lifetime_min": 100, "liftime_max": 200,
              "static_velocity_min_z": 1, "static_velocity_max_z": 2, "gravity_min_z": -1, "gravity_max_z": -1})",
          file);
    fclose(file);
    const bool ok = PackageManager::getInstance()->createPackage({"particlesystems/bench.json"}, "data.tul", true) &&
                    system.readJson() && system.initParticles();
    unlink("particlesystems/bench.json");
    unlink("data.tul");
    rmdir("particlesystems");
    return chdir(QUENLOW_RUN_DIR) == 0 && rmdir(folder) == 0 && ok;
}

void BM_ParticleUpdateThousandAlive(benchmark::State& state) {
    ParticleSystem system("particlesystems/bench.json", true);
    if (!readThousandParticles(system)) {
        state.SkipWithError("no particle description");
        return;
    }
    // One spawn a step: as many steps as there are slots, and a few more.
    for (int step = 0; step < system.getMaxParticles() + 10; ++step) {
        system.update(kFrame);
    }
    for (auto _ : state) {
        system.update(kFrame);
    }
    state.counters["particles"] = system.getMaxParticles();
}
BENCHMARK(BM_ParticleUpdateThousandAlive)->Unit(benchmark::kMicrosecond);

void BM_IcosphereBuildFiveSubdivisions(benchmark::State& state) {
    for (auto _ : state) {
        Icosphere sphere(0, 0, 0, "textures/sunmap.jpg", 0.0f, 0.1f, 5);
        sphere.buildVerticesSmooth();
        benchmark::DoNotOptimize(sphere.getVertexCount());
    }
}
BENCHMARK(BM_IcosphereBuildFiveSubdivisions)->Unit(benchmark::kMillisecond);

// Feeds the engine flame as the landing rocket does.
class Flame : public ParticleSystemController {
public:
    bool getSpawnPosition(glm::vec3& out) override { return (out = glm::vec3(0, 0, 11), true); }
    bool getVelocity(glm::vec3& out) override { return (out = glm::vec3(0, 0, 6), true); }
    bool getFlowRate(float& out) override { return (out = 100.0f, true); }
    bool getAngle(float&) override { return false; }
    bool getActive(bool& out) override { return (out = true, true); }
};

// The rocket, ten UFOs, twenty projectile spheres, a water patch 128 vertices wide and three
// particle systems, seen by the player standing on the ground.
void BM_PlanetViewFrame(benchmark::State& state) {
    Model rocket(kModels[0].obj, kModels[0].vertex, kModels[0].fragment, false);
    Model ufo(kModels[1].obj, kModels[1].vertex, kModels[1].fragment, false);
    Icosphere sphere(0, 0, 0, "textures/sunmap.jpg", 0.0f, 0.1f, 5);
    Water water(128, glm::vec3(-64, -20, 0.3f), "textures/water.jpg");
    ParticleSystem flame("particlesystems/rocketengine.json", true);
    ParticleSystem snow("particlesystems/snow.json", true);
    ParticleSystem glow("particlesystems/glow.json", true);
    if (!rocket.setup() || !ufo.setup() || !sphere.setup() || !water.setup() || !flame.setup() || !snow.setup() ||
        !glow.setup()) {
        state.SkipWithError("a drawable did not set up");
        return;
    }
    Flame controller;
    flame.setParticleSystemController(&controller);
    snow.position = glm::vec3(0, 0, 40);
    glow.position = glm::vec3(-8, 20, 3);
    for (int step = 0; step < 1000; ++step) {
        flame.update(kFrame);
        snow.update(kFrame);
        glow.update(kFrame);
    }
    for (Model* model : {&rocket, &ufo}) {
        model->rotation = glm::vec3(kQuarterTurn, 0, 0);
    }
    rocket.setScale(0.1f, false);
    rocket.setPosition(glm::vec3(0, 10, 12), false);
    ufo.setScale(0.05f, false);
    Camera camera(glm::vec3(0, -12, 2), glm::vec3(0, 10, 8), glm::vec3(0, 0, 1), 1280.0f, 720.0f);
    const glm::vec3 light(80, 60, 140);
    glViewport(0, 0, 1280, 720);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_PROGRAM_POINT_SIZE);
    for (auto _ : state) {
        glClearColor(0.5f, 0.6f, 0.8f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        rocket.render(&camera, light);
        for (int i = 0; i < 10; ++i) {
            ufo.setPosition(glm::vec3(-18.0f + 4.0f * static_cast<float>(i), 30, 20), false);
            ufo.render(&camera, light);
        }
        for (int i = 0; i < 20; ++i) {
            sphere.setPos(glm::vec3(-5.0f + 0.5f * static_cast<float>(i), 2, 1.5f));
            sphere.render(&camera);
        }
        water.update(kFrame);
        water.render(&camera, light, glm::vec3(0.0f));
        for (ParticleSystem* system : {&flame, &snow, &glow}) {
            system->update(kFrame);
            system->render(&camera);
        }
        glFinish();
    }
}
BENCHMARK(BM_PlanetViewFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return runInRunFolderWithWindow(argc, argv, "render bench");
}
