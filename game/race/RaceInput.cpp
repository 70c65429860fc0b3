// The player's keys during a race: looking back, pause, the start key and
// the free debugging camera.
#include "game/race/Race.h"

#include "engine/scene/Camera.h"
#include "game/app/Application.h"
#include "game/app/DebugConsole.h"
#include "game/app/Hud.h"
#include "game/app/RaceSetup.h"
#include "game/app/WinInput.h"
#include "game/net/NetControl.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"

namespace {

// DirectInput scan codes.
enum Key : uint8_t {
    KeyEscape = 0x01,
    KeyW = 0x11,
    KeyR = 0x13,
    // The key left of 1.
    KeyGrave = 0x29,
    KeyLeftCtrl = 0x1D,
    KeyS = 0x1F,
    KeyA = 0x1E,
    KeyD = 0x20,
    KeyF = 0x21,
    KeyLeftShift = 0x2A,
    KeyRightShift = 0x36,
    KeySpace = 0x39,
    KeyRightCtrl = 0x9D,
};

// Reads a key and takes it, so it acts once per press.
bool take(uint8_t* keys, uint8_t code)
{
    if (!keys[code])
        return false;
    keys[code] = 0;
    return true;
}

void moveBy(Camera* camera, int row, float step)
{
    const Matrix4 m = camera->getMatrix(0.0);
    for (int k = 0; k < 3; ++k) {
        AnimatedValue& channel = camera->m_motion[PositionX + k];
        channel.m_envelope.reset();
        channel.m_value += m.at(row, k) * step;
    }
    camera->invalidateMatrices();
}

} // namespace

void Race::sendReady()
{
    NetControl& net = NetControl::getInstance();
    for (int32_t i = 0; i < m_kartCount; ++i) {
        const int32_t type = m_karts[i]->m_controller ? m_karts[i]->m_controller->getType() : -1;
        if (type != KartController::Human && type != KartController::Computer)
            continue;
        m_ready[i] = 1;
        net.beginChunk(kReadyMessage);
        net.writeByte(uint8_t(i));
        net.sendChunk();
    }
    m_readySentClock = raceClock();
}

void Race::handleInput(WinInput* input)
{
    // Look back while the control is held.
    if (m_started) {
        for (int32_t view = 0; view < m_viewCount; ++view) {
            const Kart* kart = m_karts[m_viewKart[view]];
            const int32_t mode = m_cameraMode[view];
            if (!kart || !kart->m_controller || (mode != ChaseCamera && mode != LookBack))
                continue;
            const bool wanted = kart->m_controller->m_lookBack != 0.0f;
            if (!wanted && mode == LookBack)
                setCameraMode(view, ChaseCamera);
            else if (wanted && mode == ChaseCamera)
                setCameraMode(view, LookBack);
        }
    }
    if (!input)
        return;
    uint8_t* keys = input->m_keys;
    const bool network = m_setup->mode == 2;

    if (take(keys, KeyGrave))
        m_console->setVisible(!m_console->isVisible());
    if (take(keys, KeyEscape) && !checkFinished(float(raceClock()) - m_startTime))
        setPaused(!m_paused);

    if (!m_console->isVisible() && m_countdownStart == -1.0f && take(keys, KeySpace)) {
        if (!network) {
            m_countdownStart = float(raceClock());
            for (int32_t view = 0; view < m_viewCount; ++view) {
                m_hud->setStartVisible(false, view);
                setCameraMode(view, ChaseCamera);
            }
        } else {
            // This machine's karts are ready; the others say so by message.
            m_readySent = true;
            sendReady();
            m_hud->setStartText(true, 0);
        }
    }
    // A machine still loading its race hears no ready message: until the
    // countdown runs, this machine says it again every second.
    if (network && m_readySent && m_countdownStart == -1.0f && raceClock() - m_readySentClock >= kReadyRepeat)
        sendReady();
    if (network && m_countdownStart == -1.0f && m_kartCount > 0) {
        bool all = true;
        for (int32_t i = 0; i < m_kartCount; ++i)
            all = all && m_ready[i];
        if (all) {
            m_countdownStart = float(raceClock());
            for (int32_t view = 0; view < m_viewCount; ++view) {
                m_hud->setStartVisible(false, view);
                setCameraMode(view, ChaseCamera);
            }
        }
    }

    Camera* camera = m_cameras[0];
    if (m_cameraMode[0] != FreeCamera || m_console->isVisible() || !camera)
        return;
    float step = 0.1f;
    if (keys[KeyLeftShift] || keys[KeyRightShift])
        step = 0.8f;
    if (keys[KeyLeftCtrl] || keys[KeyRightCtrl])
        step = 0.02f;
    // Rows of the camera's matrix: 0 its side, 1 its up, 2 its view axis.
    const struct {
        uint8_t key;
        int row;
        float sign;
    } moves[] = {{KeyW, 2, 1.0f}, {KeyS, 2, -1.0f}, {KeyD, 0, 1.0f}, {KeyA, 0, -1.0f}, {KeyR, 1, 1.0f}, {KeyF, 1, -1.0f}};
    for (const auto& m : moves)
        if (keys[m.key])
            moveBy(camera, m.row, m.sign * step);
    AnimatedValue& heading = camera->m_motion[RotationH];
    AnimatedValue& pitch = camera->m_motion[RotationP];
    heading.m_envelope.reset();
    pitch.m_envelope.reset();
    heading.m_value += float(input->m_mouseDeltaX) * 0.005f;
    pitch.m_value -= float(input->m_mouseDeltaY) * 0.005f;
    camera->invalidateMatrices();
}
