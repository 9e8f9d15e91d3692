// The game's one entry point into json-parser. The library already exports json_parse, so
// ours carries its own name; on failure it prints the parser's message bare, without a
// newline, and the caller's error line continues it.
#pragma once

#include <cstddef>

#include <json.h>

json_value* json_parse_buffer(const char* json, size_t length);

// Looks up key in an object; null when value is not an object or has no such key.
const json_value* json_object_get(const json_value* value, const char* key);
