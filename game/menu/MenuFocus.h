#pragma once
// The menu by keyboard: a focus that the arrow keys and Tab move between the
// widgets of the screen on top, shown as a gold rim, and Enter or Space
// pressing the focused widget. The GUI library has no keyboard navigation of
// its own; the menu hands every key its screens do not use to here.
#include <cstdint>
#include <vector>

namespace CEGUI {
class Window;
}

class MenuFocus {
public:
    // The rim's colours, given to the focused widget's FocusColours.
    static constexpr const char* kShown = "tl:FFFFD84A tr:FFFFD84A bl:FFFFD84A br:FFFFD84A";
    static constexpr const char* kHidden = "tl:00FFFFFF tr:00FFFFFF bl:00FFFFFF br:00FFFFFF";

    // A key (the GUI's scan code) that reached the screen or dialog whose
    // root is given. True when it moved the focus, pressed or changed a
    // widget.
    bool onKey(CEGUI::Window* screen, uint32_t scanCode, bool shift);
    // Forgets the focus and hides its rim (the screen it was on goes).
    void clear();
    CEGUI::Window* focused() const { return m_focused; }

    // The widgets of the screen the focus can rest on, in reading order:
    // visible and enabled buttons, radio buttons, check boxes, text fields,
    // sliders and combo boxes, row by row from the top, left to right.
    static std::vector<CEGUI::Window*> focusable(CEGUI::Window* screen);

private:
    void moveTo(CEGUI::Window* window);
    // The nearest widget from the focused one in a direction (dx, dy).
    CEGUI::Window* nearest(const std::vector<CEGUI::Window*>& widgets, int dx, int dy) const;
    bool press(CEGUI::Window* window);
    bool adjust(CEGUI::Window* window, int step);

    CEGUI::Window* m_focused = nullptr;
};
