// The game's JSON entry point over a description's bytes.
#include <cstdint>
#include <vector>

#include "core/Json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<char> text(data, data + size);
    json_value* root = json_parse_buffer(text.data(), text.size());
    if (root != nullptr) {
        json_value_free(root);
    }
    return 0;
}
