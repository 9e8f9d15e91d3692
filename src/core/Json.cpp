#include "core/Json.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/MathUtil.h"
#include "core/PackageManager.h"

json_value* json_parse_buffer(const char* json, size_t length) {
    json_settings settings;
    memset(&settings, 0, sizeof(settings));
    char error[json_error_max] = {0};
    json_value* root = json_parse_ex(&settings, json, length, error);
    if (root == nullptr) {
        // On a line of its own: the caller's error line follows it.
        printf("%s\n", error);
    }
    return root;
}

json_value* json_parse_entry(const std::string& entry) {
    uint32_t size = 0;
    char* bytes = PackageManager::getInstance()->load(kPackageFile, entry, &size);
    if (bytes == nullptr) {
        return nullptr;
    }
    json_value* root = json_parse_buffer(bytes, size);
    free(bytes);
    return root;
}

float json_number_as_float(const json_value* value) {
    if (value->type == json_integer) {
        return MathUtil::clampToFloat(static_cast<double>(value->u.integer));
    }
    if (value->type == json_double) {
        return MathUtil::clampToFloat(value->u.dbl);
    }
    return 0.0f;
}
