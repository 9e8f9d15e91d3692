#include <cmath>
#include <tuple>

#include <gtest/gtest.h>
#include <glm/glm.hpp>

#include "game/SolarSystemCamera.h"
#include "render/Camera.h"

namespace {

#define EXPECT_VEC_NEAR(a, b, tolerance) EXPECT_LT(glm::distance(glm::vec3(a), glm::vec3(b)), tolerance)

// A plane through the origin rising by `slope` per unit of x, normals pointing down.
struct Plane : LevelQuery {
    explicit Plane(float slope) : slope(slope) {}
    float getElevation(const glm::vec3& p) override { return slope * p.x; }
    float getElevation(float x, float) override { return slope * x; }
    glm::vec3 getNormal(const glm::vec3&) override { return -glm::normalize(glm::vec3(-slope, 0, 1)); }
    glm::vec3 getNormal(float, float) override { return -glm::normalize(glm::vec3(-slope, 0, 1)); }
    bool los(const glm::vec3&, const glm::vec3&, glm::vec3*) override { return true; }
    bool isCollision(const glm::vec3& p) override { return slope * p.x > p.z; }
    float slope;
};

struct Point : Followable {
    explicit Point(glm::vec3 p) : p(p) {}
    glm::vec3 getPosition() override { return p; }
    glm::vec3 p;
};

// Where the camera sees p: straight ahead is (0, 0, -1).
glm::vec3 seen(MatrixOwner& c, glm::vec3 p) {
    return glm::normalize(glm::vec3(c.getViewMatrix() * glm::vec4(p, 1)));
}

const float kTan30 = 0.57735027f, kTan49 = 1.1503684f, kTan60 = 1.7320508f, kQuarter = 1.5707964f, kPi = 3.14159265f;

TEST(Camera, WalkingFollowsHeadingSlopeAndGround) {
    // From (2, 0, 9). 30 degrees up walks at 0.7, down at 1.3; steeper is clamped to 0.5 and 1.5,
    // which 49 degrees, heading 41 and 139 degrees off the normal, only just escapes.
    // Slope, yaw, view z, forward, strafe, eye height, where the eye ends.
    const std::tuple<float, float, float, float, float, float, glm::vec3> cases[] = {
        {0, 0, 0, 0.1f, 0, 0, {2.1f, 0, 1}},
        {0, kQuarter, 0, 0.1f, 0, 2.5f, {2, 0.1f, 3.5f}},
        {0, 0, 1, 0.1f, 0.1f, 0, {2.0707107f, -0.0707107f, 1}},
        {kTan30, 0, 0, 1, 0, 0, {2.7f, 0, 2 * kTan30 + 1}},
        {-kTan30, 0, 0, 1, 0, 0, {3.3f, 0, 1 - 2 * kTan30}},
        {kTan60, 0, 0, 1, 0, 0, {2.5f, 0, 2 * kTan60 + 1}},
        {-kTan60, 0, 0, 1, 0, 0, {3.5f, 0, 1 - 2 * kTan60}},
        {kTan49, 0, 0, 1, 0, 0, {2.51f, 0, 2 * kTan49 + 1}},
        {-kTan49, 0, 0, 1, 0, 0, {3.49f, 0, 1 - 2 * kTan49}},
        {kTan30, kQuarter, 0, 1, 0, 0, {2, 1, 2 * kTan30 + 1}},
        {kTan30, -kQuarter, 0, 0, 1, 0, {1, 0, 2 * kTan30 + 1}},
    };
    for (const auto& [slope, yaw, viewZ, forward, strafe, eyeHeight, eye] : cases) {
        Plane terrain(slope);
        Camera camera({2, 0, 9}, {0, 0, 1}, {0, 0, 1}, 1280, 720);
        camera.update(yaw, viewZ, forward, strafe, eyeHeight, false, &terrain, 0.016f);
        EXPECT_VEC_NEAR(*camera.getPosition(), eye, 1e-4f) << slope << " " << yaw;
        EXPECT_VEC_NEAR(seen(camera, eye + glm::vec3(std::cos(yaw), std::sin(yaw), viewZ)), glm::vec3(0, 0, -1), 1e-4f);
    }
}

TEST(Camera, JumpLiftsTheEyeAlongOneSineArch) {
    Plane flat(0);
    Camera camera({0, 0, 0}, {0, 0, 1}, {0, 0, 1}, 1280, 720);
    // The phase grows 5 per second; a jump asked for in the air changes nothing.
    for (const auto& [jump, dt, eyeZ] : {std::tuple(true, kPi / 10, 1.0f),
                                         {false, kPi / 10, 2.0f},
                                         {true, kPi / 20, 1.7071f},
                                         {false, kPi / 20 - 0.001f, 1.005f},
                                         {false, 0.002f, 1.0f},
                                         {false, kPi / 10, 1.0f}}) {
        camera.update(0, 0, 0, 0, 0, jump, &flat, dt);
        EXPECT_NEAR(camera.getPosition()->z, eyeZ, 1e-3f);
        EXPECT_EQ(camera.jumping, eyeZ > 1.0f || jump);
    }
}

TEST(Camera, FollowingAndOrbitingLeaveTheWalkAlone) {
    Plane flat(0);
    Point rocket({5, 6, 7});
    Camera camera({40, 40, 25}, {0, 0, 1}, {0, 0, 1}, 1280, 720);
    camera.followTarget = &rocket;
    camera.update(2, 0, 1, 1, 0, true, &flat, 0.016f);
    EXPECT_FALSE(camera.jumping);
    EXPECT_VEC_NEAR(*camera.getPosition(), glm::vec3(40, 40, 25), 1e-4f);
    EXPECT_VEC_NEAR(seen(camera, rocket.getPosition()), glm::vec3(0, 0, -1), 1e-4f);
    // Orbiting wins over following: radius 15 at height 30, 0.1 radians per second.
    camera.position = {10, 20, 5};
    camera.setStaticRotateAroundCurrentPoint();
    camera.update(2, 0, 1, 1, 0, false, &flat, 5 * kPi);
    EXPECT_VEC_NEAR(*camera.getPosition(), glm::vec3(10, 35, 30), 1e-3f);
    EXPECT_VEC_NEAR(seen(camera, glm::vec3(10, 20, 5)), glm::vec3(0, 0, -1), 1e-4f);
    camera.reset();
    camera.update(0, 0, 0, 0, 0, false, &flat, 0.016f);
    EXPECT_VEC_NEAR(*camera.getPosition(), glm::vec3(40, 0, 1), 1e-4f);
}

// The star map's camera in free flight, from (0, -100, 100) looking at the origin: the fly-in
// from (0, -1000, 100) goes half-way in a tenth of a second, a drag right and down moves the
// view left and up, and a frame longer than a fifth of a second overshoots where it eases to.
TEST(SolarSystemCamera, FreeModeFliesInAndPansByEasedSteps) {
    const float start = 141.42136f;  // the start position's distance: the first zoom
    SolarSystemCamera camera({0, -100, 100}, glm::vec3(0), {0, 0, 1}, 1280, 720);
    // The drag of the frame, its length, the eye and the point looked at after it.
    const std::tuple<glm::vec2, float, glm::vec3, glm::vec3> steps[] = {
        {{0, 0}, 0.1f, {0, -550, start}, {0, 0, 0}},
        {{0, 0}, 0.2f, {0, -100, start}, {0, 0, 0}},
        {{10, 20}, 0.2f, {-1, -98, start}, {-1, 2, 0}},
        {{-10, 0}, 0.1f, {-0.5f, -98, start}, {-0.5f, 2, 0}},
        {{0, 0}, 0.4f, {0.5f, -98, start}, {0.5f, 2, 0}}};
    for (const auto& [drag, dt, eye, centre] : steps) {
        camera.setOffset(drag);
        camera.update(dt);
        EXPECT_VEC_NEAR(*camera.getPosition(), eye, 1e-3f) << dt;
        EXPECT_VEC_NEAR(seen(camera, centre), glm::vec3(0, 0, -1), 1e-5f) << dt;
    }
}

// Following a planet, the look-at point eases towards it at rate 5 and the eye at rate 1 to 20
// behind and 10 above it, whatever was panned and zoomed before; leaving the planet undoes the
// pan and the zoom.
TEST(SolarSystemCamera, FollowingTrailsThePlanetAndLeavingUndoesPanAndZoom) {
    const float start = 141.42136f;
    SolarSystemCamera camera({0, -100, 100}, glm::vec3(0), {0, 0, 1}, 1280, 720);
    camera.update(0.2f);
    camera.setOffset({100, 100});
    camera.zoomIn();
    Point planet({30, 40, 0});
    camera.setFollowable(&planet);
    camera.update(0.8f);
    camera.update(0.2f);
    // What is left of the eye's way after the two frames: (1 - 0.8) (1 - 0.2).
    const glm::vec3 eye = glm::vec3(0, -100, start) + (glm::vec3(30, 20, 10) - glm::vec3(0, -100, start)) * 0.84f;
    EXPECT_VEC_NEAR(*camera.getPosition(), eye, 1e-3f);
    EXPECT_VEC_NEAR(seen(camera, planet.p), glm::vec3(0, 0, -1), 1e-5f);
    camera.setFollowable(nullptr);
    camera.update(0.2f);
    camera.update(1.0f);
    EXPECT_VEC_NEAR(*camera.getPosition(), glm::vec3(0, -100, start), 1e-3f);
    EXPECT_VEC_NEAR(seen(camera, glm::vec3(0)), glm::vec3(0, 0, -1), 1e-5f);
}

}  // namespace
