// Reads the game's sound files: PCM WAV with the canonical 44-byte header, one channel,
// 16 bits at 11025 Hz. Any other layout is refused with a line.
#pragma once

#include <cstdint>
#include <string>

class WavLoader {
public:
    // The data bytes of the WAV file in wav (wavLength bytes long) as a new malloc'ed block
    // (release with free), their count through size. Null after a log line, size untouched,
    // when the header is refused or declares more data than the file holds.
    static char* loadRawDataFromWav(const char* wav, uint32_t wavLength, uint32_t* size);
    // The same for a file on disk.
    static char* loadRawDataFromWavFile(std::string path, uint32_t* size);
};
