#include "engine/core/archive/ArchiveFile.h"

#include "engine/core/archive/BlockTransforms.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/base/Format.h"
#include "engine/core/archive/RangeDecoder.h"
#include "engine/core/base/Report.h"
#include "platform/memory/LittleEndian.h"
#include "platform/memory/ScratchMemory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr uint32_t kMagic = 0x43524153; // "SARC"
constexpr uint32_t kHeaderSize = 12;
constexpr uint32_t kMinEntrySize = 14;
constexpr uint32_t kMaxEntrySize = 14 + 255;
constexpr uint32_t kMaxBufferSize = 0x7FFFFFFF;
// Lookup is a linear scan meant for a few thousand entries; far more than
// that is a damaged count, and each entry costs some 280 bytes in memory.
constexpr uint32_t kMaxEntries = 1u << 18;

// The adaptive model never gives a symbol more than 1 - 256/16384 of the
// range, so a symbol costs at least 0.0227 bits: one stored byte cannot hold
// more than about 352 symbols. The slack covers the 0xFF bytes a stream may
// lean on past its end. An entry claiming more is damaged, and the bound keeps
// a forged size from making a huge allocation.
constexpr uint64_t kMaxSymbolsPerByte = 360;
constexpr uint64_t kExpansionSlack = 4096;

// A short read is a failure: the caller must never hand out bytes it did not read.
bool readFully(Stream& stream, void* dest, uint32_t count)
{
    uint8_t* out = static_cast<uint8_t*>(dest);
    while (count > 0) {
        const uint32_t got = stream.read(out, count);
        if (got == 0 || got > count)
            return false;
        out += got;
        count -= got;
    }
    return true;
}

bool equalsIgnoringCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a);
        unsigned char y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return false;
        if (x == 0)
            return true;
    }
}

std::string archiveName(const char* name)
{
    std::string copy(name ? name : "");
    for (char& c : copy) {
        if (c == '/')
            c = '\\';
    }
    return copy;
}

// Buffers that outlive one entry on this thread: the packed bytes, the
// decoded last column, and the content storage that `close` hands back. The
// next entry, on this archive or a clone of it, finds its pages mapped
// already instead of faulting in megabytes afresh.
struct EntryBuffers {
    DataBuffer packed;
    DataBuffer lastColumn;
    DataBuffer spareContent;
};

EntryBuffers& entryBuffers()
{
    thread_local EntryBuffers buffers;
    return buffers;
}

// Sizes `b` to `size` bytes, keeping its storage when that is large enough;
// the old bytes are not kept. Fresh storage is mapped in at once.
void sizeFor(DataBuffer& b, uint32_t size)
{
    b.position = 0;
    if (size == 0) {
        b.resize(0);
        return;
    }
    const bool fresh = int64_t(size) > b.capacity;
    b.size = 0; // a resize that grows copies the old bytes: there are none
    b.resize(int32_t(size));
    if (fresh)
        populatePages(b.data, size);
}

// The content storage for an entry of `size` bytes: the spare, when it is
// large enough and the content's own is not.
void sizeContent(DataBuffer& content, uint32_t size)
{
    DataBuffer& spare = entryBuffers().spareContent;
    if (int64_t(size) > content.capacity && int64_t(size) <= spare.capacity)
        std::swap(content, spare);
    sizeFor(content, size);
}

bool reportDamagedArchive(const char* name, const char* reason)
{
    reportError(formatText("error: archive \"%s\" is damaged: %s\n", name, reason).c_str());
    return false;
}

} // namespace

ArchiveFile::~ArchiveFile() = default;

bool ArchiveFile::mount(Stream& fileSystem, const char* name)
{
    std::unique_ptr<Stream> stream = fileSystem.clone();
    Stream& s = *stream;
    m_volumes.push_back(ArchiveVolume{std::move(stream), name ? name : ""});
    if (!name || !s.exists(name) || !s.openRead(name))
        return false; // a missing archive is an ordinary case: the second one is optional
    bool mounted = false;
    try {
        mounted = readTable(s, name);
    } catch (const std::bad_alloc&) {
        reportDamagedArchive(name, "the entry table does not fit in memory");
    }
    if (!mounted)
        s.close();
    return mounted;
}

bool ArchiveFile::readTable(Stream& s, const char* name)
{
    const uint64_t archiveLength = s.length;
    uint8_t header[kHeaderSize];
    if (!readFully(s, header, kHeaderSize))
        return reportDamagedArchive(name, "the header is cut short");
    if (readLe32(header) != kMagic) {
        reportError(formatText("error: \"%s\" is not an archive\n", name).c_str());
        return false;
    }
    const uint32_t version = header[7];
    const uint32_t count = readLe32(header + 8);
    uint64_t tableStart = kHeaderSize;
    if (version == 1) {
        uint8_t word[4];
        if (!readFully(s, word, 4))
            return reportDamagedArchive(name, "the header is cut short");
        tableStart = readLe32(word);
        if (tableStart > archiveLength || !s.seekSet(uint32_t(tableStart)))
            return reportDamagedArchive(name, "the entry table lies outside the file");
    } else if (version != 0) {
        reportError(formatText("error: archive \"%s\" has the unknown version %u\n", name, version).c_str());
        return false;
    }

    const uint64_t available = archiveLength > tableStart ? archiveLength - tableStart : 0;
    if (count > available / kMinEntrySize)
        return reportDamagedArchive(name, "the entry table does not fit in the file");
    if (count > kMaxEntries)
        return reportDamagedArchive(name, "the entry count is implausible");
    const uint64_t tableBytes = std::min<uint64_t>(available, uint64_t(count) * kMaxEntrySize);
    std::vector<uint8_t> table(static_cast<size_t>(tableBytes));
    if (tableBytes > 0 && !readFully(s, table.data(), uint32_t(tableBytes)))
        return reportDamagedArchive(name, "the entry table is cut short");

    std::vector<ArchiveEntry> parsed(count);
    size_t at = 0;
    for (ArchiveEntry& e : parsed) {
        if (at >= table.size())
            return reportDamagedArchive(name, "the entry table is cut short");
        const uint32_t nameLength = table[at];
        if (table.size() - at < size_t(1) + nameLength + 13)
            return reportDamagedArchive(name, "the entry table is cut short");
        std::memcpy(e.name, &table[at + 1], nameLength);
        e.name[nameLength] = 0;
        const uint8_t* p = &table[at + 1 + nameLength];
        e.flags = p[0];
        e.offset = readLe32(p + 1);
        e.storedSize = readLe32(p + 5);
        e.unpackedSize = readLe32(p + 9);
        e.volumeIndex = int32_t(m_volumes.size()) - 1;
        at += size_t(14) + nameLength;
    }

    // Version 0 counts data offsets from the end of the table.
    const uint64_t base = version == 0 ? tableStart + at : 0;
    for (ArchiveEntry& e : parsed) {
        const uint64_t offset = base + e.offset;
        e.offset = uint32_t(offset);
        // Never read, so its numbers do not matter: not even an offset past
        // 4 GiB may cost the archive its readable entries.
        if (e.flags & kUnknownFlags)
            continue;
        if (offset > 0xFFFFFFFFu)
            return reportDamagedArchive(name, "an entry lies outside the file");
        const uint64_t end = offset + e.storedSize + ((e.flags & kBlockSorted) ? 4 : 0);
        if (end > archiveLength || e.storedSize > kMaxBufferSize)
            return reportDamagedArchive(name, "an entry lies outside the file");
        if ((e.flags & kRangeCoded) &&
            (e.unpackedSize > kMaxBufferSize ||
             e.unpackedSize > uint64_t(e.storedSize) * kMaxSymbolsPerByte + kExpansionSlack))
            return reportDamagedArchive(name, "an entry's unpacked size is impossible");
    }

    const int32_t first = m_entries.size;
    m_entries.resize(first + int32_t(count));
    for (uint32_t i = 0; i < count; ++i)
        m_entries.data[first + int32_t(i)] = parsed[i];
    return true;
}

std::unique_ptr<Stream> ArchiveFile::clone() const
{
    auto copy = std::make_unique<ArchiveFile>();
    copy->m_entries = m_entries;
    copy->diskFallback = diskFallback;
    for (const ArchiveVolume& volume : m_volumes) {
        std::unique_ptr<Stream> stream = volume.stream->clone();
        stream->openRead(volume.name.c_str());
        copy->m_volumes.push_back(ArchiveVolume{std::move(stream), volume.name});
    }
    return copy;
}

bool ArchiveFile::exists(const char* name)
{
    const std::string wanted = archiveName(name);
    for (int32_t i = 0; i < m_entries.size; ++i) {
        if (equalsIgnoringCase(m_entries.data[i].name, wanted.c_str()))
            return true;
    }
    if (diskFallback && name) {
        DiskFile disk;
        return disk.exists(name);
    }
    return false;
}

bool ArchiveFile::openRead(const char* name)
{
    // Whatever happens next, the previous entry is gone: a failed open must
    // not leave the old bytes readable under the new name.
    close();
    const std::string wanted = archiveName(name);
    for (int32_t i = m_entries.size - 1; i >= 0; --i) {
        const ArchiveEntry& entry = m_entries.data[i];
        if ((entry.flags & kUnknownFlags) || !equalsIgnoringCase(entry.name, wanted.c_str()))
            continue;
        bool loaded = false;
        try {
            loaded = loadEntry(entry);
        } catch (const std::bad_alloc&) {
            // A size the table allows can still exceed what this machine
            // can hold: a damaged entry, not a reason to end the program.
        }
        if (loaded)
            return true;
        close();
        const int32_t volume = entry.volumeIndex;
        const char* archive = volume >= 0 && size_t(volume) < m_volumes.size() ? m_volumes[size_t(volume)].name.c_str() : "";
        reportError(formatText("error: \"%s\" is damaged in archive \"%s\"\n", wanted.c_str(), archive).c_str());
        return false;
    }
    if (diskFallback && name && loadFromDisk(name))
        return true;
    close();
    reportError(formatText("error: \"%s\" not found !!!\n", wanted.c_str()).c_str());
    return false;
}

bool ArchiveFile::loadEntry(const ArchiveEntry& entry)
{
    if (entry.volumeIndex < 0 || size_t(entry.volumeIndex) >= m_volumes.size())
        return false;
    Stream& s = *m_volumes[size_t(entry.volumeIndex)].stream;
    if (!s.seekSet(entry.offset))
        return false;

    const bool rangeCoded = (entry.flags & kRangeCoded) != 0;
    const bool blockSorted = (entry.flags & kBlockSorted) != 0;
    // A range-coded, block-sorted entry is range and move-to-front decoded
    // in one pass into `lastColumn`, which the inverse sort then turns into
    // the content.
    EntryBuffers& buffers = entryBuffers();
    DataBuffer& lastColumn = buffers.lastColumn;
    if (!rangeCoded) {
        sizeContent(m_content, entry.storedSize);
        if (!readFully(s, m_content.data, entry.storedSize))
            return false;
    } else {
        DataBuffer& packed = buffers.packed;
        sizeFor(packed, entry.storedSize);
        if (!readFully(s, packed.data, entry.storedSize))
            return false;
        DataBuffer& decoded = blockSorted ? lastColumn : m_content;
        if (blockSorted)
            sizeFor(decoded, entry.unpackedSize);
        else
            sizeContent(decoded, entry.unpackedSize);
        RangeDecoder decoder;
        const bool complete = blockSorted ? decoder.decodeBlockMoveToFront(packed, decoded, entry.unpackedSize)
                                          : decoder.decodeBlock(packed, decoded, entry.unpackedSize);
        if (!complete)
            return false;
        // A stream that ends early is as damaged as one that runs long.
        if (uint32_t(decoded.size) != entry.unpackedSize)
            return false;
    }

    if (blockSorted) {
        uint8_t word[4];
        if (!readFully(s, word, 4))
            return false;
        const int32_t primaryIndex = int32_t(readLe32(word));
        if (rangeCoded) {
            sizeContent(m_content, uint32_t(lastColumn.size));
            if (!inverseBWT(lastColumn, primaryIndex, m_content))
                return false;
        } else {
            DataBuffer scratch;
            if (!undoBlockSort(m_content, primaryIndex, scratch, m_content))
                return false;
        }
    }
    m_position = 0;
    m_content.position = 0;
    length = uint32_t(m_content.size);
    return true;
}

bool ArchiveFile::loadFromDisk(const char* name)
{
    DiskFile disk;
    if (!disk.openRead(name))
        return false;
    const uint32_t size = disk.length;
    if (size > kMaxBufferSize)
        return false;
    m_content.resize(int32_t(size));
    if (!readFully(disk, m_content.data, size)) {
        close();
        return false;
    }
    disk.close();
    m_position = 0;
    length = size;
    return true;
}

bool ArchiveFile::openWrite(const char*)
{
    return false; // archives are read-only here
}

bool ArchiveFile::close()
{
    // The largest storage is kept for the next entry opened on this thread.
    DataBuffer& spare = entryBuffers().spareContent;
    if (m_content.capacity > spare.capacity)
        std::swap(m_content, spare);
    m_content.resize(0);
    m_content.position = 0;
    m_position = 0;
    length = 0;
    return true;
}

uint32_t ArchiveFile::read(void* dest, uint32_t count)
{
    const uint32_t left = length - m_position;
    const uint32_t n = count < left ? count : left;
    if (n > 0)
        std::memcpy(dest, m_content.data + m_position, n);
    m_position += n;
    return n;
}

uint32_t ArchiveFile::write(const void*, uint32_t)
{
    return 0;
}

bool ArchiveFile::seekSet(uint32_t position)
{
    m_position = position < length ? position : length;
    return true;
}

bool ArchiveFile::seekCur(int32_t delta)
{
    // Unsigned wrap-around: a step back that stays at or above 0 moves back;
    // one below 0 wraps far ahead and is clamped to the end.
    const uint32_t target = m_position + uint32_t(delta);
    m_position = target < length ? target : length;
    return true;
}

uint32_t ArchiveFile::tell()
{
    return m_position;
}
