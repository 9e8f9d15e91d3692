// A particle-system description, read and run for a few steps the way its owners do, without
// the drawing that needs an OpenGL context.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "render/ParticleSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* const entry = "particlesystems/fuzz.json";
    fuzz_support::writeEntry(entry, data, size);
    ParticleSystem system(entry, true);
    if (!system.readJson() || !system.initParticles()) {
        return 0;
    }
    for (int step = 0; step < 3; ++step) {
        system.update(0.25f);
    }
    system.activateOnce(glm::vec3(1.0f, 2.0f, 3.0f));
    system.update(0.25f);
    system.update(0.25f);
    system.sortForZ();
    return 0;
}
