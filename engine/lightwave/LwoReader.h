#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A big-endian cursor over an object file held in memory. Every read is
// bounded by the current limit (the end of the chunk or sub-chunk being
// read): a read that would cross it reads nothing, returns zero and marks
// the reader short, so a damaged count can never make a handler read into
// the next chunk or past the file. Handlers set the limit to their chunk's
// end and the caller resumes at that end whatever the handler consumed.
class LwoReader {
public:
    LwoReader(const uint8_t* data, size_t size) : m_data(data), m_size(size), m_limit(size) {}

    uint32_t u1();
    uint32_t u2();
    uint32_t u4();
    float f4();
    // Four bytes as they stand, packed in file order ("FACE" reads as 'F'
    // in the high byte); 0 when short.
    uint32_t id4();
    // The variable-length index; `width` receives 2 or 4.
    uint32_t vx(uint32_t* width = nullptr);
    // A zero-terminated, even-padded string, never read past the limit. An
    // unterminated string takes everything up to the limit and marks the
    // reader short.
    std::string s0();

    size_t tell() const { return m_pos; }
    size_t limit() const { return m_limit; }
    size_t remaining() const { return m_limit - m_pos; }
    size_t size() const { return m_size; }
    bool atLimit() const { return m_pos >= m_limit; }
    // Moves the cursor forward or back within [0, limit].
    void seek(size_t position) { m_pos = position < m_limit ? position : m_limit; }
    void skip(size_t count) { seek(m_pos + (count < remaining() ? count : remaining())); }
    // Narrows the limit (never widens it beyond the file); returns the old one.
    size_t setLimit(size_t limit);
    void restoreLimit(size_t limit) { m_limit = limit <= m_size ? limit : m_size; }
    bool isShort() const { return m_short; }
    void markShort() { m_short = true; }
    void setShort(bool isShort) { m_short = isShort; }

    // A value read into `out` only when all its bytes lie before the limit;
    // `out` keeps its default otherwise and the reader is not marked short.
    bool takeF4(float& out);
    bool takeU2(uint32_t& out);
    bool takeId4(uint32_t& out);

    static constexpr uint32_t makeId(const char (&id)[5])
    {
        return uint32_t(uint8_t(id[0])) << 24 | uint32_t(uint8_t(id[1])) << 16 | uint32_t(uint8_t(id[2])) << 8 |
               uint32_t(uint8_t(id[3]));
    }
    static std::string idText(uint32_t id);

private:
    bool have(size_t count);

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    size_t m_limit;
    bool m_short = false;
};

// A sub-chunk header read by LwoReader::beginSub: its id, the end of its
// data (clipped to the enclosing limit) and the end after the pad byte.
struct LwoSubChunk {
    uint32_t id = 0;
    uint32_t size = 0;
    size_t end = 0;
    size_t next = 0;
};

// Reads the 6-byte header of a sub-chunk (4-byte id, 2-byte size). False
// when fewer than 6 bytes are left. A size running past the limit is clipped
// to it and marks the reader short. `next` is where the following sub-chunk
// starts: after the data, rounded up to even as IFF pads odd sizes.
bool readSubChunk(LwoReader& reader, LwoSubChunk& sub);

// Runs `handle` on every sub-chunk up to the reader's limit, the limit
// narrowed to the sub-chunk. Exporters write only the values they set, so a
// sub-chunk may hold fewer than its type carries (an AAST of flags alone):
// what it lacks keeps its default, and reads past its end do not mark the
// reader short. A sub-chunk claiming more bytes than its parent holds does.
template <class Handle>
void forEachSubChunk(LwoReader& reader, Handle handle)
{
    LwoSubChunk sub;
    while (readSubChunk(reader, sub)) {
        const bool wasShort = reader.isShort();
        const size_t outer = reader.setLimit(sub.end);
        reader.setShort(false);
        handle(sub);
        reader.setShort(wasShort);
        reader.restoreLimit(outer);
        reader.seek(sub.next);
    }
}
