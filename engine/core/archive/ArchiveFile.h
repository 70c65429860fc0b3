#pragma once
#include "engine/core/base/ByteBuffer.h"
#include "engine/core/io/Stream.h"

#include <memory>
#include <string>
#include <vector>

// One entry of a mounted SARC archive, as the table describes it; the data
// offset is absolute once mounted.
struct ArchiveEntry {
    char name[256] = {};
    uint8_t flags = 0;
    uint32_t offset = 0;
    uint32_t storedSize = 0;
    uint32_t unpackedSize = 0;
    int32_t volumeIndex = 0;
};

// A mounted archive: the stream that keeps it open for the whole run.
struct ArchiveVolume {
    std::unique_ptr<Stream> stream;
    std::string name;
};

// The game's file system: a Stream over any number of mounted SARC archives.
// openRead decodes the whole entry into memory; reads and seeks then work on
// that copy. Archives mounted later override earlier ones entry by entry.
class ArchiveFile : public Stream {
public:
    // Entry flags. Bit 0: range coded. Bit 1: block sorted and move-to-front
    // coded, with the primary index stored behind the entry's bytes. Any
    // other bit makes the entry unreadable.
    static constexpr uint8_t kRangeCoded = 0x01;
    static constexpr uint8_t kBlockSorted = 0x02;
    static constexpr uint8_t kUnknownFlags = 0xFC;

    // Names missing from the archives are looked up on disk; the game leaves
    // this off so the archives are its only file system.
    bool diskFallback = false;

    ArchiveFile() = default;
    ~ArchiveFile() override;
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    // Opens `name` through a clone of `fileSystem` and adds its entries. A
    // missing archive answers false quietly; a damaged one is reported. The
    // volume stays listed either way.
    bool mount(Stream& fileSystem, const char* name);

    std::unique_ptr<Stream> clone() const override;
    bool exists(const char* name) override;
    bool openRead(const char* name) override;
    bool openWrite(const char* name) override;
    bool close() override;
    uint32_t read(void* dest, uint32_t count) override;
    uint32_t write(const void* src, uint32_t count) override;
    bool seekSet(uint32_t position) override;
    bool seekCur(int32_t delta) override;
    uint32_t tell() override;

    const GrowableArray<ArchiveEntry>& entries() const { return m_entries; }
    const std::vector<ArchiveVolume>& volumes() const { return m_volumes; }

private:
    bool readTable(Stream& stream, const char* name);
    bool loadEntry(const ArchiveEntry& entry);
    bool loadFromDisk(const char* name);

    GrowableArray<ArchiveEntry> m_entries;
    std::vector<ArchiveVolume> m_volumes;
    DataBuffer m_content; // the open entry's decoded bytes
    uint32_t m_position = 0;
};
