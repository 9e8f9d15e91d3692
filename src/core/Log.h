// The game's log lines: printf to standard output, the level tag right-aligned to nine
// characters, then the time since SDL started. The format strings are string literals so
// that every line reads exactly as written at its call site.
#pragma once

#include <cstdio>

#include "core/Utils.h"

#define LOG_INFO(format, ...) printf("   [INFO] [%s] " format "\n", get_timestamp_string(), ##__VA_ARGS__)
#define LOG_ERROR(format, ...) printf("  [ERROR] [%s] " format "\n", get_timestamp_string(), ##__VA_ARGS__)
#define LOG_WARNING(format, ...) printf("[WARNING] [%s] " format "\n", get_timestamp_string(), ##__VA_ARGS__)
