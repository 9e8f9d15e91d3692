#include "WavSamples.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "support/TestSupport.h"

namespace e2e {

namespace {

// Where the samples of a WAV file start, from its first bytes; npos when it is none. The
// samples run to the end of the file, whatever the header says: a capture still being
// written has no sizes yet.
size_t samplesStart(const std::string& head) {
    const size_t data = head.find("data", 12);
    if (head.compare(0, 4, "RIFF") != 0 || data == std::string::npos) {
        return std::string::npos;
    }
    return data + 8;
}

// The first bytes of a file just opened, enough to hold a WAV header, and the file's size.
std::string fileHead(FILE* file, long* size) {
    char header[256] = {};
    const std::string head(header, fread(header, 1, sizeof(header), file));
    fseek(file, 0, SEEK_END);
    *size = ftell(file);
    return head;
}

}  // namespace

Samples readWavSamples(const std::string& path) {
    const std::string bytes = testing_support::readFile(path);
    const size_t first = samplesStart(bytes.substr(0, 256));
    if (first == std::string::npos) {
        return {};
    }
    Samples samples((bytes.size() - first) / 2);
    memcpy(samples.data(), bytes.data() + first, samples.size() * 2);
    return samples;
}

size_t wavSampleCount(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return 0;
    }
    long size = 0;
    const size_t first = samplesStart(fileHead(file, &size));
    fclose(file);
    return first == std::string::npos || size < static_cast<long>(first) ? 0 : (static_cast<size_t>(size) - first) / 2;
}

Samples readWavTail(const std::string& path, double seconds) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return {};
    }
    long size = 0;
    const size_t data = samplesStart(fileHead(file, &size));
    if (data == std::string::npos) {
        fclose(file);
        return {};
    }
    const long first = static_cast<long>(data);
    const long wanted = static_cast<long>(seconds * kSampleRate);
    const long start = std::max(first, first + ((size - first) / 2 - wanted) * 2);
    Samples samples(static_cast<size_t>(std::max(0L, size - start) / 2));
    fseek(file, start, SEEK_SET);
    samples.resize(fread(samples.data(), 2, samples.size(), file));
    fclose(file);
    return samples;
}

}  // namespace e2e
