#include "Sounds.h"
#include "Generators.h"

bool generateSounds(const std::string& outDir) {
    return generateSoundEffects(outDir) && generateMusic(outDir);
}
