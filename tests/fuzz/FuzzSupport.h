// Shared by the fuzz targets that read through the package: the scratch folder in memory that
// holds the package each input is written into (a target including this file moves there at
// start), the package writer, and the split of one input into several entries.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace fuzz_support {

// Entries in package order: (entry name, bytes).
using Entries = std::vector<std::pair<std::string, std::string>>;

// Moves the process into a fresh folder, in memory where the machine has /dev/shm, so that
// the package every input is written to costs no disk traffic.
inline void enterScratchFolder() {
    char shmTemplate[] = "/dev/shm/quenlow-fuzz-XXXXXX";
    char tmpTemplate[] = "/tmp/quenlow-fuzz-XXXXXX";
    const char* folder = mkdtemp(shmTemplate);
    if (folder == nullptr) {
        folder = mkdtemp(tmpTemplate);
    }
    if (folder == nullptr || chdir(folder) != 0) {
        perror("fuzz scratch folder");
        abort();
    }
    // Removed again when the run ends normally; a crash leaves it with the package that
    // caused it.
    static std::string path;
    path = folder;
    atexit([] {
        unlink((path + "/data.tul").c_str());
        rmdir(path.c_str());
    });
}

inline void putU32(std::string* out, uint32_t value) {
    for (int byte = 0; byte < 4; ++byte) {
        out->push_back(static_cast<char>(value >> (8 * byte)));
    }
}

// Writes raw bytes as the package file the game reads.
inline void writeRawPackage(const std::string& bytes) {
    FILE* file = fopen("data.tul", "wb");
    if (file == nullptr || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        perror("data.tul");
        abort();
    }
    fclose(file);
}

// Writes a well-formed package holding the entries (names shorter than 64 bytes).
inline void writePackage(const Entries& entries) {
    std::string bytes;
    putU32(&bytes, 0x89ABCDEF);
    putU32(&bytes, static_cast<uint32_t>(entries.size()));
    putU32(&bytes, 0);
    uint32_t offset = static_cast<uint32_t>(12 + 72 * entries.size());
    for (const auto& [name, data] : entries) {
        std::string record(64, '\0');
        record.replace(0, std::min<size_t>(name.size(), 63), name.substr(0, 63));
        bytes += record;
        putU32(&bytes, offset);
        putU32(&bytes, static_cast<uint32_t>(data.size()));
        offset += static_cast<uint32_t>(data.size());
    }
    for (const auto& entry : entries) {
        bytes += entry.second;
    }
    writeRawPackage(bytes);
}

// Writes the input as the package's one entry.
inline void writeEntry(const char* entry, const uint8_t* data, size_t size) {
    writePackage({{entry, std::string(reinterpret_cast<const char*>(data), size)}});
}

// Inputs that feed several entries hold them one after another, each after the first
// behind this line; the seed lists join a line's run-folder entries with it.
constexpr const char* kPartSeparator = "\n#part\n";

inline std::vector<std::string> splitParts(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string separator(kPartSeparator);
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t found = input.find(separator); found != std::string::npos; found = input.find(separator, start)) {
        parts.push_back(input.substr(start, found - start));
        start = found + separator.size();
    }
    parts.push_back(input.substr(start));
    return parts;
}

}  // namespace fuzz_support

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_support::enterScratchFolder();
    return 0;
}
