#include "Generators.h"
#include "Sounds.h"

bool generateSounds(const std::string& outDir) {
    return generateSoundEffects(outDir) && generateMusic(outDir);
}
