#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One entry as it is stored: the bytes in the archive, the primary index
// that follows them when the block-sort flag is set, and the table fields.
struct PackedEntry {
    std::string name;
    uint8_t flags = 0;
    std::vector<uint8_t> stored;
    uint32_t unpackedSize = 0;
    bool hasPrimaryIndex = false;
    uint32_t primaryIndex = 0;
};

// Packs `data` with the given flags (0..3): bit 1 block-sorts and
// move-to-front codes, bit 0 range codes what results.
PackedEntry packEntry(const std::string& name, const std::vector<uint8_t>& data, uint8_t flags);

// Builds SARC archives. Version 0 puts the table right behind the header with
// data offsets counted from its end; version 1 puts the table behind the data
// and records where it starts.
class ArchiveWriter {
public:
    static constexpr uint8_t kDefaultFlags = 3;

    // Packs with flags 3, or stores as is when packing does not shrink the
    // entry. Returns the flags chosen.
    uint8_t addFile(const std::string& name, const std::vector<uint8_t>& data);
    void addEntry(const std::string& name, const std::vector<uint8_t>& data, uint8_t flags);
    // Any fields at all, for hand-made and damaged archives.
    void addPacked(PackedEntry entry);

    const std::vector<PackedEntry>& entries() const { return m_entries; }

    // Throws std::invalid_argument for a name over 255 bytes or an archive
    // that outgrows 32-bit offsets.
    std::vector<uint8_t> build(int version) const;
    // False with `error` set when the file cannot be written.
    bool writeFile(const std::string& path, int version, std::string& error) const;

private:
    std::vector<PackedEntry> m_entries;
};
