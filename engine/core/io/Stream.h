#pragma once
#include <cstdint>
#include <memory>

// The abstract file: one object opens one named file at a time. A Stream
// doubles as a file system: loaders clone the one they were given, open the
// names they need on the clone, read, close and drop the clone.
class Stream {
public:
    uint32_t length = 0; // size of the open file, 0 when none

    virtual ~Stream() = default;
    // A new object of the same kind and configuration with no file open.
    virtual std::unique_ptr<Stream> clone() const = 0;
    virtual bool exists(const char* name) = 0;
    virtual bool openRead(const char* name) = 0;
    virtual bool openWrite(const char* name) = 0;
    // True when something was open.
    virtual bool close() = 0;
    // Bytes actually read: fewer at the end, 0 at the end or on error.
    virtual uint32_t read(void* dest, uint32_t count) = 0;
    // Bytes actually written.
    virtual uint32_t write(const void* src, uint32_t count) = 0;
    virtual bool seekSet(uint32_t position) = 0;
    virtual bool seekCur(int32_t delta) = 0;
    virtual uint32_t tell() = 0;
};
