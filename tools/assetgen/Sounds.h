// The two halves of the sounds group: the one-shot game sounds and the looping music.
#pragma once

#include <string>

bool generateSoundEffects(const std::string& outDir);
bool generateMusic(const std::string& outDir);
