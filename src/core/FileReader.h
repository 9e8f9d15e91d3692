// Whole-file helpers over disk files; the package writer rests on them.
#pragma once

#include <cstdint>
#include <string>

class FileReader {
public:
    // A malloc'ed block with the whole file (release with free), its length through size;
    // null, size untouched, when the file cannot be opened or read.
    static char* fileToBuffer(std::string path, uint32_t* size);
    static bool file_exists(const std::string& path);
    // The file's length truncated to 32 bits; 0 when it cannot be opened.
    static uint32_t file_size(const std::string& path);
    // The whole file as a string; empty when it cannot be opened.
    static std::string fileToString(std::string path);
};

std::string fileToString(std::string path);
