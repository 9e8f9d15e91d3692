// The model families that generateModels writes, one source file each.
#pragma once

#include <string>

namespace assetgen {

bool generateForestModels(const std::string& outDir);
bool generateSpaceModels(const std::string& outDir);
bool generateUfoModel(const std::string& outDir);
bool generateRocketModel(const std::string& outDir);

}  // namespace assetgen
