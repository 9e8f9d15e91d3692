#include "sound/WavLoader.h"

#include <cstdlib>
#include <cstring>

#include "core/FileReader.h"
#include "core/Log.h"

namespace {

constexpr uint32_t kHeaderSize = 44;
constexpr uint32_t kRequiredSampleRate = 11025;
constexpr uint16_t kRequiredChannels = 1;
constexpr uint16_t kRequiredBitsPerSample = 16;

constexpr uint32_t kRiffTagOffset = 0;
constexpr uint32_t kWaveTagOffset = 8;
constexpr uint32_t kFormatTagOffset = 12;
constexpr uint32_t kChannelsOffset = 22;
constexpr uint32_t kSampleRateOffset = 24;
constexpr uint32_t kBitsPerSampleOffset = 34;
constexpr uint32_t kDataTagOffset = 36;
constexpr uint32_t kDataSizeOffset = 40;

uint16_t readU16(const char* bytes) {
    const auto* in = reinterpret_cast<const uint8_t*>(bytes);
    return static_cast<uint16_t>(in[0] | in[1] << 8);
}

uint32_t readU32(const char* bytes) {
    const auto* in = reinterpret_cast<const uint8_t*>(bytes);
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
           static_cast<uint32_t>(in[3]) << 24;
}

bool hasTag(const char* bytes, const char* tag, size_t length) {
    return memcmp(bytes, tag, length) == 0;
}

// The header tests in the order the game has always made them; true when all pass.
bool checkHeader(const char* wav) {
    if (!hasTag(wav + kRiffTagOffset, "RIFF", 4)) {
        LOG_ERROR("Not a RIFF file");
        return false;
    }
    if (!hasTag(wav + kWaveTagOffset, "WAVE", 4)) {
        LOG_ERROR("Not a wave file");
        return false;
    }
    // The fourth byte of the tag is not tested: only "fmt" has to be there.
    if (!hasTag(wav + kFormatTagOffset, "fmt", 3)) {
        LOG_ERROR("Did not find fmt header, foudn %c %c %c %c", wav[kFormatTagOffset], wav[kFormatTagOffset + 1],
                  wav[kFormatTagOffset + 2], wav[kFormatTagOffset + 3]);
        return false;
    }
    if (readU32(wav + kSampleRateOffset) != kRequiredSampleRate ||
        readU16(wav + kChannelsOffset) != kRequiredChannels ||
        readU16(wav + kBitsPerSampleOffset) != kRequiredBitsPerSample) {
        LOG_ERROR("Invalid format of wav file (we need sample rate 11025, 1 channel and 16 bps)");
        return false;
    }
    if (!hasTag(wav + kDataTagOffset, "data", 4)) {
        LOG_ERROR("Did not find data tag");
        return false;
    }
    return true;
}

}  // namespace

char* WavLoader::loadRawDataFromWav(const char* wav, uint32_t wavLength, uint32_t* size) {
    if (wav == nullptr || wavLength < kHeaderSize) {
        LOG_ERROR("Buffer length is not long enough to contain a wave header");
        return nullptr;
    }
    if (!checkHeader(wav)) {
        return nullptr;
    }
    // A damaged package may declare more samples than the entry holds: refuse it rather
    // than copy from past the entry's end.
    const uint32_t dataSize = readU32(wav + kDataSizeOffset);
    if (dataSize > wavLength - kHeaderSize) {
        LOG_ERROR("Wave data size %u is larger than the %u bytes after the header", dataSize, wavLength - kHeaderSize);
        return nullptr;
    }
    // One spare byte keeps an empty data chunk a real block.
    char* samples = static_cast<char*>(malloc(static_cast<size_t>(dataSize) + 1));
    if (samples == nullptr) {
        LOG_ERROR("Failed to allocate %u bytes of wave data", dataSize);
        return nullptr;
    }
    memcpy(samples, wav + kHeaderSize, dataSize);
    *size = dataSize;
    return samples;
}

char* WavLoader::loadRawDataFromWavFile(std::string path, uint32_t* size) {
    uint32_t length = 0;
    char* wav = FileReader::fileToBuffer(path, &length);
    if (wav == nullptr || length == 0) {
        LOG_ERROR("Failed to read %s", path.c_str());
        free(wav);
        return nullptr;
    }
    char* samples = loadRawDataFromWav(wav, length, size);
    free(wav);
    return samples;
}
