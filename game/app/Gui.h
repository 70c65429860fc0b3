#pragma once
// The few GUI calls the game makes, in the GUI library's current form:
// windows are found by their path of names from the GUI root ("HUD/ImgTopLeft"
// is the child ImgTopLeft of the root's child HUD), images are named
// "Set/Image", layouts are loaded by file name. Every lookup that finds
// nothing throws the library's UnknownObjectException naming what is missing.
#include <string>

namespace CEGUI {
class String;
class Window;
class GUIContext;
} // namespace CEGUI

namespace gui {

// GUI text from UTF-8 bytes of any origin (profiles, highscores, the text
// table): byte sequences that are not UTF-8 become U+FFFD first, since the
// GUI's strings trust a lead byte's length.
CEGUI::String text(const std::string& utf8);

CEGUI::GUIContext& context();
// A window by its path from the root window.
CEGUI::Window* find(const std::string& path);
// A window of a layout by its path, the first name being the layout's root
// ("LoadingScreen/ProgressBar" in the layout whose root is LoadingScreen);
// the layout need not be attached yet.
CEGUI::Window* find(CEGUI::Window* layoutRoot, const std::string& path);
// The image reference "Set/Image".
std::string image(const std::string& set, const std::string& name);
// A layout from the GUI folder, not attached to anything.
CEGUI::Window* loadLayout(const std::string& fileName);
// An image made from one picture file, named like its texture; and its removal.
void addImageFromFile(const std::string& name, const std::string& fileName);
void destroyImageFromFile(const std::string& name);
bool isImageDefined(const std::string& name);
// "Set/Name" where the set defines it, else "Set/Fallback": a kart whose
// record names no picture, or one the imageset lacks, shows the blank one.
std::string imageOr(const std::string& set, const std::string& name, const std::string& fallback);

} // namespace gui
