#include "Generators.h"
#include "ModelGroups.h"

bool generateModels(const std::string& outDir) {
    return assetgen::generateForestModels(outDir) && assetgen::generateSpaceModels(outDir) &&
           assetgen::generateUfoModel(outDir) && assetgen::generateRocketModel(outDir);
}
