#include "core/CustomAssimpIOStream.h"

#include <cstdlib>
#include <cstring>

#include "core/Log.h"

CustomAssimpIOStream::CustomAssimpIOStream(char* buffer, uint32_t size) : buffer(buffer), size(size), position(0) {}

CustomAssimpIOStream::~CustomAssimpIOStream() {
    free(buffer);
}

size_t CustomAssimpIOStream::Read(void* destination, size_t elementSize, size_t count) {
    if (buffer == nullptr || destination == nullptr || elementSize == 0 || count == 0) {
        return 0;
    }
    // Tested by division so that a huge element count cannot wrap the byte count.
    const size_t remaining = size - position;
    if (count > remaining / elementSize) {
        return 0;
    }
    const size_t bytes = elementSize * count;
    memcpy(destination, buffer + position, bytes);
    position += static_cast<uint32_t>(bytes);
    return count;
}

size_t CustomAssimpIOStream::Write(const void* /*source*/, size_t /*elementSize*/, size_t /*count*/) {
    LOG_ERROR("Implement me (%s)", "Write");
    return 0;
}

aiReturn CustomAssimpIOStream::Seek(size_t offset, aiOrigin origin) {
    size_t base = 0;
    if (origin == aiOrigin_CUR) {
        base = position;
    } else if (origin == aiOrigin_END) {
        base = size;
    }
    if (offset > size || base > size - offset) {
        return aiReturn_FAILURE;
    }
    position = static_cast<uint32_t>(base + offset);
    return aiReturn_SUCCESS;
}

size_t CustomAssimpIOStream::Tell() const {
    return position;
}

size_t CustomAssimpIOStream::FileSize() const {
    return size;
}

void CustomAssimpIOStream::Flush() {
    position = 0;
}
