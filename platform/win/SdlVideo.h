#pragma once

// Starts SDL's video subsystem once per process. False when no video driver
// can start (no display): callers then work without SDL windows.
bool sdlVideoReady();
