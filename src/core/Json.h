// The game's one entry point into json-parser. The library already exports json_parse, so
// ours carries its own name; on failure it prints the parser's message as a bare line, with
// no tag or time stamp, and the caller's error line follows it.
#pragma once

#include <cstddef>
#include <string>

#include <json.h>

json_value* json_parse_buffer(const char* json, size_t length);

// Loads a description from the package and parses it; null when the entry is missing (the
// package's line) or not JSON (the parser's bare message). The caller writes its own line.
json_value* json_parse_entry(const std::string& entry);

// A value of a description read as a number: integers and doubles narrowed to float
// (saturating at the float range, which a damaged entry may exceed), every other kind 0.
float json_number_as_float(const json_value* value);

// The description walks stop entering nested values below this depth: the parser accepts
// any nesting, and a damaged entry must not run a recursive walk out of stack. No
// description of ours comes close.
constexpr int kJsonMaxDepth = 64;
