#include "core/FileReader.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "core/Log.h"

char* FileReader::fileToBuffer(std::string path, uint32_t* size) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        LOG_ERROR("Failed to open %s", path.c_str());
        return nullptr;
    }
    long length = -1;
    if (fseek(file, 0, SEEK_END) == 0) {
        length = ftell(file);
    }
    if (length < 0 || fseek(file, 0, SEEK_SET) != 0) {
        LOG_ERROR("Failed to open %s", path.c_str());
        fclose(file);
        return nullptr;
    }
    // One spare byte so that an empty file still gives a block to free.
    char* buffer = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
    const size_t read = buffer != nullptr ? fread(buffer, 1, static_cast<size_t>(length), file) : 0;
    fclose(file);
    if (buffer == nullptr || read != static_cast<size_t>(length)) {
        LOG_ERROR("Failed to open %s", path.c_str());
        free(buffer);
        return nullptr;
    }
    if (size != nullptr) {
        *size = static_cast<uint32_t>(length);
    }
    return buffer;
}

bool FileReader::file_exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

uint32_t FileReader::file_size(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return 0;
    }
    long length = 0;
    if (fseek(file, 0, SEEK_END) == 0) {
        length = ftell(file);
    }
    fclose(file);
    return length < 0 ? 0 : static_cast<uint32_t>(length);
}

std::string FileReader::fileToString(std::string path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        return std::string();
    }
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::string fileToString(std::string path) {
    return FileReader::fileToString(std::move(path));
}
