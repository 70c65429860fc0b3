#pragma once
#include <string>

// The folder the running program was started from (where its data archive
// and registry file lie), without a trailing separator; "." when the system
// cannot say. Wherever the player starts it from, the game finds its files
// here rather than in the working directory.
std::string programFolder();
