#pragma once
#include <cstddef>

// Objects the FAudio engines of this process hold right now (every block
// FACT allocated and has not freed): cues, sounds, waves and banks. A long
// run of played cues must leave this where it started.
long xactLiveObjects();
