// The profile screen: the player picks a character (its kart turns over the
// picture, its stats beside it) and a name, and OK makes a new career in
// the chosen slot with six computer rivals on the other karts.
#include "game/menu/Menu.h"

#include "engine/core/base/EngineLog.h"
#include "engine/core/math/Random.h"
#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/TextTable.h"
#include "game/menu/DrawableText.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"

#include <CEGUI/Window.h>
#include <CEGUI/widgets/Editbox.h>
#include <CEGUI/widgets/ProgressBar.h>

#include <algorithm>
#include <vector>

namespace {

// The stat bars and the ratio each shows.
const struct {
    const char* bar;
    GameConfig::Stat stat;
} kStatBars[] = {
    {"Profile/PrgSpeed", GameConfig::StatSpeed}, {"Profile/PrgAccel", GameConfig::StatAcceleration},
    {"Profile/PrgBrakes", GameConfig::StatBrake}, {"Profile/PrgGrip", GameConfig::StatDrift},
    {"Profile/PrgStrength", GameConfig::StatMass}, {"Profile/PrgTurboTime", GameConfig::StatTurbo},
};

} // namespace

std::string Menu::portrait(const char* set, const std::string& kartName, const char* suffix) const
{
    const KartInfo* kart = m_application->findKart(kartName);
    return gui::imageOr(set, kart && !kart->menuimage.empty() ? kart->menuimage + suffix : std::string(),
                        std::string("Blanko") + suffix);
}

void Menu::showProfile()
{
    m_characterIndex = 0;
    showCharacter();
    fadeIn(m_screens["Profile"]);
}

// The character at the index: its name over the picture and in the name
// field, its stats, and its kart turning in the picture.
void Menu::showCharacter()
{
    const KartInfo* kart = m_application->kartAt(m_characterIndex);
    const CEGUI::String name = kart ? m_textTable->getText(kart->menutext) : CEGUI::String();
    m_windows["Profile/ImgCharacter"]->setText(name);
    auto* edit = static_cast<CEGUI::Editbox*>(m_windows["Profile/EdtName"]);
    edit->setText(name.substr(0, edit->getMaxTextLength()));
    edit->activate();
    float ratios[GameConfig::StatCount] = {};
    if (kart)
        m_application->kartStatRatios(kart->name, ratios);
    for (const auto& stat : kStatBars)
        static_cast<CEGUI::ProgressBar*>(m_windows[stat.bar])->setProgress(ratios[stat.stat]);
    if (kart && m_application->applyKartLook(kart->name, 0, 0, 0, 0, 0, 0, 0))
        placeKartPreview(0, m_windows["Profile/ImgCharacter"]);
    else
        previewsOff();
}

bool Menu::onProfileCharacterPrev(const CEGUI::EventArgs&)
{
    const int32_t karts = int32_t(m_application->m_config.karts().size());
    m_characterIndex = m_characterIndex - 1 < 0 ? std::max(karts - 1, 0) : m_characterIndex - 1;
    showCharacter();
    return true;
}

bool Menu::onProfileCharacterNext(const CEGUI::EventArgs&)
{
    const int32_t karts = int32_t(m_application->m_config.karts().size());
    m_characterIndex = m_characterIndex + 1 >= karts ? 0 : m_characterIndex + 1;
    showCharacter();
    return true;
}

// What the fonts cannot draw is refused as it is typed, so a name shows
// everywhere as the player wrote it.
bool Menu::onProfileNameTextChanged(const CEGUI::EventArgs&)
{
    auto* edit = static_cast<CEGUI::Editbox*>(m_windows["Profile/EdtName"]);
    const CEGUI::String text = edit->getText();
    const CEGUI::String kept = withoutUndrawable(*edit, text);
    if (kept == text)
        return true;
    const size_t caret = edit->getCaretIndex();
    const size_t refusedBeforeCaret = std::min(caret, text.length()) - withoutUndrawable(*edit, text.substr(0, caret)).length();
    edit->setText(kept);
    edit->setCaretIndex(caret - refusedBeforeCaret);
    return true;
}

bool Menu::createProfile(const CEGUI::EventArgs&)
{
    const std::vector<KartInfo>& karts = m_application->m_config.karts();
    if (m_profileStore && !karts.empty()) {
        ProfileStore& store = *m_profileStore;
        store.resetSlot();
        store.setEmpty(0);
        store.setCcm(0);
        const size_t character = std::min(size_t(std::max(m_characterIndex, 0)), karts.size() - 1);
        store.setKart(0, karts[character].name);
        // A name of nothing but what the field refused is the character's.
        CEGUI::String name = m_windows["Profile/EdtName"]->getText();
        if (name.empty())
            name = m_textTable->getText(karts[character].menutext);
        store.setName(0, name.c_str());

        // The rivals: every other of the first seven karts, in a random order
        // (with fewer karts some drive the same one).
        std::vector<size_t> rivals;
        for (size_t i = 0; i < size_t(ProfileStore::kPlayers); ++i)
            if (i != character)
                rivals.push_back(i % karts.size());
        for (size_t i = rivals.size(); i > 1; --i)
            std::swap(rivals[i - 1], rivals[size_t(engineRand()) % i]);
        for (int32_t player = 1; player < ProfileStore::kPlayers && size_t(player - 1) < rivals.size(); ++player) {
            const KartInfo& kart = karts[rivals[size_t(player - 1)]];
            store.setKart(player, kart.name);
            store.setName(player, m_textTable->getText(kart.menutext).c_str());
            store.setColor(player, 0, (player - 1) % 6 + 1);
        }

        const std::vector<std::string>& tracks = m_application->m_config.careerTracks(0);
        if (!tracks.empty())
            store.unlockTrack(0, tracks.front());
        store.stampCreation();
        if (!store.save())
            engineLog() << "Profile: cannot write " << store.path() << std::endl;
    }
    fadeOut(m_screens["Profile"]);
    previewsOff();
    fadeIn(m_screens["Singleplayer"]);
    return true;
}

bool Menu::onProfileNameAccepted(const CEGUI::EventArgs& e)
{
    return createProfile(e);
}

// The records are fresh because the old ones could not be read: the player
// is told, and the log says where the copies are.
void Menu::showRecordsNotice()
{
    m_recordsNoticePending = false;
    const std::string& profiles = m_profileStore ? m_profileStore->damagedCopy() : std::string();
    const Highscores* highscores = m_application->m_highscores;
    const std::string& scores = highscores ? highscores->damagedCopy() : std::string();
    for (const std::string* copy : {&profiles, &scores})
        if (!copy->empty())
            engineLog() << "A damaged player file was kept as " << *copy << std::endl;
    const int32_t text = profiles.empty() ? 30110 : scores.empty() ? 30100 : 30120;
    CEGUI::Window* message = m_windows["Join_MessageBox/LblMessage"];
    m_messageFont = message->getProperty("Font");
    message->setProperty("Font", "Comic-18");
    message->setText(m_textTable->getText(text));
    m_messageUnder = m_screens["MainMenu"];
    openDialog(m_screens["MainMenu"], m_screens["Join_MessageBox"]);
}
