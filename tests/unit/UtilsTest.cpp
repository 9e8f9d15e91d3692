// The JSON entry point every description goes through. The log lines' tag and time stamp are
// read on every line of the real binary by the end-to-end tests.
#include <gtest/gtest.h>

#include <cstring>

#include "core/Json.h"
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
