#pragma once
// Texts that come from the player or from a player file meet a font that
// draws only the characters it has: these say which a window's font lacks
// and mend a text accordingly.
#include <CEGUI/String.h>

namespace CEGUI {
class Window;
}

// The text with every character the window's font lacks (a control
// character among them) replaced by '?', so a name from a file never shows
// as gaps.
CEGUI::String drawableText(const CEGUI::Window& window, const CEGUI::String& text);
// The text without the characters the window's font lacks: what a name
// field keeps of what is typed into it.
CEGUI::String withoutUndrawable(const CEGUI::Window& window, const CEGUI::String& text);
