// The lobby of a network game: one machine hosts (slot 0) and chooses class,
// laps, game kind and track; every player chooses a kart and a name and says
// ready; the host starts the race on every machine. All of it travels as
// lobby messages 21 to 30. They arrive on the network's receive thread,
// which files them in the lobby's inbox; the menu's frame applies them, so
// that only the main thread touches the screens.
#include "game/menu/Menu.h"

#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/app/RaceSetup.h"
#include "game/app/TextTable.h"
#include "game/menu/LobbyMessages.h"
#include "game/menu/SelectorSteps.h"
#include "game/net/NetControl.h"
#include "platform/win/ComputerName.h"

#include <CEGUI/Window.h>

#include <cstdio>
#include <string>

using namespace lobby;
using namespace selector;

namespace {

// A client waits for the host's state answer under this kart marker in the
// last slot, at most this long.
constexpr int32_t kWaitingMarker = -2;
constexpr double kStateAnswerWait = 5.0;
// "The connection to the game was lost."
constexpr int32_t kConnectionLostText = 20020;

enum ReadyState : int32_t { SlotWaiting = 0, SlotReady = 1, SlotNoHuman = 2 };

std::string rowName(const char* column, int32_t row)
{
    char name[64];
    std::snprintf(name, sizeof name, "Lobby/ImgPlayerList/%s%02d", column, row + 1);
    return name;
}

NetControl& net()
{
    return NetControl::getInstance();
}

void sendBytes(int32_t id, std::initializer_list<int32_t> bytes)
{
    net().beginChunk(id);
    for (int32_t b : bytes)
        net().writeByte(uint8_t(b));
    net().sendChunk();
}

} // namespace

void Menu::registerLobbyHandlers()
{
    for (int32_t id = Ccm; id <= Leave; ++id)
        net().addHandler(id, payloadSize(id), new LobbyInbox::Handler(m_lobbyInbox, id));
    m_lobbyHandlers = true;
}

void Menu::removeLobbyHandlers()
{
    if (!m_lobbyHandlers)
        return;
    for (int32_t id = Ccm; id <= Leave; ++id)
        net().removeHandler(id);
    m_lobbyHandlers = false;
}

int32_t Menu::ownSlot() const
{
    const int32_t slot = net().getOwnSlot();
    return slot >= 0 && slot < kLobbySlots ? slot : 0;
}

void Menu::showLobby(bool host)
{
    m_lobbyInbox.clear();
    m_application->attachMenuKarts();
    m_inLobby = true;
    m_lobbyHost = host;
    CEGUI::Window* hostLabel = m_windows["Lobby/ImgPlayerList/LblHost"];
    if (host) {
        char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD size = sizeof(name);
        const std::string computer = GetComputerNameA(name, &size) ? name : "";
        hostLabel->setText(m_textTable->getText(20050) + gui::text(computer));
        hostLabel->setVisible(true);
    } else {
        hostLabel->setText("");
        hostLabel->setVisible(false);
    }
    for (int32_t slot = 0; slot < kLobbySlots; ++slot) {
        m_lobbyNames[slot] = "";
        m_lobbyReady[slot] = SlotNoHuman;
        m_lobbyKart[slot] = -1;
    }
    refreshLobbySlots();
    for (const char* control : {"Lobby/BtnCcmInc", "Lobby/BtnCcmDec", "Lobby/BtnLapsInc", "Lobby/BtnLapsDec",
                                "Lobby/BtnGameInc", "Lobby/BtnGameDec", "Lobby/BtnTrackInc", "Lobby/BtnTrackDec"})
        m_windows[control]->setEnabled(host);
    for (const char* control : {"Lobby/BtnKartInc", "Lobby/BtnKartDec", "Lobby/EdtName"})
        m_windows[control]->setEnabled(true);
    m_windows["Lobby/BtnStart"]->setEnabled(!host);

    m_lobbyCcm = 0;
    m_lobbyLaps = 3;
    m_lobbyGame = 0;
    m_lobbyTrack = 0;
    m_windows["Lobby/LblCcm"]->setText(m_textTable->getText(classText(m_lobbyCcm)));
    m_windows["Lobby/LblLaps"]->setText(m_textTable->getText(lapsText(m_lobbyLaps)));
    showLobbyGame();
    for (const char* control : {"Lobby/BtnLapsInc", "Lobby/BtnLapsDec"})
        m_windows[control]->setEnabled(host);

    const int32_t own = ownSlot();
    m_lobbyKart[own] = 0;
    m_lobbyReady[own] = SlotWaiting;
    m_lobbyNames[own] = m_windows["Lobby/EdtName"]->getText();
    sendLobbyName(own);
    sendBytes(Ready, {own, SlotWaiting});
    showLobbyKart();
    sendBytes(Kart, {own, m_lobbyKart[own]});
    m_lobbyWaitStart = -1.0;
    if (!host) {
        // The host's answer ends with the last slot's kart: until then the
        // marker stands there, and the kart is chosen once it is gone.
        m_lobbyKart[kLobbySlots - 1] = kWaitingMarker;
        m_lobbyWaitStart = m_timer.m_total;
        sendBytes(StateRequest, {});
    }
    refreshLobbySlots();
    fadeIn(m_screens["Lobby"]);
}

// The own kart's name over the preview, its look and its row's portrait.
void Menu::showLobbyKart()
{
    const int32_t own = ownSlot();
    const KartInfo* kart = m_application->kartAt(m_lobbyKart[own]);
    CEGUI::Window* image = m_windows["Lobby/ImgKart"];
    image->setText(kart ? m_textTable->getText(kart->menutext) : CEGUI::String());
    m_application->m_previewCount = 0;
    if (kart && m_application->applyKartLook(kart->name, 0, 0, 0, 0, own, 0, 0))
        placeKartPreview(0, image);
    refreshLobbySlots();
}

void Menu::showLobbyGame()
{
    const bool laps = m_lobbyGame == 0;
    m_windows["Lobby/LblGame"]->setText(m_textTable->getText(gameText(m_lobbyGame)));
    m_windows["Lobby/LblLaps"]->setVisible(laps);
    for (const char* button : {"Lobby/BtnLapsDec", "Lobby/BtnLapsInc"}) {
        m_windows[button]->setVisible(laps);
        m_windows[button]->setEnabled(laps && m_lobbyHost);
    }
    showTrack("Lobby", m_lobbyGame, m_lobbyTrack);
}

// The next kart from `kart` in the step's direction that no other slot has;
// the kart itself when every one is taken.
int32_t Menu::freeLobbyKart(int32_t kart, int32_t step) const
{
    const size_t count = m_application->m_config.karts().size();
    const int32_t own = ownSlot();
    int32_t candidate = kart;
    for (size_t tries = 0; tries < count; ++tries) {
        candidate = wrapStep(candidate, step, count);
        bool taken = false;
        for (int32_t slot = 0; slot < kLobbySlots; ++slot)
            taken = taken || (slot != own && m_lobbyKart[slot] == candidate);
        if (!taken)
            return candidate;
    }
    return kart;
}

void Menu::stepLobbyKart(int32_t step)
{
    const int32_t own = ownSlot();
    m_lobbyKart[own] = freeLobbyKart(m_lobbyKart[own], step);
    showLobbyKart();
    sendBytes(Kart, {own, m_lobbyKart[own]});
}

void Menu::sendLobbyName(int32_t slot)
{
    // One byte a character: its code point's low eight bits.
    net().beginChunk(Name);
    net().writeByte(uint8_t(slot));
    const CEGUI::String& name = m_lobbyNames[slot];
    for (size_t i = 0; i < name.length() && i < kMaxNameLength; ++i)
        net().writeByte(uint8_t(name[i] & 0xFF));
    net().sendChunk();
}

void Menu::sendLobbyState()
{
    if (ownSlot() != 0 || !m_lobbyHost)
        return;
    sendBytes(Game, {m_lobbyGame});
    sendBytes(Track, {m_lobbyTrack});
    sendBytes(Ccm, {m_lobbyCcm});
    sendBytes(Laps, {m_lobbyLaps});
    for (int32_t slot = 0; slot < kLobbySlots; ++slot) {
        sendBytes(Kart, {slot, m_lobbyKart[slot]});
        sendBytes(Ready, {slot, m_lobbyReady[slot]});
        sendLobbyName(slot);
    }
}

// --- The lobby's frame -----------------------------------------------------------

void Menu::updateLobby()
{
    if (!m_inLobby)
        return;
    for (const LobbyInbox::Message& m : m_lobbyInbox.take()) {
        applyLobbyMessage(m.id, m.payload.data(), int32_t(m.payload.size()));
        if (!m_inLobby || m_result == 2)
            return;
    }
    refreshLobbySlots();
    const int32_t own = ownSlot();
    if (m_lobbyWaitStart >= 0.0 && m_lobbyKart[kLobbySlots - 1] != kWaitingMarker) {
        // The host's state is in: a kart that no one else has.
        m_lobbyWaitStart = -1.0;
        m_lobbyKart[own] = freeLobbyKart(m_lobbyKart[own], 1);
        showLobbyKart();
        sendBytes(Kart, {own, m_lobbyKart[own]});
    } else if (m_lobbyWaitStart >= 0.0 && m_timer.m_total - m_lobbyWaitStart > kStateAnswerWait) {
        // A host that never answers is no host.
        net().disconnect();
        leaveLobby();
        return;
    }
    if (!net().isConnected() && net().getState() != NetControl::StateDisconnected)
        leaveLobby();
}

void Menu::showConnectionNotice()
{
    m_connectionNoticePending = false;
    m_messageUnder = m_screens["Multiplayer"];
    m_windows["Join_MessageBox/LblMessage"]->setText(m_textTable->getText(kConnectionLostText));
    openDialog(m_screens["Multiplayer"], m_screens["Join_MessageBox"]);
}

void Menu::leaveLobby()
{
    m_inLobby = false;
    m_lobbyWaitStart = -1.0;
    fadeOut(m_screens["Lobby"]);
    previewsOff();
    showMultiplayer();
}

void Menu::refreshLobbySlots()
{
    for (int32_t row = 0; row < 6; ++row) {
        const int32_t ready = m_lobbyReady[row];
        m_windows[rowName("ImgReady", row)]->setProperty(
            "Image", gui::image("Speed", ready == SlotWaiting ? "IconWaiting"
                                         : ready == SlotReady ? "IconReady"
                                                          : "FullTransparentBrush"));
        m_windows[rowName("LblName", row)]->setText(m_lobbyNames[row]);
        const KartInfo* kart = m_lobbyKart[row] >= 0 ? m_application->kartAt(m_lobbyKart[row]) : nullptr;
        m_windows[rowName("ImgKart", row)]->setProperty(
            "Image", m_lobbyKart[row] < 0 ? gui::image("Speed", "FullTransparentBrush")
                                          : gui::text(portrait("PortraitsSmall", kart ? kart->name : "", "")));
    }
}

// --- Received messages, applied in the menu's frame ----------------------------

void Menu::applyLobbyMessage(int32_t id, const uint8_t* payload, int32_t size)
{
    Limits limits;
    limits.karts = int32_t(m_application->m_config.karts().size());
    limits.tracks = int32_t(trackList(m_lobbyGame).size());
    Fields f;
    if (!decode(id, payload, size, limits, f))
        return;
    switch (id) {
    case Ccm:
        m_lobbyCcm = f.value;
        m_windows["Lobby/LblCcm"]->setText(m_textTable->getText(classText(f.value)));
        break;
    case Game:
        m_lobbyGame = f.value;
        m_lobbyTrack = 0;
        showLobbyGame();
        break;
    case Kart:
        m_lobbyKart[f.slot] = f.value;
        break;
    case Laps:
        m_lobbyLaps = f.value;
        m_windows["Lobby/LblLaps"]->setText(m_textTable->getText(lapsText(f.value)));
        break;
    case Name: {
        // A byte a character.
        CEGUI::String name;
        for (char c : f.name)
            name += CEGUI::utf32(uint8_t(c));
        m_lobbyNames[f.slot] = name;
        break;
    }
    case Track:
        m_lobbyTrack = f.value;
        showTrack("Lobby", m_lobbyGame, f.value);
        break;
    case Ready:
        m_lobbyReady[f.slot] = f.value;
        updateLobbyStart();
        break;
    case StateRequest:
        sendLobbyState();
        break;
    case Start:
        startLobbyRace(f.value);
        break;
    case Leave:
        if (f.slot == 0) {
            // The host left: the game is over.
            net().disconnect();
            leaveLobby();
            break;
        }
        m_lobbyKart[f.slot] = -1;
        m_lobbyNames[f.slot] = "";
        m_lobbyReady[f.slot] = SlotNoHuman;
        updateLobbyStart();
        break;
    default:
        break;
    }
}

void Menu::updateLobbyStart()
{
    int32_t humans = 0, ready = 0;
    for (int32_t slot = 0; slot < kLobbySlots; ++slot) {
        humans += m_lobbyReady[slot] == SlotWaiting || m_lobbyReady[slot] == SlotReady ? 1 : 0;
        ready += m_lobbyReady[slot] == SlotReady ? 1 : 0;
    }
    if (!m_lobbyHost || ownSlot() != 0)
        return;
    m_windows["Lobby/BtnStart"]->setEnabled(humans >= 2 && ready == humans - 1 && m_lobbyReady[0] != SlotReady);
    if (ready != humans || humans < 2)
        return;
    if (m_lobbyGame == 0) {
        // The empty places go to computer drivers with karts of their own.
        for (int32_t slot = 0; slot < kLobbySlots; ++slot) {
            if (m_lobbyKart[slot] != -1)
                continue;
            const int32_t kart = freeLobbyKartFor(slot);
            if (kart < 0)
                break;
            m_lobbyKart[slot] = kart;
            const KartInfo* info = m_application->kartAt(kart);
            m_lobbyNames[slot] = info ? m_textTable->getText(info->menutext) : CEGUI::String();
            sendBytes(Kart, {slot, kart});
            sendLobbyName(slot);
        }
    }
    sendBytes(Start, {humans});
    net().setGameLocked(true);
    startLobbyRace(humans);
}

// The first kart, counting from 0, that no slot but this one has; -1 when
// every kart is taken.
int32_t Menu::freeLobbyKartFor(int32_t slot) const
{
    const int32_t count = int32_t(m_application->m_config.karts().size());
    for (int32_t kart = 0; kart < count; ++kart) {
        bool taken = false;
        for (int32_t other = 0; other < kLobbySlots; ++other)
            taken = taken || (other != slot && m_lobbyKart[other] == kart);
        if (!taken)
            return kart;
    }
    return -1;
}

// The race set-up from the lobby, every machine packing the players in
// slot order, and the menu ends.
void Menu::startLobbyRace(int32_t humans)
{
    const bool lastManStanding = m_lobbyGame == 3;
    RaceSetup& setup = beginSetup(2, m_lobbyGame, m_lobbyCcm, m_lobbyLaps, trackName(m_lobbyGame, m_lobbyTrack));
    const int32_t own = ownSlot();
    int32_t k = 0;
    for (int32_t slot = 0; slot < kLobbySlots; ++slot) {
        const KartInfo* kart = m_lobbyKart[slot] >= 0 ? m_application->kartAt(m_lobbyKart[slot]) : nullptr;
        if (!kart)
            continue;
        setup.kartName[k] = kart->name;
        setup.playerName[k] = m_lobbyNames[slot].c_str();
        setup.kudos[k] = 0;
        for (int32_t& look : setup.upgrades[k])
            look = 0;
        setup.upgrades[k][4] = k;
        setup.startSlot[k] = lastManStanding ? humans - 1 - k : 6 - k;
        setup.lobbySlot[k] = slot;
        if (slot == own) {
            setup.playerType[k] = 1;
            setup.localSlot = k;
        } else if (m_lobbyReady[slot] == SlotNoHuman) {
            setup.playerType[k] = lastManStanding ? 0 : m_lobbyHost ? 4 : 5;
        } else {
            setup.playerType[k] = 5;
        }
        ++k;
    }
    m_inLobby = false;
    m_lobbyWaitStart = -1.0;
    startRace(m_screens["Lobby"]);
}

// --- The lobby's own controls -----------------------------------------------------

bool Menu::onLobbyStart(const CEGUI::EventArgs&)
{
    const int32_t own = ownSlot();
    m_windows["Lobby/BtnStart"]->setEnabled(false);
    m_lobbyReady[own] = SlotReady;
    refreshLobbySlots();
    sendBytes(Ready, {own, SlotReady});
    for (const char* control : {"Lobby/BtnKartInc", "Lobby/BtnKartDec", "Lobby/EdtName"})
        m_windows[control]->setEnabled(false);
    updateLobbyStart();
    return true;
}

bool Menu::onLobbyCcmInc(const CEGUI::EventArgs&)
{
    m_lobbyCcm = classStep(m_lobbyCcm, 1);
    m_windows["Lobby/LblCcm"]->setText(m_textTable->getText(classText(m_lobbyCcm)));
    sendBytes(Ccm, {m_lobbyCcm});
    return true;
}

bool Menu::onLobbyCcmDec(const CEGUI::EventArgs&)
{
    m_lobbyCcm = classStep(m_lobbyCcm, -1);
    m_windows["Lobby/LblCcm"]->setText(m_textTable->getText(classText(m_lobbyCcm)));
    sendBytes(Ccm, {m_lobbyCcm});
    return true;
}

bool Menu::onLobbyLapsInc(const CEGUI::EventArgs&)
{
    m_lobbyLaps = lapsStep(m_lobbyLaps, 1);
    m_windows["Lobby/LblLaps"]->setText(m_textTable->getText(lapsText(m_lobbyLaps)));
    sendBytes(Laps, {m_lobbyLaps});
    return true;
}

bool Menu::onLobbyLapsDec(const CEGUI::EventArgs&)
{
    m_lobbyLaps = lapsStep(m_lobbyLaps, -1);
    m_windows["Lobby/LblLaps"]->setText(m_textTable->getText(lapsText(m_lobbyLaps)));
    sendBytes(Laps, {m_lobbyLaps});
    return true;
}

// Up and down are one switch between the two lobby games.
bool Menu::onLobbyGameInc(const CEGUI::EventArgs&)
{
    m_lobbyGame = m_lobbyGame == 0 ? 3 : 0;
    m_lobbyTrack = 0;
    showLobbyGame();
    sendBytes(Game, {m_lobbyGame});
    sendBytes(Track, {m_lobbyTrack});
    return true;
}

bool Menu::onLobbyGameDec(const CEGUI::EventArgs& e)
{
    return onLobbyGameInc(e);
}

bool Menu::onLobbyTrackInc(const CEGUI::EventArgs&)
{
    m_lobbyTrack = wrapStep(m_lobbyTrack, 1, trackList(m_lobbyGame).size());
    showTrack("Lobby", m_lobbyGame, m_lobbyTrack);
    sendBytes(Track, {m_lobbyTrack});
    return true;
}

bool Menu::onLobbyTrackDec(const CEGUI::EventArgs&)
{
    m_lobbyTrack = wrapStep(m_lobbyTrack, -1, trackList(m_lobbyGame).size());
    showTrack("Lobby", m_lobbyGame, m_lobbyTrack);
    sendBytes(Track, {m_lobbyTrack});
    return true;
}

bool Menu::onLobbyKartInc(const CEGUI::EventArgs&)
{
    stepLobbyKart(1);
    return true;
}

bool Menu::onLobbyKartDec(const CEGUI::EventArgs&)
{
    stepLobbyKart(-1);
    return true;
}

bool Menu::onLobbyNameTextChanged(const CEGUI::EventArgs&)
{
    if (!m_inLobby)
        return true;
    const int32_t own = ownSlot();
    m_lobbyNames[own] = m_windows["Lobby/EdtName"]->getText();
    refreshLobbySlots();
    sendLobbyName(own);
    return true;
}

bool Menu::onLobbyBack(const CEGUI::EventArgs&)
{
    sendBytes(Leave, {ownSlot()});
    net().disconnect();
    leaveLobby();
    return true;
}
