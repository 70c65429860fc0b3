#include "tools/lib/ArchiveWriter.h"

#include "tools/lib/BlockSortEncoder.h"
#include "tools/lib/RangeEncoder.h"

#include <cstdio>
#include <limits>
#include <stdexcept>

namespace {

void putLe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void setLe32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = uint8_t(v >> (8 * i));
}

uint32_t checkedOffset(uint64_t value)
{
    if (value > std::numeric_limits<uint32_t>::max())
        throw std::invalid_argument("archive exceeds 4 GB");
    return uint32_t(value);
}

} // namespace

PackedEntry packEntry(const std::string& name, const std::vector<uint8_t>& data, uint8_t flags)
{
    if (data.size() > 0x7FFFFFFF)
        throw std::invalid_argument("entry too large: " + name);
    PackedEntry entry;
    entry.name = name;
    entry.flags = flags;
    entry.unpackedSize = uint32_t(data.size());
    std::vector<uint8_t> bytes = data;
    if (flags & 2) {
        BlockSortResult sorted = forwardBWT(data.data(), int32_t(data.size()));
        bytes = encodeMTF(sorted.lastColumn.data(), sorted.lastColumn.size());
        entry.hasPrimaryIndex = true;
        entry.primaryIndex = uint32_t(sorted.primaryIndex);
    }
    if (flags & 1)
        bytes = RangeEncoder::encodeBlock(bytes.data(), bytes.size());
    entry.stored = std::move(bytes);
    return entry;
}

uint8_t ArchiveWriter::addFile(const std::string& name, const std::vector<uint8_t>& data)
{
    PackedEntry packed = packEntry(name, data, kDefaultFlags);
    if (packed.stored.size() + 4 >= data.size())
        packed = packEntry(name, data, 0);
    const uint8_t flags = packed.flags;
    m_entries.push_back(std::move(packed));
    return flags;
}

void ArchiveWriter::addEntry(const std::string& name, const std::vector<uint8_t>& data, uint8_t flags)
{
    m_entries.push_back(packEntry(name, data, flags));
}

void ArchiveWriter::addPacked(PackedEntry entry)
{
    m_entries.push_back(std::move(entry));
}

std::vector<uint8_t> ArchiveWriter::build(int version) const
{
    if (version != 0 && version != 1)
        throw std::invalid_argument("archive version must be 0 or 1");
    std::vector<uint8_t> table;
    std::vector<uint8_t> data;
    for (const PackedEntry& e : m_entries) {
        if (e.name.size() > 255)
            throw std::invalid_argument("entry name longer than 255 bytes: " + e.name);
        if (e.stored.size() > std::numeric_limits<uint32_t>::max())
            throw std::invalid_argument("entry too large: " + e.name);
        table.push_back(uint8_t(e.name.size()));
        table.insert(table.end(), e.name.begin(), e.name.end());
        table.push_back(e.flags);
        // Offsets are filled in below, once the table's size is known.
        putLe32(table, checkedOffset(data.size()));
        putLe32(table, uint32_t(e.stored.size()));
        putLe32(table, e.unpackedSize);
        data.insert(data.end(), e.stored.begin(), e.stored.end());
        if (e.hasPrimaryIndex)
            putLe32(data, e.primaryIndex);
    }

    std::vector<uint8_t> out = {'S', 'A', 'R', 'C'};
    putLe32(out, uint32_t(version) << 24);
    putLe32(out, uint32_t(m_entries.size()));
    if (version == 0) {
        // Offsets count from the end of the table: the relative ones stand.
        out.insert(out.end(), table.begin(), table.end());
        out.insert(out.end(), data.begin(), data.end());
    } else {
        const uint32_t dataStart = 16;
        const uint32_t tableStart = checkedOffset(uint64_t(dataStart) + data.size());
        putLe32(out, tableStart);
        size_t at = 0;
        for (const PackedEntry& e : m_entries) {
            const size_t offsetAt = at + 1 + e.name.size() + 1;
            const uint32_t relative = uint32_t(table[offsetAt]) | uint32_t(table[offsetAt + 1]) << 8 |
                                      uint32_t(table[offsetAt + 2]) << 16 | uint32_t(table[offsetAt + 3]) << 24;
            setLe32(table, offsetAt, checkedOffset(uint64_t(dataStart) + relative));
            at += 14 + e.name.size();
        }
        out.insert(out.end(), data.begin(), data.end());
        out.insert(out.end(), table.begin(), table.end());
    }
    checkedOffset(out.size());
    return out;
}

bool ArchiveWriter::writeFile(const std::string& path, int version, std::string& error) const
{
    std::vector<uint8_t> bytes;
    try {
        bytes = build(version);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = "cannot create " + path;
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
