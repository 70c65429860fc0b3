// The leak checker's built-in suppressions for this test program. SDL's video
// start-up opens a D-Bus connection whose buffers libdbus keeps for the life
// of the process; they are not ours to free.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
