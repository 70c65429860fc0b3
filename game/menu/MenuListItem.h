#pragma once
#include <CEGUI/widgets/ListboxTextItem.h>

#include <cstdint>

// An entry of the options' combo boxes: its text, and the language number or
// video-mode index it stands for as its user value; white text on the menu's
// selection colour.
class MenuListItem : public CEGUI::ListboxTextItem {
public:
    MenuListItem(const CEGUI::String& text, uint32_t value);
};
