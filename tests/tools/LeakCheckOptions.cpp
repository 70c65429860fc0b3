// FAudio frees its engines' bank-list mutexes nowhere (tests/lsan.supp names
// the leak by FAudio's function). SDL, which allocates them, is built without
// frame pointers, so only the full unwinder reaches FAudio's frame.
extern "C" const char* vorlund_test_asan_options()
{
    return "fast_unwind_on_malloc=0";
}
