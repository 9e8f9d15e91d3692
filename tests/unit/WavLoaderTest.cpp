// The WAV reader: each refused file with its own line, and the samples of the ones it takes.
// Inputs sit in blocks of exactly their length so that the sanitizer build catches any read
// past them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sound/WavLoader.h"
#include "support/TestSupport.h"
#include "support/WavFiles.h"

using testing_support::makeWav;

namespace {

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
    struct Case {
        const char* what;
        std::string wav;
        std::string line;  // empty: accepted, with the declared part of the samples
        size_t size;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<char> exact(c.wav.begin(), c.wav.end());
        uint32_t size = 0xC0FFEE;
        testing_support::CapturedStdout captured;
        char* samples = WavLoader::loadRawDataFromWav(exact.empty() ? nullptr : exact.data(),
                                                      static_cast<uint32_t>(exact.size()), &size);
        const std::string log = captured.finish();
        if (c.line.empty()) {
            ASSERT_NE(samples, nullptr) << log;
            EXPECT_EQ(std::string(samples, size), kValid.substr(44, c.size));
        } else {
            EXPECT_EQ(samples, nullptr);
            EXPECT_EQ(size, 0xC0FFEEu);
            EXPECT_EQ(log.rfind("  [ERROR] [", 0), 0u) << log;
            EXPECT_EQ(log.substr(log.find("] ", 11) + 2), c.line + "\n");
        }
        free(samples);
    }
}

}  // namespace
