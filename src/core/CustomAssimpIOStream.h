// A read-only importer stream over one package entry held in memory. The stream owns
// the entry's bytes and frees them when the importer closes it.
#pragma once

#include <assimp/IOStream.hpp>

#include <cstdint>

class CustomAssimpIOStream : public Assimp::IOStream {
public:
    // Takes over buffer, a malloc'ed block of size bytes.
    CustomAssimpIOStream(char* buffer, uint32_t size);
    ~CustomAssimpIOStream() override;
    CustomAssimpIOStream(const CustomAssimpIOStream&) = delete;
    CustomAssimpIOStream& operator=(const CustomAssimpIOStream&) = delete;

    // Copies count elements from the position on and returns count; a request that
    // reaches past the entry's end copies nothing and returns 0.
    size_t Read(void* destination, size_t elementSize, size_t count) override;
    // The package is read-only: nothing is written.
    size_t Write(const void* source, size_t elementSize, size_t count) override;
    aiReturn Seek(size_t offset, aiOrigin origin) override;
    size_t Tell() const override;
    size_t FileSize() const override;
    // Rewinds to the entry's start.
    void Flush() override;

private:
    char* buffer;
    uint32_t size;
    uint32_t position;
};
