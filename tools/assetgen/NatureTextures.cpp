#include "Generators.h"

bool generateNatureTextures(const std::string& /*outDir*/) {
    return true;
}
