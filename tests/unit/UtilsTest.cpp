#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cctype>
#include <cstring>

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
