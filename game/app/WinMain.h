#pragma once
#include "game/app/GameStage.h"
#include "platform/win/WinTypes.h"

class Renderer;
class WinInput;

// The program: start-up, the main loop and shut-down. Answers 0 when the
// game ran and ended normally, 1 when it could not start (the message said
// why) or a frame failed.
int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

// The main window class's procedure.
LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The makers of the menu and the race that the application will use; set
// by the program's main before WinMain runs.
StageMakers& programStages();

// Published for the whole run by WinMain.
extern Renderer* g_renderer;
extern WinInput* g_input;
// The class cursor in a window, none in full screen.
extern HCURSOR g_cursor;
