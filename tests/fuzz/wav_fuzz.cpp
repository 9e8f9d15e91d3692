// The WAV reader over a sound entry, as the sound system hands it the package's bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sound/WavLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A block of exactly the entry's length, as the package returns it.
    const std::vector<char> entry(data, data + size);
    uint32_t samplesSize = 0;
    char* samples = WavLoader::loadRawDataFromWav(entry.empty() ? nullptr : entry.data(),
                                                  static_cast<uint32_t>(entry.size()), &samplesSize);
    free(samples);
    return 0;
}
