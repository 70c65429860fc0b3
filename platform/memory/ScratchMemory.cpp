#include "platform/memory/ScratchMemory.h"

#include <cstdint>
#include <new>

#include <sys/mman.h>

#if defined(__SANITIZE_ADDRESS__)
#define VORLUND_SCRATCH_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORLUND_SCRATCH_CHECKED 1
#endif
#endif

namespace {

constexpr size_t kLargePage = size_t(2) << 20;
constexpr size_t kPage = 4096;
// Linux 5.14 and later; older systems refuse it and fault as usual.
constexpr int kPopulateWrite = 23;

} // namespace

void populatePages(void* block, size_t bytes)
{
    // Whole pages inside the block only: the pages at its ends may belong
    // to neighbours, which are left alone.
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + kPage - 1) & ~uintptr_t(kPage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~uintptr_t(kPage - 1);
    if (block && end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, kPopulateWrite);
}

ScratchMemory::~ScratchMemory()
{
    release();
}

void ScratchMemory::release()
{
#if defined(VORLUND_SCRATCH_CHECKED)
    ::operator delete(m_data, std::align_val_t(64));
#endif
    if (m_mapping)
        munmap(m_mapping, m_mappingSize);
    m_mapping = nullptr;
    m_mappingSize = 0;
    m_data = nullptr;
    m_size = 0;
}

void* ScratchMemory::reserve(size_t bytes)
{
#if defined(VORLUND_SCRATCH_CHECKED)
    // Under the address checker the block is exactly as long as asked, from
    // the checked heap, so a step past its end is caught.
    if (bytes == m_size && m_data)
        return m_data;
    release();
    m_data = ::operator new(bytes == 0 ? 1 : bytes, std::align_val_t(64), std::nothrow);
    m_size = m_data ? bytes : 0;
    return m_data;
#else
    if (bytes <= m_size)
        return m_data;
    release();
    if (bytes > SIZE_MAX / 2)
        return nullptr;
    // Whole large pages, starting on a large-page boundary: the mapping is
    // one large page longer so the block can be moved up to the boundary.
    const size_t size = (bytes + kLargePage - 1) / kLargePage * kLargePage;
    const size_t mappingSize = size + kLargePage;
    void* mapping = mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return nullptr;
    const uintptr_t at = (reinterpret_cast<uintptr_t>(mapping) + kLargePage - 1) & ~uintptr_t(kLargePage - 1);
    void* block = reinterpret_cast<void*>(at);
#if defined(MADV_HUGEPAGE)
    // Advice only: where large pages are off, ordinary pages serve.
    madvise(block, size, MADV_HUGEPAGE);
#endif
    populatePages(block, size);
    m_mapping = mapping;
    m_mappingSize = mappingSize;
    m_data = block;
    m_size = size;
    return m_data;
#endif
}
