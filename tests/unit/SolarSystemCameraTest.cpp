#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include "game/SolarSystemCamera.h"

namespace {

class Planet : public Followable {
public:
    glm::vec3 point{0.0f};
    glm::vec3 getPosition() override { return point; }
};

const float kStartDistance = 141.42136f;

SolarSystemCamera makeCamera() {
    return SolarSystemCamera(glm::vec3(0, -100, 100), glm::vec3(0), glm::vec3(0, 0, 1), 1280.0f, 720.0f);
}

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-3f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Where the view matrix puts a world point: (0, 0, -d) when the camera looks straight at it.
glm::vec3 inView(SolarSystemCamera& camera, const glm::vec3& point) {
    return glm::vec3(camera.getViewMatrix() * glm::vec4(point, 1.0f));
}

TEST(SolarSystemCamera, ZoomStepsAreClampedTo50And300) {
    struct Case {
        bool in;
        int steps;
        float height;  // the eye's height once the zoom is reached
    };
    const Case cases[] = {
        {true, 1, 121.42136f}, {true, 4, 61.42136f}, {true, 5, 50.0f},    {true, 9, 50.0f},
        {false, 1, 161.42136f}, {false, 7, 281.42136f}, {false, 8, 300.0f}, {false, 12, 300.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.in ? "in " : "out ") << c.steps);
        SolarSystemCamera camera = makeCamera();
        for (int i = 0; i < c.steps; ++i) {
            c.in ? camera.zoomIn() : camera.zoomOut();
        }
        camera.update(1.0f);  // a one-second frame eases the height all the way
        EXPECT_NEAR(camera.getPosition()->z, c.height, 1e-3f);
    }
}

TEST(SolarSystemCamera, FreeModeFliesInAndPans) {
    struct Step {
        glm::vec2 drag;
        float dt;
        glm::vec3 eye;
        glm::vec3 center;
    };
    const Step steps[] = {
        // Half-way from the fly-in start (0, -1000, 100); the height jumps to the eased zoom.
        {{0, 0}, 0.1f, {0, -550, kStartDistance}, {0, 0, 0}},
        {{0, 0}, 0.2f, {0, -100, kStartDistance}, {0, 0, 0}},
        // A drag right and down moves the goal left and up.
        {{10, 20}, 0.2f, {-1, -98, kStartDistance}, {-1, 2, 0}},
        {{-10, 0}, 0.1f, {-0.5f, -98, kStartDistance}, {-0.5f, 2, 0}},
        // Longer frames overshoot.
        {{0, 0}, 0.4f, {0.5f, -98, kStartDistance}, {0.5f, 2, 0}},
    };
    SolarSystemCamera camera = makeCamera();
    expectNear(*camera.getPosition(), glm::vec3(0, -1000, 100));
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        camera.setOffset(step.drag);
        camera.update(step.dt);
        expectNear(*camera.getPosition(), step.eye);
        const glm::vec3 seen = inView(camera, step.center);
        EXPECT_NEAR(seen.x, 0.0f, 1e-3f);
        EXPECT_NEAR(seen.y, 0.0f, 1e-3f);
        EXPECT_LT(seen.z, 0.0f);
    }
    expectNear(*camera.getViewDirection(), glm::vec3(0, 0.70710677f, -0.70710677f), 1e-6f);
    EXPECT_EQ(camera.getViewXYAngle(), 0.0f);
}

TEST(SolarSystemCamera, FollowingTrailsThePlanetAndLeavingUndoesPanAndZoom) {
    SolarSystemCamera camera = makeCamera();
    camera.update(0.2f);
    camera.setOffset(glm::vec2(100, 100));
    camera.zoomIn();

    Planet planet;
    planet.point = glm::vec3(30, 40, 0);
    camera.setFollowable(&planet);
    camera.setOffset(glm::vec2(50, 50));  // ignored while following
    camera.zoomOut();
    const glm::vec3 eyeBefore = *camera.getPosition();
    camera.update(0.1f);
    // The eye trails at rate 1 towards 20 behind and 10 above the planet.
    expectNear(*camera.getPosition(), eyeBefore + (glm::vec3(30, 20, 10) - eyeBefore) * 0.1f);
    camera.update(0.2f);  // the look-at point reaches the planet (rate 5)
    const glm::vec3 seen = inView(camera, planet.point);
    EXPECT_NEAR(seen.x, 0.0f, 1e-3f);
    EXPECT_NEAR(seen.y, 0.0f, 1e-3f);
    for (int i = 0; i < 40; ++i) {
        camera.update(0.5f);
    }
    expectNear(*camera.getPosition(), glm::vec3(30, 20, 10), 1e-2f);

    camera.setFollowable(nullptr);
    camera.update(0.2f);
    camera.update(1.0f);
    expectNear(*camera.getPosition(), glm::vec3(0, -100, kStartDistance));
    const glm::vec3 origin = inView(camera, glm::vec3(0));
    EXPECT_NEAR(origin.x, 0.0f, 1e-3f);
    EXPECT_NEAR(origin.y, 0.0f, 1e-3f);
    expectNear(*camera.getViewDirection(), glm::vec3(0, 0.70710677f, -0.70710677f), 1e-6f);
}

}  // namespace
