#include "game/menu/MenuFocus.h"

#include <CEGUI/InputEvent.h>
#include <CEGUI/Window.h>
#include <CEGUI/widgets/Combobox.h>
#include <CEGUI/widgets/Editbox.h>
#include <CEGUI/widgets/ListboxItem.h>
#include <CEGUI/widgets/PushButton.h>
#include <CEGUI/widgets/RadioButton.h>
#include <CEGUI/widgets/Slider.h>
#include <CEGUI/widgets/ToggleButton.h>

#include <algorithm>
#include <cmath>

namespace {

bool isFocusable(CEGUI::Window* w)
{
    if (auto* edit = dynamic_cast<CEGUI::Editbox*>(w))
        return !edit->isReadOnly();
    return dynamic_cast<CEGUI::ButtonBase*>(w) || dynamic_cast<CEGUI::Slider*>(w)
           || dynamic_cast<CEGUI::Combobox*>(w);
}

void collect(CEGUI::Window* parent, std::vector<CEGUI::Window*>& out)
{
    for (size_t i = 0; i < parent->getChildCount(); ++i) {
        CEGUI::Window* w = parent->getChildAtIdx(i);
        // The parts a widget is made of (a combo box's list and arrow) are
        // not stops of their own.
        if (w->isAutoWindow() || !w->isEffectiveVisible() || w->isEffectiveDisabled())
            continue;
        if (isFocusable(w))
            out.push_back(w);
        else
            collect(w, out);
    }
}

CEGUI::Rectf rectOf(CEGUI::Window* w)
{
    return w->getUnclippedOuterRect().get();
}

CEGUI::Vector2f centreOf(CEGUI::Window* w)
{
    const CEGUI::Rectf r = rectOf(w);
    return {(r.left() + r.right()) * 0.5f, (r.top() + r.bottom()) * 0.5f};
}

void setRim(CEGUI::Window* w, const char* colours)
{
    if (w->isPropertyPresent("FocusColours"))
        w->setProperty("FocusColours", colours);
}

} // namespace

std::vector<CEGUI::Window*> MenuFocus::focusable(CEGUI::Window* screen)
{
    std::vector<CEGUI::Window*> widgets;
    if (!screen)
        return widgets;
    collect(screen, widgets);
    std::stable_sort(widgets.begin(), widgets.end(),
                     [](CEGUI::Window* a, CEGUI::Window* b) { return rectOf(a).top() < rectOf(b).top(); });
    // Rows: a widget whose middle lies within the first of a row's height
    // belongs to that row; each row reads from the left.
    std::vector<CEGUI::Window*> ordered;
    for (size_t start = 0; start < widgets.size();) {
        const CEGUI::Rectf first = rectOf(widgets[start]);
        size_t end = start + 1;
        while (end < widgets.size() && centreOf(widgets[end]).d_y <= first.bottom())
            ++end;
        std::vector<CEGUI::Window*> row(widgets.begin() + long(start), widgets.begin() + long(end));
        std::stable_sort(row.begin(), row.end(),
                         [](CEGUI::Window* a, CEGUI::Window* b) { return rectOf(a).left() < rectOf(b).left(); });
        ordered.insert(ordered.end(), row.begin(), row.end());
        start = end;
    }
    return ordered;
}

void MenuFocus::clear()
{
    if (m_focused)
        setRim(m_focused, kHidden);
    m_focused = nullptr;
}

void MenuFocus::moveTo(CEGUI::Window* window)
{
    CEGUI::Window* left = m_focused;
    clear();
    m_focused = window;
    setRim(window, kShown);
    // Typing goes to a focused text field; leaving one hands the keys back
    // to its screen.
    if (dynamic_cast<CEGUI::Editbox*>(window))
        window->activate();
    else if (left && dynamic_cast<CEGUI::Editbox*>(left) && left->isActive())
        left->deactivate();
}

CEGUI::Window* MenuFocus::nearest(const std::vector<CEGUI::Window*>& widgets, int dx, int dy) const
{
    const CEGUI::Vector2f from = centreOf(m_focused);
    CEGUI::Window* best = nullptr;
    float bestCost = 0.0f;
    for (CEGUI::Window* w : widgets) {
        if (w == m_focused)
            continue;
        const CEGUI::Vector2f to = centreOf(w);
        const float along = (to.d_x - from.d_x) * float(dx) + (to.d_y - from.d_y) * float(dy);
        const float across = std::fabs((to.d_x - from.d_x) * float(dy)) + std::fabs((to.d_y - from.d_y) * float(dx));
        if (along < 1.0f)
            continue;
        // Straight ahead beats nearer but off to the side.
        const float cost = along + 2.0f * across;
        if (!best || cost < bestCost) {
            best = w;
            bestCost = cost;
        }
    }
    return best;
}

bool MenuFocus::press(CEGUI::Window* window)
{
    if (auto* radio = dynamic_cast<CEGUI::RadioButton*>(window)) {
        radio->setSelected(true);
        return true;
    }
    if (auto* toggle = dynamic_cast<CEGUI::ToggleButton*>(window)) {
        toggle->setSelected(!toggle->isSelected());
        return true;
    }
    if (dynamic_cast<CEGUI::PushButton*>(window)) {
        CEGUI::WindowEventArgs args(window);
        window->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
        return true;
    }
    if (dynamic_cast<CEGUI::Combobox*>(window))
        return adjust(window, 1);
    if (dynamic_cast<CEGUI::Editbox*>(window)) {
        window->activate();
        return true;
    }
    return false;
}

bool MenuFocus::adjust(CEGUI::Window* window, int step)
{
    if (auto* slider = dynamic_cast<CEGUI::Slider*>(window)) {
        const float max = slider->getMaxValue();
        const float stride = std::max(slider->getClickStep(), max / 20.0f);
        slider->setCurrentValue(std::clamp(slider->getCurrentValue() + stride * float(step), 0.0f, max));
        return true;
    }
    auto* combo = dynamic_cast<CEGUI::Combobox*>(window);
    if (!combo || combo->getItemCount() == 0)
        return false;
    const CEGUI::ListboxItem* current = combo->getSelectedItem();
    const long count = long(combo->getItemCount());
    const long at = current ? long(combo->getItemIndex(current)) : -1;
    const long next = std::clamp(at + step, 0L, count - 1);
    if (next == at)
        return true;
    combo->clearAllSelections();
    combo->setItemSelectState(size_t(next), true);
    combo->setText(combo->getListboxItemFromIndex(size_t(next))->getText());
    CEGUI::WindowEventArgs args(combo);
    combo->fireEvent(CEGUI::Combobox::EventListSelectionAccepted, args, CEGUI::Combobox::EventNamespace);
    return true;
}

bool MenuFocus::onKey(CEGUI::Window* screen, uint32_t scanCode, bool shift)
{
    const std::vector<CEGUI::Window*> widgets = focusable(screen);
    if (m_focused && std::find(widgets.begin(), widgets.end(), m_focused) == widgets.end())
        clear();
    if (widgets.empty())
        return false;
    // Without a focus of its own the keys go on from the widget the mouse
    // last used (or the text field being typed in).
    if (!m_focused) {
        CEGUI::Window* active = screen->getActiveChild();
        if (std::find(widgets.begin(), widgets.end(), active) != widgets.end())
            m_focused = active;
    }
    const auto at = std::find(widgets.begin(), widgets.end(), m_focused);
    const long index = m_focused ? long(at - widgets.begin()) : -1;
    const long count = long(widgets.size());
    auto step = [&](long by) {
        moveTo(widgets[size_t(index < 0 ? (by > 0 ? 0 : count - 1) : ((index + by) % count + count) % count)]);
        return true;
    };
    switch (scanCode) {
    case CEGUI::Key::Tab:
        return step(shift ? -1 : 1);
    case CEGUI::Key::ArrowDown:
    case CEGUI::Key::ArrowUp: {
        const int dy = scanCode == CEGUI::Key::ArrowDown ? 1 : -1;
        if (!m_focused)
            return step(dy);
        if (CEGUI::Window* next = nearest(widgets, 0, dy)) {
            moveTo(next);
            return true;
        }
        return step(dy);
    }
    case CEGUI::Key::ArrowLeft:
    case CEGUI::Key::ArrowRight: {
        const int dx = scanCode == CEGUI::Key::ArrowRight ? 1 : -1;
        if (!m_focused)
            return step(dx);
        if (dynamic_cast<CEGUI::Slider*>(m_focused) || dynamic_cast<CEGUI::Combobox*>(m_focused))
            return adjust(m_focused, dx);
        if (CEGUI::Window* next = nearest(widgets, dx, 0))
            moveTo(next);
        return true;
    }
    case CEGUI::Key::Return:
    case CEGUI::Key::NumpadEnter:
    case CEGUI::Key::Space:
        return m_focused && press(m_focused);
    default:
        return false;
    }
}
