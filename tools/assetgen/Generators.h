// The groups of binary package entries that assetgen writes. Each group writes its files
// below the output folder at their entry names and returns false after printing why.
#pragma once

#include <string>

bool generateSounds(const std::string& outDir);
bool generateHudTextures(const std::string& outDir);
bool generateNatureTextures(const std::string& outDir);
bool generateTerrain(const std::string& outDir);
bool generateFont(const std::string& outDir);
bool generateModels(const std::string& outDir);
