// A font description, read the way a text's set-up reads it, then the atlas rectangle of
// every character a text can hold.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "render/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* const entry = "fonts/fuzz.json";
    fuzz_support::writeEntry(entry, data, size);
    Text text(10.0f, 20.0f, "Fuzz", entry, 1.0f, glm::vec3(1.0f));
    if (!text.readFont()) {
        return 0;
    }
    for (int character = 1; character < 256; ++character) {
        FLOATRECT rect;
        text.getCharacterUV(static_cast<char>(character), &rect);
    }
    return 0;
}
