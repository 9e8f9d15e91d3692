// Image headers are read before stb_image decodes: declared sizes no asset comes near are
// refused with a line instead of being allocated.
#include <gtest/gtest.h>

#include <stb_image.h>

#include "core/ImageDecode.h"
#include "support/TestSupport.h"

namespace {

// A PNG signature and header chunk declaring width x height RGBA pixels, with no pixel data.
std::string pngHeader(uint32_t width, uint32_t height) {
    std::string png = "\x89PNG\r\n\x1a\n";
    auto put = [&png](uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            png.push_back(static_cast<char>(value >> shift));
        }
    };
    put(13);
    png += "IHDR";
    put(width);
    put(height);
    png += std::string("\x08\x06\x00\x00\x00", 5);
    put(0);  // the checksum, which the decoder does not test
    return png;
}

TEST(ImageDecode, RefusesDeclaredSizesBeyondTheGamesImages) {
    // What, the bytes, and the line (null: refused by stb_image itself, without a line of ours).
    const std::tuple<const char*, std::string, const char*> cases[] = {
        // A gigabyte of pixels, which stb_image would allocate for these few bytes.
        {"a gigabyte of pixels", pngHeader(16000, 16000), "declares 16000 x 16000 pixels"},
        {"one side too long", pngHeader(8193, 1), "declares 8193 x 1 pixels"},
        {"too many pixels", pngHeader(4097, 4097), "declares 4097 x 4097 pixels"},
        {"zero width", pngHeader(0, 16), nullptr},
        {"header cut short", pngHeader(16, 16).substr(0, 20), nullptr},
        {"no image", "not an image", nullptr},
    };
    for (const auto& [what, bytes, line] : cases) {
        int width = -1, height = -1, stored = -1;
        testing_support::CapturedStdout output;
        unsigned char* pixels = decode_image(bytes.data(), static_cast<uint32_t>(bytes.size()), 4, "textures/x.png",
                                             &width, &height, &stored);
        const std::string log = output.finish();
        EXPECT_EQ(pixels, nullptr) << what;
        stbi_image_free(pixels);
        EXPECT_TRUE(line == nullptr ? log.empty()
                                    : log.find(std::string("] Image textures/x.png ") + line +
                                               ", more than the game reads\n") != std::string::npos)
            << what << ": " << log;
    }
}

}  // namespace
