#pragma once
#include <cstdint>

// Counts what this thread allocates (malloc and operator new alike) while a
// window is open, through the sanitizer allocator's hooks; the sanitized
// test build has them, a build without sanitizers cannot count.
class AllocationWindow {
public:
    AllocationWindow();
    ~AllocationWindow();
    AllocationWindow(const AllocationWindow&) = delete;
    AllocationWindow& operator=(const AllocationWindow&) = delete;

    static bool available();
    // Allocations since the window opened.
    int64_t count() const;
};
