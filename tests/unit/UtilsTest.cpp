#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cctype>
#include <cstring>
#include <tuple>

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

// The star map's camera looks down at the plane z = 0: the centre of the window lies on the line
// of sight, and a point projected to the window (rows counted from the top) comes back when its
// pixel is mirrored, as the star map mirrors the mouse position.
TEST(ScreenToWorld, PicksThePointUnderTheMirroredCursor) {
    const glm::mat4 projection = glm::perspectiveRH(glm::radians(45.0f), 1280.0f / 720.0f, 0.1f, 2000.0f);
    for (const auto& [eye, target, up] : {std::tuple(glm::vec3(12, -7, 150), glm::vec3(12, -7, 0), glm::vec3(0, 1, 0)),
                                          {glm::vec3(0, -200, 120), glm::vec3(0), glm::vec3(0, 0, 1)},
                                          {glm::vec3(30, -90, 60), glm::vec3(30, 10, 0), glm::vec3(0, 0, 1)}}) {
        const glm::mat4 view = glm::lookAtRH(eye, target, up);
        EXPECT_LT(glm::distance(screen_to_world({640, 360}, projection, view), target), 1e-2f);
        EXPECT_LT(world_to_screen(target + glm::vec3(0, 5, 0), projection, view).y, 360.0f);
        for (const glm::vec3 point : {target + glm::vec3(20, 10, 0), target - glm::vec3(35, 5, 0)}) {
            const glm::vec2 pixel = world_to_screen(point, projection, view);
            EXPECT_LT(glm::distance(screen_to_world({1280.0f - pixel.x, 720.0f - pixel.y}, projection, view), point),
                      1e-2f);
        }
    }
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
