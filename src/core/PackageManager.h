// Builds and reads the package file data.tul: a 12-byte header (magic, entry count,
// checksum), one 72-byte record per entry (zero-padded name, offset, size), then the
// entries' bytes back to back. Stateless: every call opens the file and closes it again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The package every loader reads, in the working directory; the build mode writes it there.
inline constexpr const char* kPackageFile = "data.tul";

// Standard CRC-32 (reflected polynomial 0xEDB88320, as zlib and PNG use it).
uint32_t get_data_hash(const void* data, uint32_t size);

class PackageManager {
public:
    static PackageManager* getInstance();

    // Writes the files named in files, in that order, into a package at path.
    bool createPackage(std::vector<std::string> files, std::string path, bool overwrite);
    // A malloc'ed block with the entry's bytes (release with free), its size through size
    // when that is not null; null after a log line.
    char* load(std::string path, std::string name, uint32_t* size);
    // The checksum stored in the header.
    bool getChecksum(std::string path, uint32_t* checksum);
    // The sum of the CRC-32 of every entry, each fetched by its name.
    bool calculateChecksum(std::string path, uint32_t* checksum);

private:
    PackageManager() = default;
};
