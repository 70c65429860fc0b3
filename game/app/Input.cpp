#include "game/app/Input.h"

#include <cstring>

Input::Input()
{
    Input::reset();
}

bool Input::attach(HWND window)
{
    return true;
}

void Input::reset()
{
    m_mouseDeltaX = m_mouseDeltaY = 0;
    m_wheel = 0;
    m_mouseX = m_mouseY = 0;
    m_leftButton = m_rightButton = m_middleButton = 0;
    std::memset(m_keys, 0, sizeof(m_keys));
    m_lastChar = 255;
}

bool Input::endFrame()
{
    m_mouseDeltaX = m_mouseDeltaY = 0;
    m_wheel = 0;
    return true;
}

void Input::setWindowSize(int32_t width, int32_t height)
{
}
