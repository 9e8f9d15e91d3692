// One HUD frame through the real caches: 20 screen quads and 10 texts of 20 characters,
// drawn into a 1280 x 720 window and finished with glFinish, as the frame loop would.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <SDL2/SDL.h>

#include "BenchWindow.h"
#include "core/PackageManager.h"
#include "render/Camera.h"
#include "render/ScreenQuad.h"
#include "render/Text.h"
#include "render/TextureManager.h"

namespace {

const int kWidth = 1280;
const int kHeight = 720;
const int kQuadCount = 20;
const int kTextCount = 10;
const char* const kButton = "textures/play_button.png";

struct HudScene {
    Camera camera{glm::vec3(0, -10, 0), glm::vec3(0, 0, 1), glm::vec3(0, 0, 1), float(kWidth), float(kHeight)};
    std::vector<std::unique_ptr<ScreenQuad>> quads;
    std::vector<std::unique_ptr<Text>> texts;

    bool setup() {
        const GLuint button = TextureManager::getInstance()->loadTexture(kButton, true);
        for (int i = 0; i < kQuadCount; ++i) {
            auto quad = std::make_unique<ScreenQuad>((i % 5) * 250, (i / 5) * 90, 206, 70, "shaders/basicortho.vs",
                                                     "shaders/basicortho.fs", false);
            if (!quad->setup()) {
                return false;
            }
            quad->setTexture(button);
            quads.push_back(std::move(quad));
        }
        for (int i = 0; i < kTextCount; ++i) {
            auto text = std::make_unique<Text>(20.0f, 400.0f + 30.0f * i, "ARTEFACTS 0/9 SYSTEM", "fonts/font1.json",
                                               1.0f, glm::vec3(1.0f));
            if (!text->setup()) {
                return false;
            }
            texts.push_back(std::move(text));
        }
        return true;
    }

    void draw() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        for (auto& quad : quads) {
            quad->render(&camera, true);
        }
        for (auto& text : texts) {
            text->render(&camera);
        }
        glFinish();
    }
};

HudScene* gScene = nullptr;

void BM_HudFrame(benchmark::State& state) {
    for (auto _ : state) {
        gScene->draw();
    }
}
BENCHMARK(BM_HudFrame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The floor under every frame: clearing the window and waiting for it.
void BM_ClearOnly(benchmark::State& state) {
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
    }
}
BENCHMARK(BM_ClearOnly)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// A text whose characters change every frame (same length: rebuilt in place, uploaded once).
void BM_HudFrameWithChangingText(benchmark::State& state) {
    char line[] = "ARTEFACTS 0/9 FPS 00";
    int frame = 0;
    for (auto _ : state) {
        line[18] = static_cast<char>('0' + frame % 10);
        gScene->texts[0]->setText(line);
        gScene->draw();
        ++frame;
    }
}
BENCHMARK(BM_HudFrameWithChangingText)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Builds a package of the entries the scene uses from the run folder's loose files and
// makes the temporary folder that holds it the working directory.
bool preparePackage(std::string* folder) {
    char pattern[] = "/tmp/quenlow-hud-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return false;
    }
    *folder = pattern;
    const std::vector<std::string> entries = {"shaders/basicortho.vs", "shaders/basicortho.fs", "shaders/text.vs",
                                              "shaders/text.fs",       "fonts/font1.json",      "fonts/font1.png",
                                              kButton};
    if (chdir(QUENLOW_RUN_DIR) != 0 ||
        !PackageManager::getInstance()->createPackage(entries, *folder + "/data.tul", true)) {
        fprintf(stderr, "the run folder %s lacks the HUD's entries\n", QUENLOW_RUN_DIR);
        return false;
    }
    return chdir(folder->c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::string folder;
    if (!preparePackage(&folder)) {
        return 1;
    }
    int status = 1;
    {
        const BenchWindow window("Quenlow HUD benchmark");
        if (!window.ok()) {
            fprintf(stderr, "no OpenGL 3.3 core window: %s\n", SDL_GetError());
        } else {
            glViewport(0, 0, kWidth, kHeight);
            HudScene scene;
            if (scene.setup()) {
                gScene = &scene;
                benchmark::RunSpecifiedBenchmarks();
                status = 0;
            }
            gScene = nullptr;
        }
    }
    benchmark::Shutdown();
    const std::string command = "rm -rf '" + folder + "'";
    if (system(command.c_str()) != 0) {
        perror("rm");
    }
    return status;
}
