// The WAV reader: the files it refuses, each with its own line, and what it copies out of
// the ones it takes. Inputs sit in blocks of exactly their length so that the sanitizer
// build catches any read past them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sound/WavLoader.h"
#include "support/TestSupport.h"
#include "support/WavFiles.h"

using testing_support::CapturedStdout;
using testing_support::makeWav;
using testing_support::TempDir;
using testing_support::WavHeaderFields;

namespace {

constexpr uint32_t kUntouched = 0xC0FFEE;

const std::vector<int16_t> kSamples = {0, 1000, -1000, 32767, -32768, 12345};

std::string validWav() {
    return makeWav(kSamples);
}

std::string withBytes(std::string wav, size_t at, const std::string& bytes) {
    wav.replace(at, bytes.size(), bytes);
    return wav;
}

std::string withDataSize(std::string wav, uint32_t size) {
    for (int byte = 0; byte < 4; ++byte) {
        wav[40 + byte] = static_cast<char>(size >> (8 * byte));
    }
    return wav;
}

struct Loaded {
    char* samples = nullptr;
    uint32_t size = kUntouched;
    std::string log;
};

Loaded load(const std::string& wav) {
    const std::vector<char> exact(wav.begin(), wav.end());
    Loaded result;
    CapturedStdout captured;
    result.samples = WavLoader::loadRawDataFromWav(exact.empty() ? nullptr : exact.data(),
                                                   static_cast<uint32_t>(exact.size()), &result.size);
    result.log = captured.finish();
    return result;
}

const char* const kInvalidFormat = "Invalid format of wav file (we need sample rate 11025, 1 channel and 16 bps)";
const char* const kTooShort = "Buffer length is not long enough to contain a wave header";

TEST(WavLoaderTest, RefusedFilesLogTheirOneLine) {
    struct Case {
        const char* what;
        std::string wav;
        std::string line;
    };
    const Case cases[] = {
        {"empty", "", kTooShort},
        {"one byte short of a header", validWav().substr(0, 43), kTooShort},
        {"not RIFF", withBytes(validWav(), 0, "RIFX"), "Not a RIFF file"},
        {"not WAVE", withBytes(validWav(), 8, "AVI "), "Not a wave file"},
        {"no fmt tag", withBytes(validWav(), 12, "junk"), "Did not find fmt header, foudn j u n k"},
        {"22050 Hz", makeWav(kSamples, WavHeaderFields{22050, 1, 16}), kInvalidFormat},
        {"stereo", makeWav(kSamples, WavHeaderFields{11025, 2, 16}), kInvalidFormat},
        {"8 bits", makeWav(kSamples, WavHeaderFields{11025, 1, 8}), kInvalidFormat},
        {"no data tag", withBytes(validWav(), 36, "LIST"), "Did not find data tag"},
        {"RIFF tested before the format", withBytes(makeWav(kSamples, WavHeaderFields{8000, 2, 8}), 0, "XXXX"),
         "Not a RIFF file"},
        {"format tested before the data tag", withBytes(makeWav(kSamples, WavHeaderFields{11025, 2, 16}), 36, "LIST"),
         kInvalidFormat},
        {"more data declared than held", withDataSize(validWav(), 14),
         "Wave data size 14 is larger than the 12 bytes after the header"},
        {"data size near 4 GiB", withDataSize(validWav(), 0xFFFFFFF0u),
         "Wave data size 4294967280 is larger than the 12 bytes after the header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Loaded loaded = load(c.wav);
        EXPECT_EQ(loaded.samples, nullptr);
        EXPECT_EQ(loaded.size, kUntouched);
        ASSERT_EQ(loaded.log.rfind("  [ERROR] [", 0), 0u) << loaded.log;
        EXPECT_EQ(loaded.log.substr(loaded.log.find("] ", 11) + 2), c.line + "\n");
        free(loaded.samples);
    }
}

TEST(WavLoaderTest, AcceptedFilesYieldTheDeclaredSamples) {
    const std::string samplesBytes = validWav().substr(44);
    struct Case {
        const char* what;
        std::string wav;
        std::string expected;
    };
    const Case cases[] = {
        {"canonical file", validWav(), samplesBytes},
        {"fourth byte of the fmt tag is free", withBytes(validWav(), 15, "!"), samplesBytes},
        {"bytes after the data are left out", validWav() + "trailer", samplesBytes},
        {"fewer samples declared than held", withDataSize(validWav(), 4), samplesBytes.substr(0, 4)},
        {"no samples", makeWav({}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Loaded loaded = load(c.wav);
        ASSERT_NE(loaded.samples, nullptr) << loaded.log;
        EXPECT_EQ(loaded.log, "");
        ASSERT_EQ(loaded.size, c.expected.size());
        EXPECT_EQ(std::string(loaded.samples, loaded.size), c.expected);
        free(loaded.samples);
    }
}

TEST(WavLoaderTest, FilesOnDisk) {
    TempDir dir;
    ASSERT_TRUE(testing_support::writeFile(dir.file("good.wav"), validWav()));
    ASSERT_TRUE(testing_support::writeFile(dir.file("short.wav"), validWav().substr(0, 20)));
    ASSERT_TRUE(testing_support::writeFile(dir.file("empty.wav"), ""));
    struct Case {
        std::string name;
        bool accepted;
        std::string lastLine;
    };
    const Case cases[] = {
        {"good.wav", true, ""},
        {"short.wav", false, kTooShort},
        {"empty.wav", false, "Failed to read " + dir.file("empty.wav")},
        {"missing.wav", false, "Failed to read " + dir.file("missing.wav")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t size = kUntouched;
        CapturedStdout captured;
        char* samples = WavLoader::loadRawDataFromWavFile(dir.file(c.name), &size);
        const std::string log = captured.finish();
        EXPECT_EQ(samples != nullptr, c.accepted) << log;
        if (c.accepted) {
            EXPECT_EQ(size, kSamples.size() * sizeof(int16_t));
        } else {
            EXPECT_EQ(size, kUntouched);
            EXPECT_NE(log.find(c.lastLine + "\n"), std::string::npos) << log;
        }
        free(samples);
    }
}

}  // namespace
