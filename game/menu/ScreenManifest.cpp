#include "game/menu/ScreenManifest.h"

#include "game/app/Gui.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

#include <cstdio>
#include <initializer_list>
#include <stdexcept>

namespace {

// root + "/" + each name.
std::vector<std::string> under(const std::string& root, std::initializer_list<const char*> names)
{
    std::vector<std::string> out;
    for (const char* name : names)
        out.push_back(root + "/" + name);
    return out;
}

// The numbered series: for each number of [first, last] every pattern
// ("Lbl%02d") in turn, under the root.
std::vector<std::string> rows(const std::string& root, int first, int last, std::initializer_list<const char*> patterns)
{
    std::vector<std::string> out;
    for (int i = first; i <= last; ++i)
        for (const char* pattern : patterns) {
            char name[64];
            std::snprintf(name, sizeof(name), pattern, i);
            out.push_back(root + "/" + name);
        }
    return out;
}

void append(std::vector<std::string>& to, const std::vector<std::string>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

std::vector<ScreenManifest> makeManifests()
{
    std::vector<ScreenManifest> all;
    auto add = [&all](const char* layout, const char* root, std::vector<std::string> windows) {
        all.push_back({layout, root, std::move(windows)});
    };
    std::vector<std::string> w;

    w = under("MainMenu", {"BtnMultiplayer", "BtnNewProfile", "BtnLoadProfile", "BtnHighscores", "BtnOptions",
                           "BtnCredits", "LblExit", "BtnExit", "LblVersion"});
    append(w, rows("MainMenu", 1, 5, {"OptProfile%02d"}));
    add("MainMenu.layout", "MainMenu", w);
    add("Exit.layout", "Exit", under("Exit", {"LblMessage", "BtnYes", "BtnNo"}));
    add("Confirm.layout", "Confirm", under("Confirm", {"LblMessage", "BtnYes", "BtnNo"}));
    add("Profile.layout", "Profile",
        under("Profile", {"LblHeader", "LblOk", "BtnOk", "LblBack", "BtnBack", "ImgCharacter", "LblCharacter",
                          "BtnCharacterPrev", "BtnCharacterNext", "LblName", "EdtName", "LblAccel", "PrgAccel",
                          "LblSpeed", "PrgSpeed", "LblBrakes", "PrgBrakes", "LblGrip", "PrgGrip", "LblTurboTime",
                          "PrgTurboTime", "LblStrength", "PrgStrength"}));
    add("Singleplayer.layout", "Singleplayer",
        under("Singleplayer", {"LblHeader", "BtnCareer", "BtnSingleRace", "BtnLastManStanding", "LblBack", "BtnBack"}));
    add("SingleRace.layout", "SingleRace",
        under("SingleRace", {"LblHeader", "LblBack", "BtnBack", "LblStart", "BtnStart", "ImgKart", "ImgTrack",
                             "BtnTrackDec", "BtnTrackInc", "LblCcm", "BtnCcmDec", "BtnCcmInc", "LblLaps",
                             "BtnLapsDec", "BtnLapsInc"}));
    add("LastManStanding.layout", "LastManStanding",
        under("LastManStanding", {"LblHeader", "LblBack", "BtnBack", "LblStart", "BtnStart", "ImgKart", "ImgTrack",
                                  "BtnTrackDec", "BtnTrackInc", "LblCcm", "BtnCcmDec", "BtnCcmInc"}));
    add("Multiplayer.layout", "Multiplayer",
        under("Multiplayer", {"LblHeader", "BtnTwoPlayers", "BtnCreateGame", "BtnJoinGame", "LblBack", "BtnBack"}));
    // The header is the layout's own addition: a title over the dialog.
    add("Join.layout", "Join", under("Join", {"BtnOk", "BtnCancel", "LblHost", "EdtHost", "LblHeader"}));
    add("MessageBox.layout", "Join_MessageBox", under("Join_MessageBox", {"LblMessage", "BtnOk"}));
    add("TwoPlayers.layout", "TwoPlayers",
        under("TwoPlayers", {"LblHeader", "LblBack", "BtnBack", "LblStart", "BtnStart", "LblCcm", "BtnCcmDec",
                             "BtnCcmInc", "LblLaps", "BtnLapsDec", "BtnLapsInc", "LblGame", "BtnGameDec",
                             "BtnGameInc", "ImgTrack", "BtnTrackDec", "BtnTrackInc", "ImgKart1", "BtnKart1Dec",
                             "BtnKart1Inc", "ImgKart2", "BtnKart2Dec", "BtnKart2Inc", "EdtName1", "EdtName2"}));
    w = under("Lobby", {"LblBack", "BtnBack", "LblStart", "BtnStart", "LblCcm", "BtnCcmDec", "BtnCcmInc", "LblLaps",
                        "BtnLapsDec", "BtnLapsInc", "LblGame", "BtnGameDec", "BtnGameInc", "ImgTrack", "BtnTrackDec",
                        "BtnTrackInc", "ImgKart", "BtnKartDec", "BtnKartInc", "EdtName", "ImgPlayerList",
                        "ImgPlayerList/LblHost"});
    append(w, rows("Lobby/ImgPlayerList", 1, 6, {"ImgKart%02d", "LblName%02d", "ImgReady%02d"}));
    w.push_back("Lobby/LblHeader");
    add("Lobby.layout", "Lobby", w);
    w = under("Options", {"LblHeader", "BtnOk", "BtnReset", "BtnCancel", "CboLanguage", "LblTextureDetail",
                          "LblTextureDetailLow", "OptTextureDetailLow", "LblTextureDetailMedium",
                          "OptTextureDetailMedium", "LblTextureDetailHigh", "OptTextureDetailHigh",
                          "LblObjectDetail", "LblObjectDetailLow", "OptObjectDetailLow", "LblObjectDetailHigh",
                          "OptObjectDetailHigh", "LblMusicVolume", "SldMusicVolume", "LblSfxVolume", "SldSfxVolume",
                          "LblVideoMode", "CboVideoMode", "LblBrightness", "SldBrightness", "LblContrast",
                          "SldContrast", "LblGamma", "SldGamma", "LblLanguage", "CboLanguage"});
    add("Options.layout", "Options", w);
    add("Options2.layout", "Options", w);
    w = under("HighscoresCareer", {"LblHeader", "BtnBack", "BtnGame01", "BtnGame02", "BtnGame03"});
    append(w, rows("HighscoresCareer", 1, 10,
                   {"LblRank%02d", "ImgKart%02d", "LblName%02d", "LblTime%02d", "LblScore%02d", "LblRetries%02d"}));
    add("HighscoresCareer.layout", "HighscoresCareer", w);
    w = under("HighscoresSingle", {"LblHeader", "BtnBack", "BtnGame01", "BtnGame02", "BtnGame03", "BtnCcm01",
                                   "BtnCcm02", "BtnCcm03", "BtnLaps01", "BtnLaps02", "BtnLaps03"});
    append(w, rows("HighscoresSingle", 1, 9, {"BtnTrack%02d"}));
    append(w, rows("HighscoresSingle", 1, 10, {"LblRank%02d", "ImgKart%02d", "LblName%02d", "LblTime%02d"}));
    add("HighscoresSingle.layout", "HighscoresSingle", w);
    w = under("HighscoresLMS", {"LblHeader", "BtnBack", "BtnGame01", "BtnGame02", "BtnGame03", "BtnCcm01", "BtnCcm02",
                                "BtnCcm03"});
    append(w, rows("HighscoresLMS", 1, 3, {"BtnTrack%02d"}));
    append(w, rows("HighscoresLMS", 1, 10, {"LblRank%02d", "ImgKart%02d", "LblName%02d", "LblTime%02d"}));
    add("HighscoresLMS.layout", "HighscoresLMS", w);
    add("Credits.layout", "Credits", under("Credits", {"LblBack", "BtnBack", "LblHeader"}));
    add("Language.layout", "Language", under("Language", {"BtnDE", "BtnEN", "BtnFR", "BtnSP", "BtnIT"}));
    add("Winning.layout", "Winning", under("Winning", {"LblText", "BtnOk"}));
    w = under("Career", {"LblBack", "BtnBack", "LblStart", "BtnStart", "BtnShop", "LblHeader", "LblKudos"});
    append(w, rows("Career", 1, 16, {"LblTrack%02d", "LblGame%02d", "LblRank%02d"}));
    add("Career.layout", "Career", w);
    w = under("Ranking", {"LblHeader", "LblBack", "BtnBack", "LblContinue", "BtnContinue"});
    append(w, rows("Ranking", 1, 7, {"ImgKart%02d", "LblName%02d", "LblTime%02d", "LblPoints%02d", "LblKudos%02d"}));
    add("Ranking.layout", "Ranking", w);
    add("Shop.layout", "Shop",
        under("Shop", {"BtnBack", "ImgKart", "LblHeader", "LblKudos", "BtnColor", "BtnColorInc", "BtnColorDec",
                       "BtnLogo", "BtnLogoInc", "BtnLogoDec", "BtnEngine", "BtnSpoiler", "BtnTires", "BtnSideskirts",
                       "Confirm", "Confirm/LblMessage", "Confirm/BtnYes", "Confirm/BtnNo", "Denied",
                       "Denied/LblMessage", "Denied/BtnOk", "LblAccel", "PrgAccel", "LblSpeed", "PrgSpeed",
                       "LblBrakes", "PrgBrakes", "LblGrip", "PrgGrip", "LblTurboTime", "PrgTurboTime", "LblStrength",
                       "PrgStrength"}));
    return all;
}

} // namespace

const std::vector<ScreenManifest>& screenManifests()
{
    static const std::vector<ScreenManifest> all = makeManifests();
    return all;
}

const ScreenManifest& screenManifest(const std::string& layout)
{
    for (const ScreenManifest& screen : screenManifests())
        if (screen.layout == layout)
            return screen;
    throw std::out_of_range("no menu screen is loaded from " + layout);
}

LoadedScreen loadScreenLayout(const ScreenManifest& screen)
{
    LoadedScreen loaded;
    loaded.root = gui::loadLayout(screen.layout);
    // Layouts carry no name prefix: a screen loaded under another name (the
    // Join dialog's message box) has its root renamed, and every path below
    // follows.
    loaded.root->setName(screen.root);
    loaded.root->hide();
    for (const std::string& path : screen.windows) {
        CEGUI::Window* window = nullptr;
        CEGUI_TRY
        {
            window = gui::find(loaded.root, path);
        }
        CEGUI_CATCH(const CEGUI::UnknownObjectException&)
        {
            CEGUI::WindowManager::getSingleton().destroyWindow(loaded.root);
            CEGUI_THROW(CEGUI::UnknownObjectException("the layout " + screen.layout + " has no window " + path));
        }
        loaded.windows[path] = window;
    }
    return loaded;
}

CEGUI::Window* LoadedScreen::row(const std::string& path, int number) const
{
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%02d", number);
    return windows.at(path + digits);
}
