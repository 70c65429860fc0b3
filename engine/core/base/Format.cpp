#include "engine/core/base/Format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

const char* formatStatic(const char* format, ...)
{
    static char buffer[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0)
        buffer[0] = 0; // an encoding error leaves nothing trustworthy
    buffer[255] = 0;
    return buffer;
}

ByteBuffer formatText(const char* format, ...)
{
    ByteBuffer text;
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int len = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    // A negative measure is an encoding error: the result stays the empty text
    // rather than writing in front of the buffer.
    if (len > 0) {
        text.resize(len + 1);
        const int written = std::vsnprintf(text.data, size_t(len) + 1, format, args);
        if (written < 0)
            text.assignCString("");
    }
    va_end(args);
    return text;
}

ByteBuffer extractBetween(const char* text, char open, char close, const char* fallback)
{
    const char* p = text ? std::strchr(text, open) : nullptr;
    const char* q = text ? std::strrchr(text, close) : nullptr;
    if (p && q && q - p >= 2) {
        ByteBuffer out;
        const int32_t n = int32_t(q - p);
        out.resize(n);
        std::memcpy(out.data, p + 1, size_t(n - 1));
        out.data[n - 1] = 0;
        return out;
    }
    return ByteBuffer(fallback ? fallback : "");
}
