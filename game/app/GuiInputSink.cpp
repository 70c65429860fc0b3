#include "game/app/GuiInputSink.h"

#include <CEGUI/CEGUI.h>

namespace {

// Key::Scan values are the DirectInput codes, so scan codes pass unchanged.
class CeguiInputSink : public GuiInputSink {
public:
    void injectKeyDown(uint32_t scanCode) override
    {
        if (CEGUI::GUIContext* c = context())
            c->injectKeyDown(CEGUI::Key::Scan(scanCode));
    }
    void injectKeyUp(uint32_t scanCode) override
    {
        if (CEGUI::GUIContext* c = context())
            c->injectKeyUp(CEGUI::Key::Scan(scanCode));
    }
    void injectChar(uint32_t character) override
    {
        if (CEGUI::GUIContext* c = context())
            c->injectChar(CEGUI::String::value_type(character));
    }
    void injectMousePosition(float x, float y) override
    {
        if (CEGUI::GUIContext* c = context())
            c->injectMousePosition(x, y);
    }
    void injectMouseWheelChange(float delta) override
    {
        if (CEGUI::GUIContext* c = context())
            c->injectMouseWheelChange(delta);
    }
    void injectMouseButtonDown(Button button) override
    {
        if (CEGUI::GUIContext* c = context())
            c->injectMouseButtonDown(button == LeftButton ? CEGUI::LeftButton : CEGUI::RightButton);
    }
    void injectMouseButtonUp(Button button) override
    {
        if (CEGUI::GUIContext* c = context())
            c->injectMouseButtonUp(button == LeftButton ? CEGUI::LeftButton : CEGUI::RightButton);
    }

private:
    static CEGUI::GUIContext* context()
    {
        CEGUI::System* system = CEGUI::System::getSingletonPtr();
        return system ? &system->getDefaultGUIContext() : nullptr;
    }
};

} // namespace

GuiInputSink& GuiInputSink::gui()
{
    static CeguiInputSink sink;
    return sink;
}
