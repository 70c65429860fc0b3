// The game program. The menu and the race are made here, where every part of
// the game is linked; the application only knows their interfaces.
#include "game/app/WinMain.h"
#include "game/menu/Menu.h"
#include "game/race/Race.h"
#include "platform/crash/CrashDump.h"
#include "platform/win/SdlVideo.h"

int main(int argc, char** argv)
{
    installCrashSignalHandlers();
    // A close request (Ctrl+C, a session's end) that comes before the window
    // layer is up waits for it, and then closes the windows like any other.
    holdCloseRequests();
    programStages().makeMenu = [](Application* application, Renderer* renderer, WinInput* input) {
        return new Menu(application, renderer, input);
    };
    programStages().makeRace = [](Application* application, Renderer* renderer) -> RaceStage* {
        return new Race(application, renderer);
    };
    return WinMain(nullptr, nullptr, argc > 1 ? argv[1] : nullptr, 1);
}
