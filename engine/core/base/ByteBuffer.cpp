#include "engine/core/base/ByteBuffer.h"

#include "engine/core/base/Format.h"

#include <cstring>

ByteBuffer::ByteBuffer()
{
    resize(1);
    data[0] = 0;
}

ByteBuffer::ByteBuffer(const char* text)
{
    assignCString(text);
}

ByteBuffer& ByteBuffer::assign(const ByteBuffer& other)
{
    if (this != &other) {
        resize(other.size);
        if (other.size > 0)
            std::memcpy(data, other.data, size_t(other.size));
    }
    return *this;
}

ByteBuffer& ByteBuffer::assignCString(const char* text)
{
    if (!text)
        text = "";
    const size_t len = std::strlen(text);
    resize(int32_t(len + 1));
    std::memcpy(data, text, len + 1);
    return *this;
}

ByteBuffer& ByteBuffer::appendCString(const char* text)
{
    if (!text)
        return *this;
    const size_t len = std::strlen(text);
    // An empty buffer (size 0) has no NUL to overwrite.
    const int32_t keep = size > 0 ? size - 1 : 0;
    resize(int32_t(keep + len + 1));
    std::memcpy(data + keep, text, len + 1);
    return *this;
}

ByteBuffer& ByteBuffer::appendInt(int value)
{
    return appendCString(formatStatic("%d", value));
}
