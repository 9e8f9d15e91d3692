// assetgen writes every binary package entry (images, heightmaps, sounds, models, the font
// atlas) into the folder it is given, deterministically: the same bytes on every run.
#include "Generators.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: assetgen OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string outDir = argv[1];
    struct Group {
        const char* name;
        bool (*generate)(const std::string&);
    };
    const Group groups[] = {
        {"sounds", generateSounds},
        {"hud textures", generateHudTextures},
        {"nature textures", generateNatureTextures},
        {"terrain", generateTerrain},
        {"font", generateFont},
        {"models", generateModels},
    };
    for (const Group& group : groups) {
        if (!group.generate(outDir)) {
            fprintf(stderr, "assetgen: the %s group failed\n", group.name);
            return 1;
        }
    }
    return 0;
}
