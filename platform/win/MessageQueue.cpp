#include "platform/win/MessageQueue.h"

#include "platform/win/SdlVideo.h"
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

// What Windows reports for a physical key: the virtual-key code in wParam and
// the set-1 scan code in lParam. The scan code is written as DirectInput's
// DIK_ code, whose bit 7 is Windows' extended-key flag, so the input code gets
// DIK_ codes back from lParam the way it would on Windows. Letters and digits
// are the US layout's, as SDL's scancodes are.
struct KeyCode {
    SDL_Scancode scancode;
    BYTE virtualKey;
    BYTE dik;
};

constexpr KeyCode kKeyCodes[] = {
    {SDL_SCANCODE_ESCAPE, 0x1B, 0x01},      {SDL_SCANCODE_1, '1', 0x02},
    {SDL_SCANCODE_2, '2', 0x03},            {SDL_SCANCODE_3, '3', 0x04},
    {SDL_SCANCODE_4, '4', 0x05},            {SDL_SCANCODE_5, '5', 0x06},
    {SDL_SCANCODE_6, '6', 0x07},            {SDL_SCANCODE_7, '7', 0x08},
    {SDL_SCANCODE_8, '8', 0x09},            {SDL_SCANCODE_9, '9', 0x0A},
    {SDL_SCANCODE_0, '0', 0x0B},            {SDL_SCANCODE_MINUS, 0xBD, 0x0C},
    {SDL_SCANCODE_EQUALS, 0xBB, 0x0D},      {SDL_SCANCODE_BACKSPACE, 0x08, 0x0E},
    {SDL_SCANCODE_TAB, 0x09, 0x0F},         {SDL_SCANCODE_Q, 'Q', 0x10},
    {SDL_SCANCODE_W, 'W', 0x11},            {SDL_SCANCODE_E, 'E', 0x12},
    {SDL_SCANCODE_R, 'R', 0x13},            {SDL_SCANCODE_T, 'T', 0x14},
    {SDL_SCANCODE_Y, 'Y', 0x15},            {SDL_SCANCODE_U, 'U', 0x16},
    {SDL_SCANCODE_I, 'I', 0x17},            {SDL_SCANCODE_O, 'O', 0x18},
    {SDL_SCANCODE_P, 'P', 0x19},            {SDL_SCANCODE_LEFTBRACKET, 0xDB, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD, 0x1B}, {SDL_SCANCODE_RETURN, 0x0D, 0x1C},
    {SDL_SCANCODE_LCTRL, 0x11, 0x1D},       {SDL_SCANCODE_A, 'A', 0x1E},
    {SDL_SCANCODE_S, 'S', 0x1F},            {SDL_SCANCODE_D, 'D', 0x20},
    {SDL_SCANCODE_F, 'F', 0x21},            {SDL_SCANCODE_G, 'G', 0x22},
    {SDL_SCANCODE_H, 'H', 0x23},            {SDL_SCANCODE_J, 'J', 0x24},
    {SDL_SCANCODE_K, 'K', 0x25},            {SDL_SCANCODE_L, 'L', 0x26},
    {SDL_SCANCODE_SEMICOLON, 0xBA, 0x27},   {SDL_SCANCODE_APOSTROPHE, 0xDE, 0x28},
    {SDL_SCANCODE_GRAVE, 0xC0, 0x29},       {SDL_SCANCODE_LSHIFT, 0x10, 0x2A},
    {SDL_SCANCODE_BACKSLASH, 0xDC, 0x2B},   {SDL_SCANCODE_Z, 'Z', 0x2C},
    {SDL_SCANCODE_X, 'X', 0x2D},            {SDL_SCANCODE_C, 'C', 0x2E},
    {SDL_SCANCODE_V, 'V', 0x2F},            {SDL_SCANCODE_B, 'B', 0x30},
    {SDL_SCANCODE_N, 'N', 0x31},            {SDL_SCANCODE_M, 'M', 0x32},
    {SDL_SCANCODE_COMMA, 0xBC, 0x33},       {SDL_SCANCODE_PERIOD, 0xBE, 0x34},
    {SDL_SCANCODE_SLASH, 0xBF, 0x35},       {SDL_SCANCODE_RSHIFT, 0x10, 0x36},
    {SDL_SCANCODE_KP_MULTIPLY, 0x6A, 0x37}, {SDL_SCANCODE_LALT, 0x12, 0x38},
    {SDL_SCANCODE_SPACE, 0x20, 0x39},       {SDL_SCANCODE_CAPSLOCK, 0x14, 0x3A},
    {SDL_SCANCODE_F1, 0x70, 0x3B},          {SDL_SCANCODE_F2, 0x71, 0x3C},
    {SDL_SCANCODE_F3, 0x72, 0x3D},          {SDL_SCANCODE_F4, 0x73, 0x3E},
    {SDL_SCANCODE_F5, 0x74, 0x3F},          {SDL_SCANCODE_F6, 0x75, 0x40},
    {SDL_SCANCODE_F7, 0x76, 0x41},          {SDL_SCANCODE_F8, 0x77, 0x42},
    {SDL_SCANCODE_F9, 0x78, 0x43},          {SDL_SCANCODE_F10, 0x79, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x90, 0x45}, {SDL_SCANCODE_SCROLLLOCK, 0x91, 0x46},
    {SDL_SCANCODE_KP_7, 0x67, 0x47},        {SDL_SCANCODE_KP_8, 0x68, 0x48},
    {SDL_SCANCODE_KP_9, 0x69, 0x49},        {SDL_SCANCODE_KP_MINUS, 0x6D, 0x4A},
    {SDL_SCANCODE_KP_4, 0x64, 0x4B},        {SDL_SCANCODE_KP_5, 0x65, 0x4C},
    {SDL_SCANCODE_KP_6, 0x66, 0x4D},        {SDL_SCANCODE_KP_PLUS, 0x6B, 0x4E},
    {SDL_SCANCODE_KP_1, 0x61, 0x4F},        {SDL_SCANCODE_KP_2, 0x62, 0x50},
    {SDL_SCANCODE_KP_3, 0x63, 0x51},        {SDL_SCANCODE_KP_0, 0x60, 0x52},
    {SDL_SCANCODE_KP_PERIOD, 0x6E, 0x53},   {SDL_SCANCODE_NONUSBACKSLASH, 0xE2, 0x56},
    {SDL_SCANCODE_F11, 0x7A, 0x57},         {SDL_SCANCODE_F12, 0x7B, 0x58},
    {SDL_SCANCODE_F13, 0x7C, 0x64},         {SDL_SCANCODE_F14, 0x7D, 0x65},
    {SDL_SCANCODE_F15, 0x7E, 0x66},         {SDL_SCANCODE_KP_ENTER, 0x0D, 0x9C},
    {SDL_SCANCODE_RCTRL, 0x11, 0x9D},       {SDL_SCANCODE_KP_DIVIDE, 0x6F, 0xB5},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C, 0xB7}, {SDL_SCANCODE_RALT, 0x12, 0xB8},
    {SDL_SCANCODE_PAUSE, 0x13, 0xC5},       {SDL_SCANCODE_HOME, 0x24, 0xC7},
    {SDL_SCANCODE_UP, 0x26, 0xC8},          {SDL_SCANCODE_PAGEUP, 0x21, 0xC9},
    {SDL_SCANCODE_LEFT, 0x25, 0xCB},        {SDL_SCANCODE_RIGHT, 0x27, 0xCD},
    {SDL_SCANCODE_END, 0x23, 0xCF},         {SDL_SCANCODE_DOWN, 0x28, 0xD0},
    {SDL_SCANCODE_PAGEDOWN, 0x22, 0xD1},    {SDL_SCANCODE_INSERT, 0x2D, 0xD2},
    {SDL_SCANCODE_DELETE, 0x2E, 0xD3},      {SDL_SCANCODE_LGUI, 0x5B, 0xDB},
    {SDL_SCANCODE_RGUI, 0x5C, 0xDC},        {SDL_SCANCODE_APPLICATION, 0x5D, 0xDD},
    {SDL_SCANCODE_SLEEP, 0x5F, 0xDF},
};

const KeyCode* findKeyCode(SDL_Scancode scancode)
{
    for (const KeyCode& key : kKeyCodes)
        if (key.scancode == scancode)
            return &key;
    return nullptr;
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
        SDL_WaitEventTimeout(nullptr, 100);
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
    if (!msg || !msg->hwnd)
        return 0;
    return sendWindowMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode)
{
    pendingQuit() = PendingQuit{true, exitCode};
}
