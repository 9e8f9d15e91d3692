// The one place that hands image bytes from the package to stb_image. The image's header is
// read before anything is decoded: stb_image trusts the dimensions a header declares and
// would allocate gigabytes for a few damaged bytes, so sizes no asset of the game comes near
// are refused with a line first. Every decode of package images goes through here.
#pragma once

#include <cstdint>
#include <string>

// Larger than any image of the game (the largest is 2048 x 1024), and small enough that a
// decode of that size stays well inside the memory a game has.
constexpr int kMaxImageSide = 8192;
constexpr int64_t kMaxImagePixels = int64_t{4096} * 4096;

// Reads the size and stored channel count the image's header declares, decoding nothing;
// false, without a line, when stb_image cannot read the header or the image holds what
// stb_image would mishandle (a JPEG Huffman table of more codes than it has room for, a JPEG
// scan naming a table the file never defines, a 16-bit PNM).
bool read_image_header(const char* bytes, uint32_t size, int* width, int* height, int* storedChannels);

// Decodes the image entry `name` held in bytes (size bytes long) into 8-bit pixels with
// `channels` per pixel (0: as the image stores them), with stb_image's current vertical flip
// setting. The width, height and stored channel count go through the pointers. Returns the
// pixels (release with stbi_image_free), or null: after a line of its own when the declared
// size is refused, silently when stb_image cannot read the image (the caller says which
// asset failed).
unsigned char* decode_image(const char* bytes, uint32_t size, int channels, const std::string& name, int* width,
                            int* height, int* storedChannels);
