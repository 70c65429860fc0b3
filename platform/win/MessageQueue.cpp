#include "platform/win/MessageQueue.h"

#include "platform/win/KeyTable.h"
#include "platform/win/SdlVideo.h"
#include "platform/win/WindowTimer.h"
#include "platform/win/WindowRecord.h"

#include <SDL2/SDL.h>
#include <deque>

namespace {

std::deque<MSG>& queue()
{
    static std::deque<MSG> messages;
    return messages;
}

// WM_QUIT is not queued: like Windows, PostQuitMessage only raises a flag
// that is answered once nothing else matches, and a second call before it is
// retrieved replaces the exit code instead of adding a second WM_QUIT.
struct PendingQuit {
    bool posted = false;
    int exitCode = 0;
};

PendingQuit& pendingQuit()
{
    static PendingQuit quit;
    return quit;
}

DWORD tickCount()
{
    return SDL_WasInit(SDL_INIT_TIMER | SDL_INIT_VIDEO) ? DWORD(SDL_GetTicks()) : 0;
}

WORD mouseKeys(Uint32 buttons)
{
    WORD keys = 0;
    if (buttons & SDL_BUTTON_LMASK)
        keys |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK)
        keys |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK)
        keys |= MK_MBUTTON;
    const SDL_Keymod mods = SDL_GetModState();
    if (mods & KMOD_SHIFT)
        keys |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        keys |= MK_CONTROL;
    return keys;
}

// Client coordinates travel as signed 16-bit halves of lParam.
LPARAM pointParam(int x, int y)
{
    return MAKELPARAM(WORD(int16_t(x)), WORD(int16_t(y)));
}

// Bits 0-15 repeat count, 16-23 scan code, 24 extended key, 29 context (Alt),
// 30 previous key state, 31 transition.
LPARAM keyParam(const SDL_KeyboardEvent& key, const KeyCode& code)
{
    uint32_t bits = 1 | (uint32_t(code.dik & 0x7F) << 16);
    if (code.dik & 0x80)
        bits |= 1u << 24;
    if (key.keysym.mod & KMOD_ALT)
        bits |= 1u << 29;
    if (key.type == SDL_KEYUP)
        bits |= (1u << 30) | (1u << 31);
    else if (key.repeat)
        bits |= 1u << 30;
    return LPARAM(bits);
}

void postUtf8Characters(HWND window, const char* text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (*s) {
        uint32_t code = *s;
        int extra = code >= 0xF0 ? 3 : code >= 0xE0 ? 2 : code >= 0xC0 ? 1 : 0;
        code = extra == 3 ? code & 0x07 : extra == 2 ? code & 0x0F : extra == 1 ? code & 0x1F : code;
        ++s;
        for (; extra > 0 && (*s & 0xC0) == 0x80; --extra, ++s)
            code = (code << 6) | (*s & 0x3F);
        postWindowMessage(window, WM_CHAR, WPARAM(code), 1);
    }
}

void translateWindowEvent(HWND window, const SDL_WindowEvent& event)
{
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        postWindowMessage(window, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        postWindowMessage(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        postWindowMessage(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        // Windows activates a window that is being minimised with the
        // minimised flag in the high word; programs stop drawing on it.
        postWindowMessage(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0);
        postWindowMessage(window, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        postWindowMessage(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
        postWindowMessage(window, WM_SIZE,
                          event.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED,
                          MAKELPARAM(WORD(window->clientWidth), WORD(window->clientHeight)));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        window->clientWidth = event.data1;
        window->clientHeight = event.data2;
        postWindowMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(event.data1), WORD(event.data2)));
        break;
    case SDL_WINDOWEVENT_MOVED:
        window->x = event.data1;
        window->y = event.data2;
        postWindowMessage(window, WM_MOVE, 0, pointParam(event.data1, event.data2));
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        postWindowMessage(window, WM_PAINT, 0, 0);
        break;
    default:
        break;
    }
}

void translateEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        // Only a signal gets here (the last-window quit is switched off): ask
        // every window to close, as a session end would on Windows.
        if (liveWindowCount() == 0)
            PostQuitMessage(0);
        for (int i = 0; i < liveWindowCount(); ++i)
            postWindowMessage(liveWindow(i), WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        if (HWND window = windowFromSdlId(event.window.windowID))
            translateWindowEvent(window, event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        // A key Windows has no virtual-key code for sends no key message.
        if (HWND window = windowFromSdlId(event.key.windowID))
            if (const KeyCode* code = findKeyCode(event.key.keysym.scancode)) {
                const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
                const UINT message = event.type == SDL_KEYDOWN ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN)
                                                               : (alt ? WM_SYSKEYUP : WM_KEYUP);
                postWindowMessage(window, message, code->virtualKey, keyParam(event.key, *code));
                // Text input has no characters for these keys, but Windows'
                // TranslateMessage makes them one, right behind the key.
                const BYTE vk = code->virtualKey;
                if (message == WM_KEYDOWN && !(event.key.keysym.mod & KMOD_CTRL)
                    && (vk == 0x08 || vk == 0x09 || vk == 0x0D || vk == 0x1B))
                    postWindowMessage(window, WM_CHAR, vk, keyParam(event.key, *code));
            }
        break;
    case SDL_TEXTINPUT:
        if (HWND window = windowFromSdlId(event.text.windowID))
            postUtf8Characters(window, event.text.text);
        break;
    case SDL_MOUSEMOTION:
        if (HWND window = windowFromSdlId(event.motion.windowID))
            postWindowMessage(window, WM_MOUSEMOVE, mouseKeys(event.motion.state),
                              pointParam(event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (HWND window = windowFromSdlId(event.button.windowID)) {
            const bool down = event.type == SDL_MOUSEBUTTONDOWN;
            UINT message = 0;
            if (event.button.button == SDL_BUTTON_LEFT)
                message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            else if (event.button.button == SDL_BUTTON_RIGHT)
                message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            else if (event.button.button == SDL_BUTTON_MIDDLE)
                message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            // SDL's current state is that after every event already queued,
            // so a quick click would read as up on its own down message; the
            // event's own button is taken from the event, as Windows reports it.
            if (message) {
                Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
                if (down)
                    buttons |= SDL_BUTTON(event.button.button);
                else
                    buttons &= ~SDL_BUTTON(event.button.button);
                postWindowMessage(window, message, mouseKeys(buttons), pointParam(event.button.x, event.button.y));
            }
        }
        break;
    case SDL_MOUSEWHEEL:
        if (HWND window = windowFromSdlId(event.wheel.windowID)) {
            int x = 0, y = 0;
            // The wheel message carries screen coordinates.
            SDL_GetGlobalMouseState(&x, &y);
            const int delta = (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1) * event.wheel.y;
            postWindowMessage(window, WM_MOUSEWHEEL,
                              MAKEWPARAM(mouseKeys(SDL_GetMouseState(nullptr, nullptr)), WORD(int16_t(delta * WHEEL_DELTA))),
                              pointParam(x, y));
        }
        break;
    default:
        break;
    }
}

void pumpSdlEvents()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        translateEvent(event);
}

bool matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (window && msg.hwnd != window)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool takeMatching(MSG* msg, HWND window, UINT filterMin, UINT filterMax, bool remove)
{
    auto& messages = queue();
    for (auto it = messages.begin(); it != messages.end(); ++it) {
        if (!matches(*it, window, filterMin, filterMax))
            continue;
        if (msg)
            *msg = *it;
        if (remove)
            messages.erase(it);
        return true;
    }
    // A due timer comes after every posted message.
    if ((filterMin == 0 && filterMax == 0) || (WM_TIMER >= filterMin && WM_TIMER <= filterMax))
        if (takeDueTimer(msg, window, remove))
            return true;
    // The quit message ignores the message range, as Windows' does; it is a
    // thread message, so a window filter keeps it back.
    PendingQuit& quit = pendingQuit();
    if (!quit.posted || window)
        return false;
    if (msg) {
        int x = 0, y = 0;
        if (SDL_WasInit(SDL_INIT_VIDEO))
            SDL_GetGlobalMouseState(&x, &y);
        *msg = MSG{nullptr, WM_QUIT, WPARAM(quit.exitCode), 0, tickCount(), POINT{x, y}};
    }
    if (remove)
        quit.posted = false;
    return true;
}

} // namespace

void postWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // PostMessage fails for a handle that names no window: a message kept for
    // a destroyed one could reach whichever window is later made at its address.
    if (window && !windowIsLive(window))
        return;
    int x = 0, y = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_GetGlobalMouseState(&x, &y);
    queue().push_back(MSG{window, message, wParam, lParam, tickCount(), POINT{x, y}});
}

void discardWindowMessages(HWND window)
{
    auto& messages = queue();
    for (auto it = messages.begin(); it != messages.end();)
        it = it->hwnd == window ? messages.erase(it) : it + 1;
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    pumpSdlEvents();
    if (window && !windowIsLive(window))
        return FALSE;
    return takeMatching(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax)
{
    for (;;) {
        pumpSdlEvents();
        // Waiting on a window that no longer exists would never end.
        if (window && !windowIsLive(window))
            return -1;
        MSG found{};
        if (takeMatching(&found, window, filterMin, filterMax, true)) {
            if (msg)
                *msg = found;
            return found.message == WM_QUIT ? FALSE : TRUE;
        }
        if (!SDL_WasInit(SDL_INIT_VIDEO))
            return -1;
        // Wake in time for the next window timer.
        const int64_t timerWait = millisecondsToNextTimer();
        SDL_WaitEventTimeout(nullptr, int(timerWait >= 0 && timerWait < 100 ? timerWait : 100));
    }
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg)
        return FALSE;
    switch (msg->message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    // A timer with a procedure goes to the procedure, window or not.
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    return sendWindowMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode)
{
    pendingQuit() = PendingQuit{true, exitCode};
}
