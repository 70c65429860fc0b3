#pragma once
// The player's own files (settings, profiles, highscores) live in one folder
// outside the game's data: $VORLUND_HOME when set, else $XDG_DATA_HOME/vorlund,
// else ~/.local/share/vorlund. Only this module knows where that is. Saves
// replace a file whole: the bytes go to a temporary file beside it, are
// flushed to disk and renamed over the old one, so a crash mid-save leaves
// either the old file or the new one, never a torn one.
#include <cstddef>
#include <string>

// The player folder, without a trailing separator. It may not exist yet.
std::string playerFolder();
// The full path of one player file in that folder.
std::string playerFilePath(const char* name);

// Reads a whole file. False when it cannot be opened, cannot be read, or is
// larger than maxBytes (a player file is small; a huge one is damaged).
bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes);
// Writes bytes to path by write-then-rename, creating the folder first when
// needed. False, with the old file untouched, when any step fails.
bool replaceFile(const std::string& path, const void* bytes, size_t count);
// Keeps a file that failed to load beside it, under the first free name of
// path + ".bak", ".bak.2", ... ".bak.10": every damaged copy is kept, the
// oldest first. Ten are plenty for a player to notice; when all are taken
// the newest damaged copy replaces the tenth, so the first nine stay.
// False when there was nothing to keep or the rename failed; the name of
// the copy goes to kept when given.
bool keepBackup(const std::string& path, std::string* kept = nullptr);
constexpr int kKeptDamagedCopies = 10;

// Whether the player folder can be written: creates it when missing and
// writes a probe file. False with the reason (a sentence fragment such as
// "it is not a folder" or "Permission denied") when it cannot.
bool playerFolderWritable(std::string& why);
bool fileExists(const std::string& path);
