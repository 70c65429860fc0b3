#pragma once
#include "platform/win/WinTypes.h"

#include <cstdint>

// The polled keyboard and mouse state that the race and the menus read each
// frame: keys by DirectInput scan code, the mouse's movement, wheel,
// position and buttons, and the last character typed.
class Input {
public:
    Input();
    virtual ~Input() = default;

    virtual bool attach(HWND window);
    // Clears deltas, wheel, position, buttons and every key; no character.
    virtual void reset();
    virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // After every frame: the movement and wheel count per frame.
    virtual bool endFrame();
    virtual void setWindowSize(int32_t width, int32_t height);

    // Pixels moved during the current frame.
    int32_t m_mouseDeltaX = 0;
    int32_t m_mouseDeltaY = 0;
    // The frame's wheel movement, 120 per notch.
    int32_t m_wheel = 0;
    int32_t m_mouseX = 0;
    int32_t m_mouseY = 0;
    uint8_t m_leftButton = 0;
    uint8_t m_rightButton = 0;
    uint8_t m_middleButton = 0;
    // By DIK_ code. Keys without a code land in entry 255, which no reader uses.
    uint8_t m_keys[256] = {};
    uint32_t m_lastChar = 255;
};
