#pragma once
// The archive with one file taken away or replaced by other bytes: what the
// game does with a missing or damaged file of its data.
#include "engine/core/io/Stream.h"

#include <memory>
#include <string>

class AlteredArchive : public Stream {
public:
    // Stands for an entry the archive lists but cannot unpack. Told apart by
    // its address, so it is one array for every file (two equal literals
    // need not share one).
    static const char kUnpackable[];

    // Every name that ends in `name` is the altered file: missing when the
    // replacement is null, listed but unreadable (as a damaged entry is) when
    // it is kUnpackable, else those bytes (up to their terminating zero).
    AlteredArchive(Stream& inner, std::string name, const char* replacement);

    std::unique_ptr<Stream> clone() const override;
    bool exists(const char* name) override;
    bool openRead(const char* name) override;
    bool openWrite(const char*) override { return false; }
    bool close() override;
    uint32_t read(void* dest, uint32_t count) override;
    uint32_t write(const void*, uint32_t) override { return 0; }
    bool seekSet(uint32_t position) override { return m_inner->seekSet(position); }
    bool seekCur(int32_t delta) override { return m_inner->seekCur(delta); }
    uint32_t tell() override { return m_reading ? m_position : m_inner->tell(); }

private:
    bool altered(const char* name) const;

    std::unique_ptr<Stream> m_inner;
    std::string m_name;
    const char* m_replacement;
    const char* m_reading = nullptr;
    uint32_t m_position = 0;
};
