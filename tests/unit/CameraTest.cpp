#include <cmath>
#include <vector>

#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include "render/Camera.h"

namespace {

// A plane through the origin rising by `slope` units of height per unit of x, with the
// terrain's downward normals.
class PlaneTerrain : public LevelQuery {
public:
    explicit PlaneTerrain(float slope) : slope(slope) {}
    float getElevation(const glm::vec3& p) override { return getElevation(p.x, p.y); }
    float getElevation(float x, float) override { return slope * x; }
    glm::vec3 getNormal(const glm::vec3& p) override { return getNormal(p.x, p.y); }
    glm::vec3 getNormal(float, float) override { return -glm::normalize(glm::vec3(-slope, 0.0f, 1.0f)); }
    bool los(const glm::vec3&, const glm::vec3&, glm::vec3*) override { return true; }
    bool isCollision(const glm::vec3& p) override { return getElevation(p) > p.z; }

private:
    float slope;
};

class FixedPoint : public Followable {
public:
    glm::vec3 point{0.0f};
    glm::vec3 getPosition() override { return point; }
};

const float kTan30 = 0.57735027f;
const float kTan60 = 1.7320508f;
const float kTolerance = 1e-4f;

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = kTolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

Camera makeCamera() {
    return Camera(glm::vec3(0.0f, -10.0f, 0.0f), glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(0.0f, 0.0f, 1.0f), 1280.0f,
                  720.0f);
}

TEST(Camera, WalkingStepFollowsHeadingSlopeAndGround) {
    struct Case {
        const char* name;
        float slope;
        float yaw, viewZ, forward, strafe, eyeHeight;
        glm::vec3 start;
        glm::vec3 eye;
    };
    const float quarter = 1.5707964f;
    const Case cases[] = {
        {"flat, forward along +x", 0.0f, 0.0f, 0.0f, 0.1f, 0.0f, 0.0f, {3, 4, 9}, {3.1f, 4, 1}},
        {"flat, strafe right of +x", 0.0f, 0.0f, 0.0f, 0.0f, 0.1f, 0.0f, {3, 4, 9}, {3, 3.9f, 1}},
        {"flat, forward along +y", 0.0f, quarter, 0.0f, 0.1f, 0.0f, 0.0f, {3, 4, 9}, {3, 4.1f, 1}},
        {"flat, looking 45 degrees up", 0.0f, 0.0f, 1.0f, 0.1f, 0.0f, 0.0f, {0, 0, 0}, {0.0707107f, 0, 1}},
        {"flat, tilted view shortens the strafe", 0.0f, 0.0f, 1.0f, 0.0f, 0.1f, 0.0f, {0, 0, 0}, {0, -0.0707107f, 1}},
        {"flat, eye height adds to the ground", 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 2.5f, {0, 0, 0}, {0, 0, 3.5f}},
        {"30 degrees uphill walks at 0.7", kTan30, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, {2, 0, 0}, {2.7f, 0, 2 * kTan30 + 1}},
        {"30 degrees downhill walks at 1.3", -kTan30, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, {2, 0, 0}, {3.3f, 0, 1 - 2 * kTan30}},
        {"60 degrees uphill is clamped to 0.5", kTan60, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, {0, 0, 0}, {0.5f, 0, 1}},
        {"60 degrees downhill is clamped to 1.5", -kTan60, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, {0, 0, 0}, {1.5f, 0, 1}},
        {"across a slope the speed is flat", kTan30, quarter, 0.0f, 1.0f, 0.0f, 0.0f, {0, 0, 0}, {0, 1, 1}},
        {"strafing uphill is not slowed", kTan30, -quarter, 0.0f, 0.0f, 1.0f, 0.0f, {0, 0, 0}, {-1, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlaneTerrain terrain(c.slope);
        Camera camera = makeCamera();
        camera.position = c.start;
        camera.update(c.yaw, c.viewZ, c.forward, c.strafe, c.eyeHeight, false, &terrain, 0.016f);
        expectNear(*camera.getPosition(), c.eye);
        const glm::vec3 direction = glm::normalize(glm::vec3(std::cos(c.yaw), std::sin(c.yaw), c.viewZ));
        expectNear(*camera.getViewDirection(), direction);
        EXPECT_FLOAT_EQ(camera.getViewXYAngle(), c.yaw);
        // The view looks from the eye along the direction.
        const glm::mat4 view = camera.getViewMatrix();
        expectNear(glm::vec3(view * glm::vec4(c.eye + direction, 1.0f)), glm::vec3(0, 0, -1));
    }
}

TEST(Camera, JumpLiftsTheEyeAlongOneSineArch) {
    PlaneTerrain flat(0.0f);
    Camera camera = makeCamera();
    const float quarterArch = 3.14159265f / 10.0f;  // phase grows 5 per second: pi/2 per step
    struct Step {
        bool jump;
        float dt;
        float eyeZ;
        bool jumping;
    };
    const Step steps[] = {
        {true, quarterArch, 1.0f, true},    // requested: the eye rises only from the next update
        {false, quarterArch, 2.0f, true},   // phase pi/2: the top of the arch
        {true, quarterArch / 2, 1.7071f, true},  // a request in the air changes nothing
        {false, quarterArch / 2 - 0.001f, 1.005f, true},  // just short of phase pi
        {false, 0.002f, 1.0f, false},                     // past pi: landed
        {false, quarterArch, 1.0f, false},
    };
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        camera.update(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, step.jump, &flat, step.dt);
        EXPECT_NEAR(camera.getPosition()->z, step.eyeZ, 1e-3f);
        EXPECT_EQ(camera.jumping, step.jumping);
    }
}

TEST(Camera, OrbitingAndFollowingLeaveTheWalkAlone) {
    PlaneTerrain flat(0.0f);
    Camera camera = makeCamera();
    EXPECT_FLOAT_EQ(camera.getViewXYAngle(), 0.0f);
    camera.update(0.5f, 0.0f, 0.0f, 0.0f, 0.0f, false, &flat, 0.016f);

    FixedPoint rocket;
    rocket.point = glm::vec3(5, 6, 7);
    camera.followTarget = &rocket;
    camera.position = glm::vec3(40, 40, 24.8f);
    camera.update(2.0f, 0.0f, 1.0f, 1.0f, 0.0f, true, &flat, 0.016f);
    expectNear(*camera.getPosition(), glm::vec3(40, 40, 24.8f));
    EXPECT_FALSE(camera.jumping);
    EXPECT_FLOAT_EQ(camera.getViewXYAngle(), 0.5f);
    expectNear(glm::vec3(camera.getViewMatrix() * glm::vec4(rocket.point, 1.0f)),
               glm::vec3(0, 0, -glm::length(rocket.point - glm::vec3(40, 40, 24.8f))), 1e-3f);

    // Orbiting wins over following.
    camera.position = glm::vec3(10, 20, 5);
    camera.setStaticRotateAroundCurrentPoint();
    EXPECT_FLOAT_EQ(camera.getPosition()->z, 40.0f);
    camera.update(2.0f, 0.0f, 1.0f, 1.0f, 0.0f, false, &flat, 0.0f);
    expectNear(*camera.getPosition(), glm::vec3(25, 20, 30));
    camera.update(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, false, &flat, 5.0f * 3.14159265f);  // a quarter turn
    expectNear(*camera.getPosition(), glm::vec3(10, 35, 30), 1e-3f);
    expectNear(glm::vec3(camera.getViewMatrix() * glm::vec4(10, 20, 5, 1)),
               glm::vec3(0, 0, -glm::length(glm::vec3(0, 15, 25))), 1e-3f);
    EXPECT_FLOAT_EQ(camera.getViewXYAngle(), 0.5f);

    // reset() walks again: the eye starts at (40, 0, 0) and lands on the ground.
    camera.reset();
    expectNear(*camera.getPosition(), glm::vec3(40, 0, 0));
    camera.update(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, false, &flat, 0.016f);
    expectNear(*camera.getPosition(), glm::vec3(40, 0, 1));
}

}  // namespace
