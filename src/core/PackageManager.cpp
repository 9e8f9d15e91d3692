#include "core/PackageManager.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "core/FileReader.h"
#include "core/Log.h"

namespace {

constexpr uint32_t kPackageMagic = 0x89ABCDEF;
constexpr uint32_t kHeaderSize = 12;
constexpr uint32_t kRecordSize = 72;
constexpr uint32_t kNameFieldSize = 64;

struct PackageHeader {
    uint32_t magic = 0;
    uint32_t count = 0;
    uint32_t checksum = 0;
};

struct PackageRecord {
    char name[kNameFieldSize] = {0};
    uint32_t offset = 0;
    uint32_t size = 0;
};

void putU32(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t getU32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
           static_cast<uint32_t>(in[3]) << 24;
}

// An open package for reading. Every count, offset and size read from the file is checked
// against the file's real length before it is trusted, so a damaged package is refused
// with a line instead of driving a read or an allocation past its end.
class PackageReader {
public:
    explicit PackageReader(const std::string& path) : path_(path) {}
    ~PackageReader() {
        if (file_ != nullptr) {
            fclose(file_);
        }
    }
    PackageReader(const PackageReader&) = delete;
    PackageReader& operator=(const PackageReader&) = delete;

    bool open() {
        errno = 0;
        file_ = fopen(path_.c_str(), "rb");
        if (file_ == nullptr) {
            openError_ = errno;
            return false;
        }
        long length = -1;
        if (fseek(file_, 0, SEEK_END) == 0) {
            length = ftell(file_);
        }
        fileSize_ = length < 0 ? 0 : static_cast<uint64_t>(length);
        return true;
    }

    int openError() const { return openError_; }

    // Open and header read of the two checksum operations, which share their open line.
    bool openWithHeader(PackageHeader* header) {
        if (!open()) {
            LOG_ERROR("Failed to open data file %s", path_.c_str());
            return false;
        }
        return readHeader(header);
    }

    bool readHeader(PackageHeader* header) {
        uint8_t bytes[kHeaderSize];
        if (!readAt(0, bytes, kHeaderSize)) {
            LOG_ERROR("Data file %s is shorter than its header", path_.c_str());
            return false;
        }
        header->magic = getU32(bytes);
        header->count = getU32(bytes + 4);
        header->checksum = getU32(bytes + 8);
        return true;
    }

    // The whole record table must lie inside the file.
    bool checkRecordTable(const PackageHeader& header) const {
        const uint64_t tableEnd = kHeaderSize + static_cast<uint64_t>(kRecordSize) * header.count;
        if (tableEnd > fileSize_) {
            LOG_ERROR("Data file %s is too short for its %u records", path_.c_str(), header.count);
            return false;
        }
        return true;
    }

    bool readRecord(uint32_t index, PackageRecord* record) {
        uint8_t bytes[kRecordSize];
        if (!readAt(kHeaderSize + static_cast<uint64_t>(kRecordSize) * index, bytes, kRecordSize)) {
            LOG_ERROR("Data file %s is too short for its %u records", path_.c_str(), index + 1);
            return false;
        }
        if (memchr(bytes, 0, kNameFieldSize) == nullptr) {
            LOG_ERROR("Record %u of %s has no terminated name", index, path_.c_str());
            return false;
        }
        memcpy(record->name, bytes, kNameFieldSize);
        record->offset = getU32(bytes + kNameFieldSize);
        record->size = getU32(bytes + kNameFieldSize + 4);
        return true;
    }

    // A malloc'ed copy of the record's bytes; null when they do not all lie in the file.
    char* readEntry(const PackageRecord& record) {
        if (static_cast<uint64_t>(record.offset) + record.size > fileSize_) {
            LOG_ERROR("Read incorrect number of bytes");
            return nullptr;
        }
        // One spare byte keeps an empty entry a real block.
        char* block = static_cast<char*>(malloc(static_cast<size_t>(record.size) + 1));
        if (block == nullptr || !readAt(record.offset, block, record.size)) {
            LOG_ERROR("Read incorrect number of bytes");
            free(block);
            return nullptr;
        }
        return block;
    }

private:
    bool readAt(uint64_t offset, void* out, size_t size) {
        if (offset + size > fileSize_ || fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
            return false;
        }
        return size == 0 || fread(out, 1, size, file_) == size;
    }

    std::string path_;
    FILE* file_ = nullptr;
    uint64_t fileSize_ = 0;
    int openError_ = 0;
};

// Closes the output file on every path out of createPackage.
struct OutputFile {
    FILE* file = nullptr;
    ~OutputFile() {
        if (file != nullptr) {
            fclose(file);
        }
    }
};

}  // namespace

namespace {

// Eight tables let the CRC take eight bytes per step ("slicing by eight"): the start-up
// check hashes every entry of the package, and this keeps it well inside a frame's worth.
struct CrcTables {
    uint32_t table[8][256];
    CrcTables() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t value = i;
            for (int bit = 0; bit < 8; ++bit) {
                value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
            }
            table[0][i] = value;
        }
        for (uint32_t i = 0; i < 256; ++i) {
            for (int slice = 1; slice < 8; ++slice) {
                table[slice][i] = (table[slice - 1][i] >> 8) ^ table[0][table[slice - 1][i] & 0xFF];
            }
        }
    }
};

}  // namespace

uint32_t get_data_hash(const void* data, uint32_t size) {
    static const CrcTables tables;
    const auto& t = tables.table;
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint32_t crc = 0xFFFFFFFFu;
    uint32_t remaining = size;
    while (remaining >= 8) {
        const uint32_t low = crc ^ getU32(bytes);
        const uint32_t high = getU32(bytes + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
              t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
        bytes += 8;
        remaining -= 8;
    }
    while (remaining-- > 0) {
        crc = (crc >> 8) ^ t[0][(crc ^ *bytes++) & 0xFF];
    }
    return crc ^ 0xFFFFFFFFu;
}

PackageManager* PackageManager::getInstance() {
    static PackageManager instance;
    return &instance;
}

bool PackageManager::createPackage(std::vector<std::string> files, std::string path, bool overwrite) {
    if (FileReader::file_exists(path) && !overwrite) {
        LOG_ERROR("The package file %s already exists, won't recreate", path.c_str());
        return false;
    }
    OutputFile output;
    output.file = fopen(path.c_str(), "wb");
    if (output.file == nullptr) {
        LOG_ERROR("Failed to open %s for writing", path.c_str());
        return false;
    }
    if (files.empty()) {
        LOG_ERROR("No input files");
        return false;
    }
    for (const std::string& file : files) {
        if (!FileReader::file_exists(file)) {
            LOG_ERROR("Input file %s does not exist", file.c_str());
            return false;
        }
    }

    const auto count = static_cast<uint32_t>(files.size());
    uint8_t header[kHeaderSize];
    putU32(header, kPackageMagic);
    putU32(header + 4, count);
    putU32(header + 8, 0);
    if (fwrite(header, 1, kHeaderSize, output.file) != kHeaderSize) {
        LOG_ERROR("Failed to write file header");
        return false;
    }

    uint32_t offset = kHeaderSize + kRecordSize * count;
    for (const std::string& file : files) {
        if (file.size() >= kNameFieldSize) {
            LOG_ERROR("Length of filename %s is too large", file.c_str());
            return false;
        }
        const uint32_t size = FileReader::file_size(file);
        uint8_t record[kRecordSize] = {0};
        std::copy(file.begin(), file.end(), record);
        putU32(record + kNameFieldSize, offset);
        putU32(record + kNameFieldSize + 4, size);
        if (fwrite(record, 1, kRecordSize, output.file) != kRecordSize) {
            LOG_ERROR("Failed to write file_info for %s", file.c_str());
            return false;
        }
        offset += size;
    }

    uint32_t checksum = 0;
    for (const std::string& file : files) {
        const uint32_t expected = FileReader::file_size(file);
        uint32_t actual = 0;
        char* buffer = FileReader::fileToBuffer(file, &actual);
        if (buffer == nullptr || actual != expected) {
            LOG_ERROR("Sizes differ! buffer=%d vs file=%d", static_cast<int>(actual), static_cast<int>(expected));
            free(buffer);
            return false;
        }
        checksum += get_data_hash(buffer, expected);
        const size_t written = fwrite(buffer, 1, actual, output.file);
        free(buffer);
        if (written < actual) {
            LOG_ERROR("Failed to write data for %s", file.c_str());
            return false;
        }
    }

    uint8_t checksumBytes[4];
    putU32(checksumBytes, checksum);
    if (fseek(output.file, 8, SEEK_SET) != 0 || fwrite(checksumBytes, 1, 4, output.file) != 4) {
        LOG_ERROR("Failed to write checksum");
        return false;
    }
    const int closed = fclose(output.file);
    output.file = nullptr;
    if (closed != 0) {
        LOG_ERROR("Failed to write checksum");
        return false;
    }
    return true;
}

char* PackageManager::load(std::string path, std::string name, uint32_t* size) {
    PackageReader reader(path);
    if (!reader.open()) {
        LOG_ERROR("Failed to open data file %s (%d)", path.c_str(), reader.openError());
        return nullptr;
    }
    PackageHeader header;
    if (!reader.readHeader(&header) || !reader.checkRecordTable(header)) {
        return nullptr;
    }
    for (uint32_t index = 0; index < header.count; ++index) {
        PackageRecord record;
        if (!reader.readRecord(index, &record)) {
            return nullptr;
        }
        if (strcmp(record.name, name.c_str()) != 0) {
            continue;
        }
        char* block = reader.readEntry(record);
        if (block != nullptr && size != nullptr) {
            *size = record.size;
        }
        return block;
    }
    LOG_ERROR("Could not find %s in %s", name.c_str(), path.c_str());
    return nullptr;
}

bool PackageManager::getChecksum(std::string path, uint32_t* checksum) {
    if (checksum == nullptr) {
        return false;
    }
    PackageReader reader(path);
    PackageHeader header;
    if (!reader.openWithHeader(&header)) {
        return false;
    }
    *checksum = header.checksum;
    return true;
}

bool PackageManager::calculateChecksum(std::string path, uint32_t* checksum) {
    if (checksum == nullptr) {
        return false;
    }
    *checksum = 0;
    PackageReader reader(path);
    PackageHeader header;
    if (!reader.openWithHeader(&header) || !reader.checkRecordTable(header)) {
        return false;
    }
    // One pass over the record table. Every record counts with the bytes that a load by its
    // name returns, those of the first record of that name, so a name given twice adds its
    // first entry's CRC twice.
    std::unordered_map<std::string, uint32_t> crcByName;
    for (uint32_t index = 0; index < header.count; ++index) {
        PackageRecord record;
        if (!reader.readRecord(index, &record)) {
            return false;
        }
        auto found = crcByName.find(record.name);
        if (found == crcByName.end()) {
            char* block = reader.readEntry(record);
            if (block == nullptr) {
                return false;
            }
            found = crcByName.emplace(record.name, get_data_hash(block, record.size)).first;
            free(block);
        }
        *checksum += found->second;
    }
    return true;
}
