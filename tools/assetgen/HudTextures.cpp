#include "Generators.h"

bool generateHudTextures(const std::string& /*outDir*/) {
    return true;
}
