#include <cmath>

#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include "game/SolarSystemCamera.h"

namespace {

struct Planet : Followable {
    glm::vec3 getPosition() override { return {30, 40, 0}; }
};

const float kStart = 141.42136f;  // the start position's distance: the first zoom

SolarSystemCamera makeCamera() { return SolarSystemCamera({0, -100, 100}, glm::vec3(0), {0, 0, 1}, 1280, 720); }

// Expects the eye at eye, looking straight at center.
void expectView(SolarSystemCamera& camera, const glm::vec3& eye, const glm::vec3& center) {
    EXPECT_LT(glm::distance(*camera.getPosition(), eye), 1e-3f);
    EXPECT_LT(glm::distance(glm::normalize(glm::vec3(camera.getViewMatrix() * glm::vec4(center, 1))),
                            glm::vec3(0, 0, -1)), 1e-5f);
}

TEST(SolarSystemCamera, ZoomStepsAreClampedTo50And300) {
    const std::pair<int, float> cases[] = {{-1, kStart - 20}, {-4, kStart - 80}, {-5, 50}, {-9, 50},
                                           {7, kStart + 140}, {8, 300}, {12, 300}};  // steps: negative zoom in
    for (const auto& [steps, height] : cases) {
        SolarSystemCamera camera = makeCamera();
        for (int i = 0; i < std::abs(steps); ++i) steps < 0 ? camera.zoomIn() : camera.zoomOut();
        camera.update(1.0f);  // a one-second frame eases the height all the way
        EXPECT_NEAR(camera.getPosition()->z, height, 1e-3f) << steps;
    }
}

TEST(SolarSystemCamera, FreeModeFliesInAndPans) {
    const struct { glm::vec2 drag; float dt; glm::vec3 eye, center; } steps[] = {
        {{0, 0}, 0.1f, {0, -550, kStart}, {0, 0, 0}},  // half-way from (0, -1000, 100)
        {{0, 0}, 0.2f, {0, -100, kStart}, {0, 0, 0}},
        {{10, 20}, 0.2f, {-1, -98, kStart}, {-1, 2, 0}},  // dragged right and down
        {{-10, 0}, 0.1f, {-0.5f, -98, kStart}, {-0.5f, 2, 0}},
        {{0, 0}, 0.4f, {0.5f, -98, kStart}, {0.5f, 2, 0}},  // longer frames overshoot
    };
    SolarSystemCamera camera = makeCamera();
    for (const auto& step : steps) {
        camera.setOffset(step.drag);
        camera.update(step.dt);
        expectView(camera, step.eye, step.center);
    }
}

TEST(SolarSystemCamera, FollowingTrailsThePlanetAndLeavingUndoesPanAndZoom) {
    SolarSystemCamera camera = makeCamera();
    camera.update(0.2f);
    camera.setOffset({100, 100});
    camera.zoomIn();
    Planet planet;
    camera.setFollowable(&planet);
    camera.setOffset({50, 50});  // ignored while following
    camera.update(0.8f);         // the look-at point eases at rate 5, the eye at 1
    camera.update(0.2f);
    const glm::vec3 eye = glm::vec3(0, -100, kStart) + (glm::vec3(30, 20, 10) - glm::vec3(0, -100, kStart)) * 0.84f;
    expectView(camera, eye, glm::vec3(30, 40, 0));
    camera.setFollowable(nullptr);
    camera.update(0.2f);
    camera.update(1.0f);
    expectView(camera, glm::vec3(0, -100, kStart), glm::vec3(0));
}

}  // namespace

