#include "engine/core/io/StreamRef.h"

namespace {
StreamRef* g_defaultRef = nullptr;
Stream* g_defaultStream = nullptr;
} // namespace

StreamRef* defaultStreamRef()
{
    return g_defaultRef;
}

Stream* defaultStream()
{
    return g_defaultStream;
}

void setDefaultFileSystem(Stream* stream)
{
    if (g_defaultRef && --g_defaultRef->refCount <= 0)
        delete g_defaultRef;
    g_defaultRef = nullptr;
    if (stream) {
        g_defaultRef = new StreamRef(*stream);
        ++g_defaultRef->refCount;
    }
    g_defaultStream = stream;
}
