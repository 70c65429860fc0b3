#pragma once
#include "game/app/Input.h"

class GuiInputSink;

// The main window's keyboard and mouse messages turned into the polled
// state of Input and, unless the GUI is blocked, forwarded to the GUI.
class WinInput : public Input {
public:
    // The window timer that notices a resting mouse.
    static constexpr UINT_PTR kPositionTimer = 0xDEAD;
    static constexpr UINT kPositionTimerMs = 250;

    explicit WinInput(GuiInputSink* gui = nullptr);
    ~WinInput() override;

    bool attach(HWND window) override;
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Virtual key to DIK_ code; 0xFF for keys without one.
    uint8_t m_keyTable[256];
    HWND m_window = nullptr;
    // Set by the menu's fades: nothing reaches the GUI while it is set.
    uint8_t m_guiBlocked = 0;

    // Whether the last known mouse position may start a movement delta.
    static uint8_t s_positionValid;
    // The button states the GUI was last told.
    static uint8_t s_previousLeft;
    static uint8_t s_previousRight;

    // The resting-mouse check the position timer runs.
    static void positionCheck(HWND window, UINT message, UINT_PTR id, DWORD time);

private:
    void buildKeyTable();
    void wheelStep(WPARAM wParam);
    void buttonStep(WPARAM wParam);
    uint32_t scanCodeOf(WPARAM wParam, LPARAM lParam) const;

    GuiInputSink* m_gui;
};
