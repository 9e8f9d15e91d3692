#include "support/RunAssets.h"

#include <stb_image.h>
#include <cstring>
#include <unistd.h>

#include "core/AssetList.h"
#include "support/TestSupport.h"

namespace testing_support {

std::string runPath(const std::string& entry) {
    return std::string(QUENLOW_RUN_DIR) + "/" + entry;
}

bool haveRunAssets() {
    return access(runPath("data.tul").c_str(), F_OK) == 0;
}

bool decodeRunImage(const std::string& entry, Image* image, int channels, bool flip) {
    const std::string bytes = readFile(runPath(entry));
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    stbi_set_flip_vertically_on_load(flip ? 1 : 0);
    stbi_uc* pixels = stbi_load_from_memory(data, size, &image->width, &image->height, &image->stored, channels);
    if (pixels == nullptr || stbi_is_16_bit_from_memory(data, size)) {
        stbi_image_free(pixels);
        return false;
    }
    image->channels = channels == 0 ? image->stored : channels;
    image->pixels.assign(pixels, pixels + static_cast<size_t>(image->width) * image->height * image->channels);
    stbi_image_free(pixels);
    return true;
}

bool buildRunPackageWithout(const std::string& dir, const std::string& missing) {
    Entries entries;
    for (const std::string& entry : buildAssetList()) {
        if (entry != missing) {
            entries.emplace_back(entry, readFile(runPath(entry)));
        }
    }
    return buildPackage(dir, entries);
}

JsonTree readRunJson(const std::string& entry) {
    const std::string text = readFile(runPath(entry));
    return JsonTree(text.empty() ? nullptr : json_parse_buffer(text.data(), text.size()), json_value_free);
}

const json_value* jsonMember(const json_value* value, const char* key) {
    if (value == nullptr || value->type != json_object) {
        return nullptr;
    }
    for (unsigned int i = 0; i < value->u.object.length; ++i) {
        if (strcmp(value->u.object.values[i].name, key) == 0) {
            return value->u.object.values[i].value;
        }
    }
    return nullptr;
}

double jsonNumber(const json_value* value) {
    const json_type type = value != nullptr ? value->type : json_none;
    return type == json_integer ? static_cast<double>(value->u.integer) : (type == json_double ? value->u.dbl : 0.0);
}

std::string jsonText(const json_value* value) {
    return value != nullptr && value->type == json_string ? std::string(value->u.string.ptr, value->u.string.length)
                                                          : std::string();
}

}  // namespace testing_support
