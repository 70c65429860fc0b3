#pragma once
#include <string>

// Holds back interrupt and termination requests (Ctrl+C, a session's end)
// until the video subsystem starts: from then on they arrive as a close of
// every window, so a program that calls this first ends the same orderly way
// whenever the request comes.
void holdCloseRequests();

// Starts SDL's video subsystem once per process. False when no video driver
// can start (no display): callers then work without SDL windows.
bool sdlVideoReady();

// Why there is no display, in a few words for a player ("DISPLAY is not set",
// "the display \":5\" could not be opened"); empty while video works.
std::string sdlVideoProblem();
