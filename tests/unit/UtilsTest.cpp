#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cstring>
#include <cctype>

#include "core/Json.h"
#include "core/Log.h"
#include "core/Utils.h"
#include "support/TestSupport.h"

TEST(LogLines, CarryTheTagRightAlignedAndTheTimeStamp) {
    testing_support::CapturedStdout out;
    LOG_INFO("Starting %s", "application");
    LOG_ERROR("Data file missing");
    LOG_WARNING("Unable to set VSync");
    const std::string text = out.finish();
    // "   [INFO] [000:00:123] Starting application\n": the stamp is minutes, seconds, milliseconds.
    const char* prefixes[] = {"   [INFO] [", "  [ERROR] [", "[WARNING] ["};
    const char* messages[] = {"] Starting application\n", "] Data file missing\n", "] Unable to set VSync\n"};
    size_t at = 0;
    for (int line = 0; line < 3; ++line) {
        ASSERT_EQ(text.compare(at, 11, prefixes[line]), 0) << text;
        const std::string stamp = text.substr(at + 11, 10);
        EXPECT_TRUE(isdigit(stamp[0]) && isdigit(stamp[2]) && stamp[3] == ':' && stamp[6] == ':' && isdigit(stamp[9]))
            << stamp;
        const std::string message = messages[line];
        ASSERT_EQ(text.compare(at + 21, message.size(), message), 0) << text;
        at += 21 + message.size();
    }
    EXPECT_EQ(at, text.size());
}

TEST(ScreenToWorld, PicksThePointUnderTheMirroredCursor) {
    // The star map's camera: a perspective looking down at the plane z = 0 from above.
    const glm::mat4 projection = glm::perspectiveRH(glm::radians(45.0f), 1280.0f / 720.0f, 0.1f, 2000.0f);
    struct Case {
        glm::vec3 eye;
        glm::vec3 target;
        glm::vec3 up;
    };
    const Case cases[] = {
        {{12, -7, 150}, {12, -7, 0}, {0, 1, 0}},   // straight down
        {{0, -200, 120}, {0, 0, 0}, {0, 0, 1}},    // the fly-in's slanted view
        {{30, -90, 60}, {30, 10, 0}, {0, 0, 1}},
    };
    for (const Case& c : cases) {
        const glm::mat4 view = glm::lookAtRH(c.eye, c.target, c.up);
        // The centre of the window lies on the line of sight.
        const glm::vec3 centre = screen_to_world({640, 360}, projection, view);
        EXPECT_NEAR(centre.x, c.target.x, 1e-2f);
        EXPECT_NEAR(centre.y, c.target.y, 1e-2f);
        EXPECT_EQ(centre.z, 0.0f);
        // A point projected to the window comes back when its pixel is mirrored, as the
        // star map mirrors the mouse position.
        for (const glm::vec3 point : {glm::vec3(c.target.x + 20, c.target.y + 10, 0),
                                      glm::vec3(c.target.x - 35, c.target.y - 5, 0)}) {
            const glm::vec2 pixel = world_to_screen(point, projection, view);
            const glm::vec3 back = screen_to_world({1280.0f - pixel.x, 720.0f - pixel.y}, projection, view);
            EXPECT_NEAR(back.x, point.x, 1e-2f);
            EXPECT_NEAR(back.y, point.y, 1e-2f);
        }
    }
}

TEST(WorldToScreen, CountsRowsFromTheTop) {
    const glm::mat4 projection = glm::perspectiveRH(glm::radians(90.0f), 1280.0f / 720.0f, 0.1f, 100.0f);
    const glm::mat4 view = glm::lookAtRH(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0));
    const glm::vec2 centre = world_to_screen(glm::vec3(0), projection, view);
    EXPECT_NEAR(centre.x, 640.0f, 1e-3f);
    EXPECT_NEAR(centre.y, 360.0f, 1e-3f);
    const glm::vec2 above = world_to_screen(glm::vec3(0, 5, 0), projection, view);
    EXPECT_LT(above.y, 360.0f);
}

TEST(JsonEntryPoint, ParsesOnlyTheGivenBytesAndReportsFailuresBare) {
    const char text[] = "{\"name\": \"Pallas\", \"seed\": 42}GARBAGE";
    json_value* root = json_parse_buffer(text, strlen("{\"name\": \"Pallas\", \"seed\": 42}"));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->type, json_object);
    ASSERT_EQ(root->u.object.length, 2u);
    EXPECT_EQ(root->u.object.values[1].value->u.integer, 42);
    json_value_free(root);

    for (const char* bad : {"{\"a\": }", "[1, 2", "// comment\n{}", ""}) {
        testing_support::CapturedStdout out;
        EXPECT_EQ(json_parse_buffer(bad, strlen(bad)), nullptr) << bad;
        const std::string message = out.finish();
        EXPECT_FALSE(message.empty()) << bad;
        EXPECT_EQ(message.find('\n'), std::string::npos) << bad;
        EXPECT_EQ(message.find("[ERROR]"), std::string::npos) << bad;
    }
}
