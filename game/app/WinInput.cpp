#include "game/app/WinInput.h"

#include "engine/core/base/Report.h"
#include "game/app/GuiInputSink.h"
#include "platform/win/Cursor.h"
#include "platform/win/Keyboard.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Window.h"
#include "platform/win/WindowTimer.h"

#include <cstring>

uint8_t WinInput::s_positionValid = 0;
uint8_t WinInput::s_previousLeft = 0;
uint8_t WinInput::s_previousRight = 0;

namespace {

struct KeyEntry {
    BYTE virtualKey;
    uint8_t dik;
};

// Every key the game reads that is not a letter or a digit, with its
// DirectInput code.
constexpr KeyEntry kKeys[] = {
    {VK_BACK, 0x0E},      {VK_TAB, 0x0F},        {VK_RETURN, 0x1C},     {VK_SHIFT, 0x2A},
    {VK_CONTROL, 0x1D},   {VK_MENU, 0x38},       {VK_PAUSE, 0xC5},      {VK_CAPITAL, 0x3A},
    {VK_KANA, 0x70},      {VK_KANJI, 0x94},      {VK_ESCAPE, 0x01},     {VK_CONVERT, 0x79},
    {VK_NONCONVERT, 0x7B}, {VK_SPACE, 0x39},     {VK_PRIOR, 0xC9},      {VK_NEXT, 0xD1},
    {VK_END, 0xCF},       {VK_HOME, 0xC7},       {VK_LEFT, 0xCB},       {VK_UP, 0xC8},
    {VK_RIGHT, 0xCD},     {VK_DOWN, 0xD0},       {VK_PRINT, 0xB7},      {VK_INSERT, 0xD2},
    {VK_DELETE, 0xD3},    {VK_LWIN, 0xDB},       {VK_RWIN, 0xDC},       {VK_APPS, 0xDD},
    {VK_SLEEP, 0xDF},     {VK_NUMPAD0 + 0, 0x52}, {VK_NUMPAD0 + 1, 0x4F}, {VK_NUMPAD0 + 2, 0x50},
    {VK_NUMPAD0 + 3, 0x51}, {VK_NUMPAD0 + 4, 0x4B}, {VK_NUMPAD0 + 5, 0x4C}, {VK_NUMPAD0 + 6, 0x4D},
    {VK_NUMPAD0 + 7, 0x47}, {VK_NUMPAD0 + 8, 0x48}, {VK_NUMPAD0 + 9, 0x49}, {VK_MULTIPLY, 0x37},
    {VK_ADD, 0x4E},       {VK_SEPARATOR, 0x9C},  {VK_SUBTRACT, 0x4A},   {VK_DECIMAL, 0x53},
    {VK_DIVIDE, 0xB5},    {VK_F11, 0x57},        {VK_F12, 0x58},        {VK_NUMLOCK, 0x45},
    {VK_SCROLL, 0x46},    {VK_LSHIFT, 0x2A},     {VK_RSHIFT, 0x36},     {VK_LCONTROL, 0x1D},
    {VK_RCONTROL, 0x9D},  {VK_LMENU, 0x38},      {VK_RMENU, 0xB8},      {VK_OEM_1, 0x27},
    {VK_OEM_PLUS, 0x0D},  {VK_OEM_COMMA, 0x33},  {VK_OEM_MINUS, 0x0C},  {VK_OEM_PERIOD, 0x34},
    {VK_OEM_2, 0x35},     {VK_OEM_3, 0x29},      {VK_OEM_4, 0x1A},      {VK_OEM_5, 0x2B},
    {VK_OEM_6, 0x1B},     {VK_OEM_7, 0x28},      {VK_OEM_AX, 0x96},     {VK_OEM_102, 0x56},
};

constexpr LPARAM kExtendedBit = LPARAM(1) << 24;
constexpr LPARAM kPreviousStateBit = LPARAM(1) << 30;

} // namespace

WinInput::WinInput(GuiInputSink* gui) : m_gui(gui ? gui : &GuiInputSink::gui())
{
    Input::reset();
    buildKeyTable();
}

WinInput::~WinInput()
{
    if (m_window)
        KillTimer(m_window, kPositionTimer);
}

void WinInput::buildKeyTable()
{
    std::memset(m_keyTable, 0xFF, sizeof(m_keyTable));
    const HKL layout = GetKeyboardLayout(0);
    for (UINT key = '0'; key <= 'Z'; ++key) {
        if (key > '9' && key < 'A')
            continue;
        if (const UINT scan = MapVirtualKeyExA(key, MAPVK_VK_TO_VSC, layout))
            m_keyTable[key] = uint8_t(scan);
    }
    for (const KeyEntry& entry : kKeys)
        m_keyTable[entry.virtualKey] = entry.dik;
    for (UINT key = VK_F1; key <= VK_F10; ++key)
        m_keyTable[key] = uint8_t(0x3B + (key - VK_F1));
    for (UINT key = VK_F13; key <= VK_F15; ++key)
        m_keyTable[key] = uint8_t(0x64 + (key - VK_F13));
}

bool WinInput::attach(HWND window)
{
    // The first move after attaching only learns where the mouse is.
    s_positionValid = 0;
    SetTimer(window, kPositionTimer, kPositionTimerMs, &WinInput::positionCheck);
    m_window = window;
    return true;
}

uint32_t WinInput::scanCodeOf(WPARAM wParam, LPARAM lParam) const
{
    if (lParam & (LPARAM(0xF) << 24))
        return MapVirtualKeyA(UINT(wParam), MAPVK_VK_TO_VSC) | 0x80;
    return uint32_t((lParam >> 16) & 0xFF);
}

void WinInput::wheelStep(WPARAM wParam)
{
    m_wheel += int16_t(HIWORD(wParam));
    // The frame's whole count so far, in half notches.
    if (!m_guiBlocked)
        m_gui->injectMouseWheelChange(float(m_wheel / 60));
}

void WinInput::buttonStep(WPARAM wParam)
{
    m_leftButton = (wParam & MK_LBUTTON) ? 1 : 0;
    m_rightButton = (wParam & MK_RBUTTON) ? 1 : 0;
    m_middleButton = (wParam & MK_MBUTTON) ? 1 : 0;
    if (m_guiBlocked)
        return;
    if (m_leftButton && !s_previousLeft)
        m_gui->injectMouseButtonDown(GuiInputSink::LeftButton);
    else if (!m_leftButton && s_previousLeft)
        m_gui->injectMouseButtonUp(GuiInputSink::LeftButton);
    s_previousLeft = m_leftButton;
    if (m_rightButton && !s_previousRight)
        m_gui->injectMouseButtonDown(GuiInputSink::RightButton);
    else if (!m_rightButton && s_previousRight)
        m_gui->injectMouseButtonUp(GuiInputSink::RightButton);
    s_previousRight = m_rightButton;
}

LRESULT WinInput::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        if (wParam >= 256) {
            ENGINE_ASSERT(wParam < 256);
            break;
        }
        WPARAM key = wParam;
        if (lParam & kExtendedBit) {
            if (key == VK_CONTROL)
                key = VK_RCONTROL;
            else if (key == VK_MENU)
                key = VK_RMENU;
        }
        const uint32_t scan = scanCodeOf(wParam, lParam);
        if (message == WM_KEYDOWN) {
            // Auto-repeat leaves the flag alone but still reaches the GUI.
            if (!(lParam & kPreviousStateBit))
                m_keys[m_keyTable[key]] = 1;
            if (!m_guiBlocked)
                m_gui->injectKeyDown(scan);
        } else {
            m_keys[m_keyTable[key]] = 0;
            if (!m_guiBlocked)
                m_gui->injectKeyUp(scan);
        }
        break;
    }
    case WM_CHAR:
        m_lastChar = uint32_t(wParam);
        if (!m_guiBlocked)
            m_gui->injectChar(uint32_t(wParam));
        break;
    case WM_MOUSEMOVE: {
        const int32_t x = int16_t(LOWORD(uintptr_t(lParam)));
        const int32_t y = int16_t(HIWORD(uintptr_t(lParam)));
        if (s_positionValid) {
            m_mouseDeltaX += x - m_mouseX;
            m_mouseDeltaY += y - m_mouseY;
        }
        m_mouseX = x;
        m_mouseY = y;
        s_positionValid = 1;
        if (m_window)
            SetTimer(m_window, kPositionTimer, kPositionTimerMs, &WinInput::positionCheck);
        if (!m_guiBlocked)
            m_gui->injectMousePosition(float(x), float(y));
        wheelStep(wParam);
        buttonStep(wParam);
        break;
    }
    case WM_MOUSEWHEEL:
        wheelStep(wParam);
        buttonStep(wParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        buttonStep(wParam);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void WinInput::positionCheck(HWND window, UINT message, UINT_PTR id, DWORD time)
{
    s_positionValid = 0;
    // A cursor resting exactly at the window's centre keeps its position:
    // that is where a program parks a captured mouse.
    POINT cursor{};
    RECT client{};
    if (!GetCursorPos(&cursor) || WindowFromPoint(cursor) != window || !GetClientRect(window, &client))
        return;
    POINT topLeft{client.left, client.top}, bottomRight{client.right, client.bottom};
    ClientToScreen(window, &topLeft);
    ClientToScreen(window, &bottomRight);
    if (cursor.x == (topLeft.x + bottomRight.x) / 2 && cursor.y == (topLeft.y + bottomRight.y) / 2)
        s_positionValid = 1;
}
