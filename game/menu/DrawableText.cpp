#include "game/menu/DrawableText.h"

#include <CEGUI/Font.h>
#include <CEGUI/Window.h>

namespace {

bool draws(const CEGUI::Font* font, CEGUI::utf32 c)
{
    // A line break or tab has no picture; it is layout, which a name must
    // not carry.
    return font && c >= 0x20 && font->isCodepointAvailable(c);
}

CEGUI::String mended(const CEGUI::Window& window, const CEGUI::String& text, bool replace)
{
    const CEGUI::Font* font = window.getFont();
    CEGUI::String out;
    for (size_t i = 0; i < text.length(); ++i) {
        if (draws(font, text[i]))
            out += text[i];
        else if (replace)
            out += '?';
    }
    return out;
}

} // namespace

CEGUI::String drawableText(const CEGUI::Window& window, const CEGUI::String& text)
{
    return mended(window, text, true);
}

CEGUI::String withoutUndrawable(const CEGUI::Window& window, const CEGUI::String& text)
{
    return mended(window, text, false);
}
