#include "NatureTextures.h"
#include "Generators.h"

bool generateNatureTextures(const std::string& outDir) {
    return nature::writeGroundTextures(outDir) && nature::writeSkyboxes(outDir) && nature::writeLiquidTextures(outDir);
}
