// The JSON entry point every description goes through, the log lines' form, and the star
// map's conversions between the window and the plane of the orbits.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cctype>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <tuple>

#include "core/Json.h"
#include "core/Log.h"
#include "core/Utils.h"
#include "support/TestSupport.h"

TEST(JsonEntryPoint, ParsesOnlyTheGivenBytesAndReportsFailuresOnABareLine) {
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
        // One line of its own, so that the caller's error line starts on the next.
        ASSERT_GT(message.size(), 1u) << bad;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << bad;
        EXPECT_EQ(message.find("[ERROR]"), std::string::npos) << bad;
    }
}

// "   [INFO] [000:01:234] Starting application\n": the tag right-aligned to nine characters, then
// the time since SDL started as minutes, seconds and milliseconds, then the message. The lines
// are written past the first second, so that each field of the stamp has a value of its own.
TEST(LogLines, CarryTheTagRightAlignedAndTheTimeStamp) {
    while (SDL_GetTicks() < 1100) {
        SDL_Delay(50);
    }
    testing_support::CapturedStdout out;
    const Uint32 before = SDL_GetTicks();
    LOG_INFO("Starting %s", "application");
    LOG_ERROR("Data file missing");
    LOG_WARNING("Unable to set VSync");
    const Uint32 after = SDL_GetTicks();
    const std::string text = out.finish();
    const std::pair<const char*, std::string> lines[] = {{"   [INFO] [", "] Starting application\n"},
                                                         {"  [ERROR] [", "] Data file missing\n"},
                                                         {"[WARNING] [", "] Unable to set VSync\n"}};
    size_t at = 0;
    for (const auto& [prefix, message] : lines) {
        ASSERT_EQ(text.compare(at, 11, prefix), 0) << text;
        const std::string stamp = text.substr(at + 11, 10);
        for (size_t i = 0; i < stamp.size(); ++i) {
            EXPECT_TRUE(i == 3 || i == 6 ? stamp[i] == ':' : std::isdigit(static_cast<unsigned char>(stamp[i])) != 0)
                << stamp;
        }
        const Uint32 ms = std::stoul(stamp.substr(0, 3)) * 60000 + std::stoul(stamp.substr(4, 2)) * 1000 +
                          std::stoul(stamp.substr(7, 3));
        EXPECT_TRUE(ms >= before && ms <= after) << stamp << " outside " << before << " to " << after;
        ASSERT_EQ(text.compare(at + 21, message.size(), message), 0) << text;
        at += 21 + message.size();
    }
    EXPECT_EQ(at, text.size());
}

// The star map's camera looks down at the plane z = 0: the centre of the window lies on the
// line of sight and a point above it on the plane higher on the window (rows counted from the
// top); a point projected to the window comes back when its pixel is mirrored through the
// window's centre, as the star map mirrors the mouse position.
TEST(ScreenToWorld, PicksThePointUnderTheMirroredCursor) {
    const glm::mat4 projection = glm::perspectiveRH(glm::radians(45.0f), 1280.0f / 720.0f, 0.1f, 1000.0f);
    for (const auto& [eye, target, up] : {std::tuple(glm::vec3(12, -7, 150), glm::vec3(12, -7, 0), glm::vec3(0, 1, 0)),
                                          {glm::vec3(0, -200, 120), glm::vec3(0), glm::vec3(0, 0, 1)},
                                          {glm::vec3(30, -90, 60), glm::vec3(30, 10, 0), glm::vec3(0, 0, 1)}}) {
        const glm::mat4 view = glm::lookAtRH(eye, target, up);
        EXPECT_LT(glm::distance(screen_to_world({640, 360}, projection, view), target), 1e-2f);
        EXPECT_LT(glm::distance(world_to_screen(target, projection, view), glm::vec2(640, 360)), 1e-2f);
        EXPECT_LT(world_to_screen(target + glm::vec3(0, 5, 0), projection, view).y, 360.0f);
        for (const glm::vec3 point : {target + glm::vec3(20, 10, 0), target - glm::vec3(35, 5, 0)}) {
            const glm::vec2 pixel = world_to_screen(point, projection, view);
            EXPECT_LT(glm::distance(screen_to_world({1280.0f - pixel.x, 720.0f - pixel.y}, projection, view), point),
                      1e-2f);
        }
    }
}
