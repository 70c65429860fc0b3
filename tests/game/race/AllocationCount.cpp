#include "AllocationCount.h"

#include <cstddef>

// The sanitizer runtime's allocator interface; null without a sanitizer.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                         void (*freeHook)(const volatile void*))
    __attribute__((weak));

namespace {

// Plain thread-locals: reading them from inside the allocator allocates
// nothing.
thread_local bool t_counting = false;
thread_local int64_t t_count = 0;

void countAllocation(const volatile void*, size_t)
{
    if (t_counting)
        ++t_count;
}

void ignoreFree(const volatile void*) {}

// The runtime keeps a few hooks and cannot take one back: installed once.
bool installHooks()
{
    return __sanitizer_install_malloc_and_free_hooks &&
           __sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreFree) != 0;
}

bool hooksInstalled()
{
    static const bool installed = installHooks();
    return installed;
}

} // namespace

bool AllocationWindow::available()
{
    return hooksInstalled();
}

AllocationWindow::AllocationWindow()
{
    hooksInstalled();
    t_count = 0;
    t_counting = true;
}

AllocationWindow::~AllocationWindow()
{
    t_counting = false;
}

int64_t AllocationWindow::count() const
{
    return t_count;
}
