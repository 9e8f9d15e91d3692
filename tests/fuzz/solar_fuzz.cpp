// The star map's solar-system description, read into bodies the way the view's set-up reads
// it, and the bodies moved along their orbits (the drawing needs an OpenGL context).
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "game/CelestialBody.h"
#include "game/SolarSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* const entry = "levels/system_1/s1.json";
    fuzz_support::writeEntry(entry, data, size);
    SolarSystem system(entry, nullptr, nullptr);
    if (system.loadCelestialBodies()) {
        for (CelestialBody* body : system.getBodies()) {
            body->advance(0.5f);
            body->getPosition();
        }
    }
    return 0;
}
