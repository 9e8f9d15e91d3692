// File helpers shared by the generators: folders made on demand, whole files written at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// Creates every folder on the way to path's parent.
bool makeParentDirs(const std::string& path);

// Writes bytes to outDir/entryName, creating folders as needed.
bool writeEntry(const std::string& outDir, const std::string& entryName, const void* data, size_t size);
bool writeEntry(const std::string& outDir, const std::string& entryName, const std::string& text);

// 8-bit images, rows from the top; channels 1 to 4.
bool writePng(const std::string& outDir, const std::string& entryName, int width, int height, int channels,
              const std::vector<uint8_t>& pixels);
bool writeJpg(const std::string& outDir, const std::string& entryName, int width, int height, int channels,
              const std::vector<uint8_t>& pixels, int quality = 90);
bool writeBmp(const std::string& outDir, const std::string& entryName, int width, int height, int channels,
              const std::vector<uint8_t>& pixels);
bool writeTga(const std::string& outDir, const std::string& entryName, int width, int height, int channels,
              const std::vector<uint8_t>& pixels);

}  // namespace assetgen
