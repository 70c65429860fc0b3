#pragma once
// What every menu layout must hold: for each screen its layout file, the
// name its root gets, and the paths of the windows the program looks up, in
// the order it looks them up. The screens' builders load through here, so a
// layout that lacks a window fails at once with the layout's and the
// window's names; the data tests walk the same lists.
#include <string>
#include <unordered_map>
#include <vector>

namespace CEGUI {
class Window;
}

struct ScreenManifest {
    std::string layout; // the file, in the GUI folder
    std::string root;   // the root's name once loaded; the first part of every path
    std::vector<std::string> windows;
};

// Every screen the menu builds, and the career, ranking and shop screens.
// Options has two layouts of the same windows; MessageBox.layout is loaded
// as the Join dialog's message box.
const std::vector<ScreenManifest>& screenManifests();
// The entry of a layout file; throws std::out_of_range for one not listed.
const ScreenManifest& screenManifest(const std::string& layout);

// A screen's layout, loaded and hidden, with its windows found.
struct LoadedScreen {
    CEGUI::Window* root = nullptr;
    std::unordered_map<std::string, CEGUI::Window*> windows;

    // The window of a numbered row: row("Career/LblTrack", 3) is
    // "Career/LblTrack03".
    CEGUI::Window* row(const std::string& path, int number) const;
};
// Loads the layout, names its root as the manifest says, hides it and looks
// every window up. A window the layout lacks throws CEGUI's
// UnknownObjectException naming the layout and the window, after the loaded
// windows are destroyed again.
LoadedScreen loadScreenLayout(const ScreenManifest& screen);
