#pragma once
#include "engine/core/base/ObjectBase.h"
#include "engine/core/io/Stream.h"

#include <memory>

// A reference-counted holder of its own clone of a Stream: textures keep their
// default file system through one. The holder's owner counts the references.
class StreamRef : public ObjectBase {
public:
    explicit StreamRef(const Stream& source) : stream(source.clone()) {}

    int32_t refCount = 0;
    std::unique_ptr<Stream> stream;
};

// The process-wide default file system of file textures: a StreamRef made from
// the stream last installed, and that stream itself.
StreamRef* defaultStreamRef();
Stream* defaultStream();
// Releases the previous holder when its count drops to zero; null clears.
void setDefaultFileSystem(Stream* stream);
