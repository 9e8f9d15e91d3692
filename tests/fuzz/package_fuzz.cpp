// The package file itself: the start-up integrity check (stored and computed checksum) and
// loads by name over a fuzzed data.tul.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/PackageManager.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_support::writeRawPackage(std::string(reinterpret_cast<const char*>(data), size));
    PackageManager* package = PackageManager::getInstance();
    uint32_t stored = 0;
    uint32_t computed = 0;
    package->getChecksum(kPackageFile, &stored);
    package->calculateChecksum(kPackageFile, &computed);
    // The first record's name, as far as the input holds one, and a name no record has.
    std::string firstName;
    if (size > 12) {
        const char* name = reinterpret_cast<const char*>(data) + 12;
        firstName.assign(name, strnlen(name, std::min<size_t>(size - 12, 64)));
    }
    for (const std::string& name : {firstName, std::string("shaders/level.vs")}) {
        uint32_t entrySize = 0;
        free(package->load(kPackageFile, name, &entrySize));
    }
    return 0;
}
