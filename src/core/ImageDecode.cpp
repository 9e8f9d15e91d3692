#include "core/ImageDecode.h"

#include <climits>

#include <stb_image.h>

#include "core/Log.h"

namespace {

constexpr unsigned char kJpegMarker = 0xFF;
constexpr unsigned char kJpegHuffmanTable = 0xC4;
constexpr unsigned char kJpegProgressiveFrame = 0xC2;
constexpr unsigned char kJpegScan = 0xDA;
constexpr unsigned char kJpegEnd = 0xD9;
constexpr int kHuffmanCodeLengths = 16;
constexpr int kHuffmanSymbols = 256;

// A byte of the image, or 0 past its end, as stb_image reads one.
int byteAt(const unsigned char* data, size_t size, size_t at) {
    return at < size ? data[at] : 0;
}

// stb_image builds a JPEG Huffman table from its sixteen code counts without checking that
// they add up to no more than the 256 symbols the table holds: a damaged file that claims
// more makes it write past the table into the rest of the decoder's state, function pointers
// included. Every byte pair that stb_image could take for a table's marker is read as one.
bool huffmanTablesFit(const unsigned char* data, size_t size) {
    // Every JPEG starts with a marker; nothing else is read as one.
    if (size == 0 || data[0] != kJpegMarker) {
        return true;
    }
    for (size_t marker = 0; marker + 1 < size; ++marker) {
        if (data[marker] != kJpegMarker || data[marker + 1] != kJpegHuffmanTable) {
            continue;
        }
        size_t at = marker + 2;
        int remaining = (byteAt(data, size, at) << 8 | byteAt(data, size, at + 1)) - 2;
        at += 2;
        while (remaining > 0) {
            const int kind = byteAt(data, size, at);
            // stb_image refuses a table of another class or slot before it builds one.
            if ((kind >> 4) > 1 || (kind & 15) > 3) {
                break;
            }
            int codes = 0;
            for (int length = 1; length <= kHuffmanCodeLengths; ++length) {
                codes += byteAt(data, size, at + static_cast<size_t>(length));
            }
            if (codes > kHuffmanSymbols) {
                return false;
            }
            at += static_cast<size_t>(1 + kHuffmanCodeLengths + codes);
            remaining -= 1 + kHuffmanCodeLengths + codes;
        }
    }
    return true;
}

// Markers that stand alone, without a length: the start, the restarts and the padding ones.
bool markerWithoutLength(int code) {
    return code == 0xD8 || (code >= 0xD0 && code <= 0xD7) || code == 0x00 || code == 0x01;
}

// The end of a scan's entropy-coded data: the next marker that is not a restart.
size_t scanDataEnd(const unsigned char* data, size_t size, size_t at) {
    for (; at + 1 < size; ++at) {
        const int code = data[at + 1];
        if (data[at] == kJpegMarker && code != 0x00 && code != kJpegMarker && !(code >= 0xD0 && code <= 0xD7)) {
            return at;
        }
    }
    return size;
}

// stb_image leaves a Huffman table that the file never defines as whatever its memory held,
// and a scan that names one decodes through it, reading anywhere. The segments are walked in
// the order stb_image reads them: a scan may name only tables defined before it (the first
// scan of a progressive image's DC coefficients only its DC table, a later one only its AC
// table).
bool scansNameDefinedTables(const unsigned char* data, size_t size) {
    if (size == 0 || data[0] != kJpegMarker) {
        return true;
    }
    bool defined[2][4] = {};
    bool progressive = false;
    size_t at = 0;
    for (;;) {
        while (at < size && data[at] != kJpegMarker) {
            ++at;
        }
        while (at < size && data[at] == kJpegMarker) {
            ++at;
        }
        if (at >= size || data[at] == kJpegEnd) {
            return true;
        }
        const int code = data[at++];
        if (markerWithoutLength(code)) {
            continue;
        }
        const size_t end = at + static_cast<size_t>(byteAt(data, size, at) << 8 | byteAt(data, size, at + 1));
        if (code == kJpegProgressiveFrame) {
            progressive = true;
        } else if (code == kJpegHuffmanTable) {
            for (size_t table = at + 2; table < end && table < size;) {
                const int kind = byteAt(data, size, table);
                if ((kind >> 4) > 1 || (kind & 15) > 3) {
                    break;
                }
                defined[kind >> 4][kind & 15] = true;
                int codes = 0;
                for (int length = 1; length <= kHuffmanCodeLengths; ++length) {
                    codes += byteAt(data, size, table + static_cast<size_t>(length));
                }
                table += static_cast<size_t>(1 + kHuffmanCodeLengths + codes);
            }
        } else if (code == kJpegScan) {
            const int components = byteAt(data, size, at + 2);
            const int spectralStart = byteAt(data, size, at + 3 + 2 * static_cast<size_t>(components));
            const bool usesDc = !progressive || spectralStart == 0;
            const bool usesAc = !progressive || spectralStart != 0;
            for (int component = 0; component < components; ++component) {
                const int tables = byteAt(data, size, at + 4 + 2 * static_cast<size_t>(component));
                // Slots past 3 stb_image refuses itself.
                if ((tables >> 4) > 3 || (tables & 15) > 3) {
                    continue;
                }
                if ((usesDc && !defined[0][tables >> 4]) || (usesAc && !defined[1][tables & 15])) {
                    return false;
                }
            }
            at = scanDataEnd(data, size, end);
            continue;
        }
        at = end;
    }
}

// stb_image turns a 16-bit PNM into another channel count as if it held 8-bit samples, then
// reads the result as 16-bit samples: past the end of its buffer. No image of the game is a
// PNM.
bool sixteenBitPnm(const unsigned char* data, size_t size) {
    return size >= 2 && data[0] == 'P' && (data[1] == '5' || data[1] == '6') &&
           stbi_is_16_bit_from_memory(data, static_cast<int>(size)) != 0;
}

}  // namespace

bool read_image_header(const char* bytes, uint32_t size, int* width, int* height, int* storedChannels) {
    // stb_image counts its input in int.
    if (bytes == nullptr || size > static_cast<uint32_t>(INT_MAX)) {
        return false;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    if (!huffmanTablesFit(data, size) || !scansNameDefinedTables(data, size) || sixteenBitPnm(data, size)) {
        return false;
    }
    return stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes), static_cast<int>(size), width, height,
                                 storedChannels) != 0;
}

unsigned char* decode_image(const char* bytes, uint32_t size, int channels, const std::string& name, int* width,
                            int* height, int* storedChannels) {
    int declaredWidth = 0;
    int declaredHeight = 0;
    int declaredChannels = 0;
    if (!read_image_header(bytes, size, &declaredWidth, &declaredHeight, &declaredChannels)) {
        return nullptr;
    }
    if (declaredWidth <= 0 || declaredHeight <= 0 || declaredWidth > kMaxImageSide || declaredHeight > kMaxImageSide ||
        static_cast<int64_t>(declaredWidth) * declaredHeight > kMaxImagePixels) {
        LOG_ERROR("Image %s declares %d x %d pixels, more than the game reads", name.c_str(), declaredWidth,
                  declaredHeight);
        return nullptr;
    }
    return stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes), static_cast<int>(size), width, height,
                                 storedChannels, channels);
}
