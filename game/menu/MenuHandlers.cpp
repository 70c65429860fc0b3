// The handlers of the screens' own work: the name fields. The lobby's
// controls are in MenuLobby.cpp.
#include "game/menu/Menu.h"

#include <CEGUI/Window.h>
#include <CEGUI/widgets/Editbox.h>

// A name field, entered or with its text selected, keeps no selection and
// has its caret at the end, so typing adds to the name.
bool Menu::onNameFieldCaret(const CEGUI::EventArgs& e)
{
    auto* edit = static_cast<CEGUI::Editbox*>(static_cast<const CEGUI::WindowEventArgs&>(e).window);
    const size_t end = edit->getText().length();
    edit->setSelection(end, end);
    edit->setCaretIndex(end);
    return true;
}

bool Menu::onTwoPlayersName1TextChanged(const CEGUI::EventArgs& e)
{
    m_twoPlayersName1 = static_cast<const CEGUI::WindowEventArgs&>(e).window->getText();
    return true;
}

bool Menu::onTwoPlayersName1Accepted(const CEGUI::EventArgs&)
{
    return true;
}

bool Menu::onTwoPlayersName2TextChanged(const CEGUI::EventArgs& e)
{
    m_twoPlayersName2 = static_cast<const CEGUI::WindowEventArgs&>(e).window->getText();
    return true;
}

bool Menu::onTwoPlayersName2Accepted(const CEGUI::EventArgs&)
{
    return true;
}

bool Menu::onLobbyNameAccepted(const CEGUI::EventArgs&)
{
    return true;
}
