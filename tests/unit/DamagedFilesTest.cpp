// The readers of damaged files: image sizes no asset comes near refused from the header with a
// line, before stb_image allocates for them; each refused WAV file with its own line, its bytes
// in a block of exactly their length, so that the sanitizer build catches any read past it.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdlib>

#include "core/ImageDecode.h"
#include "sound/WavLoader.h"
#include "support/TestSupport.h"
#include "support/WavFiles.h"

using testing_support::makeWav;

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

// A JPEG header: one Huffman table of codes 15 and 16 bits long, then a 16 x 16 frame.
std::string jpegWithHuffmanCodes(int codes) {
    std::string jpeg = "\xFF\xD8\xFF\xC4";
    jpeg += {char((19 + codes) >> 8), char(19 + codes)};
    jpeg += std::string(15, '\0') + char(2) + char(codes - 2) + std::string(size_t(codes), '\x01');
    return jpeg + std::string("\xFF\xC0\x00\x11\x08\x00\x10\x00\x10\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 19);
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
        // stb_image would read twice the pixels it converts to RGBA.
        {"a 16-bit PNM", "P6\n2 2\n65535\n" + std::string(24, '\x7F'), nullptr},
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
    // stb_image would write a Huffman table of more than 256 codes past its end, and decode a
    // scan through a table never defined (here the AC table): such a file's header is not read.
    const std::string scan("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x00\x03\x00\x00\x3F\x00", 14);
    for (const auto& [jpeg, readable] : {std::pair(jpegWithHuffmanCodes(256), true),
                                         {jpegWithHuffmanCodes(257), false},
                                         {jpegWithHuffmanCodes(256) + scan, false}}) {
        int width = 0, height = 0, stored = 0;
        EXPECT_EQ(read_image_header(jpeg.data(), static_cast<uint32_t>(jpeg.size()), &width, &height, &stored),
                  readable)
            << jpeg.size();
    }
}

const std::vector<int16_t> kSamples = {0, 1000, -1000, 32767, -32768, 12345};
const std::string kValid = makeWav(kSamples);
const std::string kFormat = "Invalid format of wav file (we need sample rate 11025, 1 channel and 16 bps)";
const std::string kTooShort = "Buffer length is not long enough to contain a wave header";

std::string with(std::string wav, size_t at, const std::string& bytes) {
    return wav.replace(at, bytes.size(), bytes);
}

std::string withDataSize(uint32_t size) {
    return with(kValid, 40, std::string{char(size), char(size >> 8), char(size >> 16), char(size >> 24)});
}

TEST(WavLoaderTest, RefusesEachBadHeaderWithItsLine) {
    // What, the file, the line refusing it (empty: accepted), the size of the samples taken.
    const std::tuple<const char*, std::string, std::string, size_t> cases[] = {
        {"empty", "", kTooShort, 0},
        {"one byte short of a header", kValid.substr(0, 43), kTooShort, 0},
        {"not RIFF", with(kValid, 0, "RIFX"), "Not a RIFF file", 0},
        {"not WAVE", with(kValid, 8, "AVI "), "Not a wave file", 0},
        {"no fmt tag", with(kValid, 12, "junk"), "Did not find fmt header, foudn j u n k", 0},
        {"22050 Hz", makeWav(kSamples, 22050), kFormat, 0},
        {"stereo", makeWav(kSamples, 11025, 2), kFormat, 0},
        {"8 bits", makeWav(kSamples, 11025, 1, 8), kFormat, 0},
        {"no data tag", with(kValid, 36, "LIST"), "Did not find data tag", 0},
        {"RIFF tested before the format", with(makeWav(kSamples, 8000), 0, "XXXX"), "Not a RIFF file", 0},
        {"more data declared than held", withDataSize(14),
         "Wave data size 14 is larger than the 12 bytes after the header", 0},
        {"data size near 4 GiB", withDataSize(0xFFFFFFF0u),
         "Wave data size 4294967280 is larger than the 12 bytes after the header", 0},
        {"canonical", kValid, "", 12},
        {"bytes after the data left out", kValid + "trailer", "", 12},
        {"fewer samples declared than held", withDataSize(4), "", 4},
        {"no samples", makeWav({}), "", 0},
    };
    for (const auto& [what, wav, line, taken] : cases) {
        SCOPED_TRACE(what);
        const std::vector<char> exact(wav.begin(), wav.end());
        uint32_t size = 0xC0FFEE;
        testing_support::CapturedStdout captured;
        char* samples = WavLoader::loadRawDataFromWav(exact.empty() ? nullptr : exact.data(),
                                                      static_cast<uint32_t>(exact.size()), &size);
        const std::string log = captured.finish();
        if (line.empty()) {
            ASSERT_NE(samples, nullptr) << log;
            EXPECT_EQ(std::string(samples, size), kValid.substr(44, taken));
        } else {
            EXPECT_TRUE(samples == nullptr && size == 0xC0FFEEu && log.rfind("  [ERROR] [", 0) == 0) << log;
            EXPECT_EQ(log.substr(log.find("] ", 11) + 2), line + "\n");
        }
        free(samples);
    }
}

}  // namespace
