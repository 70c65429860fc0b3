#pragma once
// The video mode of settings.xml made one the display takes, before the
// windows open. Full screen runs at one of the adapter's own modes, else at
// the desktop's: Direct3D refuses any other full-screen size, and a size the
// display cannot show would be cut off or stretched. A window is at least
// 640 x 480 and no larger than the desktop, else 1024 x 768 (or the desktop,
// when that is smaller). A file that asked for anything else is corrected, so
// the next start does not meet the same values again.
#include <cstdint>

struct AdapterInfo;
class Settings;

// Replaces the settings' width and height when the adapter cannot show them;
// true when it did. Leaves everything as it is when the adapter reports no
// desktop mode (nothing to judge by).
bool fitVideoMode(Settings& settings, const AdapterInfo& adapter);
