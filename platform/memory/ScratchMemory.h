#pragma once
// Large scratch blocks for work that touches many megabytes at random: the
// block is mapped straight from the system with the advice to back it with
// large pages, so a walk over tens of megabytes does not miss the address
// translation cache on every step, and it is kept between uses so the pages
// are faulted in once, not once per use.
#include <cstddef>

// Maps in the pages of a block that is about to be written through, in one
// call, instead of one fault per page on first touch: on a virtual machine a
// fault can cost several microseconds, more than the writing itself.
// Advice only; nothing changes where the system does not offer it.
void populatePages(void* block, size_t bytes);

class ScratchMemory {
public:
    ScratchMemory() = default;
    ~ScratchMemory();
    ScratchMemory(const ScratchMemory&) = delete;
    ScratchMemory& operator=(const ScratchMemory&) = delete;

    // At least `bytes` bytes of uninitialised memory, aligned to 64 bytes;
    // what an earlier call wrote may be gone. Null when the system refuses.
    void* reserve(size_t bytes);
    size_t capacity() const { return m_size; }
    // Gives the block back to the system.
    void release();

private:
    void* m_mapping = nullptr;
    size_t m_mappingSize = 0;
    void* m_data = nullptr;
    size_t m_size = 0;
};
