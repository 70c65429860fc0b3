// Every fixed text of the menu's screens, in the text table's current
// language; run when the menu is built and whenever the language changes.
#include "game/menu/Menu.h"

#include "game/app/TextTable.h"

#include <CEGUI/Window.h>
#include <CEGUI/widgets/Combobox.h>
#include <CEGUI/widgets/ListboxItem.h>

#include <initializer_list>

namespace {

struct Texts {
    int32_t id;
    std::initializer_list<const char*> windows;
};

const Texts kTexts[] = {
    {1000, {"Join/BtnOk", "Options/BtnOk", "Winning/BtnOk", "Join_MessageBox/BtnOk"}},
    {1010, {"Exit/BtnYes", "Confirm/BtnYes"}},
    {1020, {"Exit/BtnNo", "Confirm/BtnNo"}},
    {1040, {"Join/BtnCancel", "Options/BtnCancel"}},
    {1050, {"Options/BtnReset"}},
    {1070, {"Profile/LblOk"}},
    {1080, {"Profile/LblBack", "Singleplayer/LblBack", "Multiplayer/LblBack", "Lobby/LblBack", "TwoPlayers/LblBack",
            "Credits/LblBack", "SingleRace/LblBack", "LastManStanding/LblBack", "Career/LblBack"}},
    {1085, {"HighscoresCareer/BtnBack", "HighscoresSingle/BtnBack", "HighscoresLMS/BtnBack"}},
    {1090, {"Lobby/LblStart", "TwoPlayers/LblStart", "SingleRace/LblStart", "LastManStanding/LblStart",
            "Career/LblStart"}},
    {1100, {"MainMenu/BtnMultiplayer", "Multiplayer/LblHeader"}},
    {1101, {"MainMenu/BtnLoadProfile"}},
    {1102, {"MainMenu/BtnNewProfile"}},
    {1103, {"MainMenu/LblExit"}},
    {1105, {"Singleplayer/LblHeader"}},
    {1106, {"Profile/LblHeader"}},
    {1107, {"TwoPlayers/LblHeader"}},
    {1200, {"Multiplayer/BtnTwoPlayers"}},
    {1210, {"Multiplayer/BtnCreateGame"}},
    {1220, {"Multiplayer/BtnJoinGame"}},
    {2000, {"HighscoresSingle/BtnCcm01", "HighscoresLMS/BtnCcm01"}},
    {2010, {"HighscoresSingle/BtnCcm02", "HighscoresLMS/BtnCcm02"}},
    {2020, {"HighscoresSingle/BtnCcm03", "HighscoresLMS/BtnCcm03"}},
    {2032, {"HighscoresSingle/BtnLaps01"}},
    {2034, {"HighscoresSingle/BtnLaps02"}},
    {2037, {"HighscoresSingle/BtnLaps03"}},
    {2050, {"Career/BtnShop"}},
    {5000, {"Singleplayer/BtnCareer", "HighscoresCareer/LblHeader", "HighscoresCareer/BtnGame02",
            "HighscoresSingle/BtnGame02", "HighscoresLMS/BtnGame02"}},
    {5010, {"Singleplayer/BtnSingleRace", "SingleRace/LblHeader", "HighscoresSingle/LblHeader",
            "HighscoresCareer/BtnGame01", "HighscoresSingle/BtnGame01", "HighscoresLMS/BtnGame01"}},
    {5020, {"Singleplayer/BtnLastManStanding", "LastManStanding/LblHeader", "HighscoresLMS/LblHeader",
            "HighscoresCareer/BtnGame03", "HighscoresSingle/BtnGame03", "HighscoresLMS/BtnGame03"}},
    {5050, {"MainMenu/BtnHighscores"}},
    {5070, {"MainMenu/BtnOptions", "Options/LblHeader"}},
    {5080, {"MainMenu/BtnCredits"}},
    {6000, {"Options/LblTextureDetailLow", "Options/LblObjectDetailLow"}},
    {6010, {"Options/LblTextureDetailMedium"}},
    {6020, {"Options/LblTextureDetailHigh", "Options/LblObjectDetailHigh"}},
    {6030, {"Options/LblMusicVolume"}},
    {6040, {"Options/LblSfxVolume"}},
    {6050, {"Options/LblVideoMode"}},
    {6060, {"Options/LblBrightness"}},
    {6070, {"Options/LblContrast"}},
    {6080, {"Options/LblGamma"}},
    {6090, {"Options/LblLanguage"}},
    {6100, {"Options/LblObjectDetail"}},
    {6110, {"Options/LblTextureDetail"}},
    {20050, {"Join/LblHost"}},
    {30000, {"Exit/LblMessage"}},
    {30005, {"Confirm/LblMessage"}},
    {30010, {"Profile/LblCharacter"}},
    {30020, {"Profile/LblName"}},
    {30030, {"Profile/LblAccel"}},
    {30040, {"Profile/LblSpeed"}},
    {30050, {"Profile/LblBrakes"}},
    {30070, {"Profile/LblGrip"}},
    {30080, {"Profile/LblTurboTime"}},
    {30090, {"Profile/LblStrength"}},
    // The titles the layouts add over screens that have none of their own.
    {1100, {"Lobby/LblHeader"}},
    {1220, {"Join/LblHeader"}},
    {5080, {"Credits/LblHeader"}},
};

} // namespace

void Menu::applyLanguageTexts()
{
    for (const Texts& texts : kTexts)
        for (const char* path : texts.windows)
            if (CEGUI::Window* w = window(path))
                w->setText(m_textTable->getText(texts.id));
    // The language list names every language in the current one.
    if (auto* languages = dynamic_cast<CEGUI::Combobox*>(window("Options/CboLanguage"))) {
        for (size_t i = 0; i < languages->getItemCount(); ++i)
            languages->getListboxItemFromIndex(i)->setText(m_textTable->getText(int32_t(3000 + 10 * i)));
        languages->handleUpdatedListItemData();
        const int32_t language = int32_t(m_textTable->language);
        if (language >= 0 && language <= 4)
            languages->setText(m_textTable->getText(3000 + 10 * language));
    }
    labelHighscoreTracks();
}
