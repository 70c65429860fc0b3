#include "game/menu/MenuListItem.h"

MenuListItem::MenuListItem(const CEGUI::String& text, uint32_t value) : CEGUI::ListboxTextItem(text, value)
{
    setTextColours(CEGUI::Colour(0xFFFFFFFF));
    setSelectionColours(CEGUI::Colour(0xFF273D71));
    setSelectionBrushImage("Speed/GenericBrush");
}
