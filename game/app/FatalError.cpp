#include "game/app/FatalError.h"

#include "engine/core/base/EngineLog.h"
#include "platform/win/MessageBox.h"

namespace {

std::string& kept()
{
    static std::string message;
    return message;
}

bool g_reported = false;

bool keep(const std::string& message)
{
    if (g_reported)
        return false;
    g_reported = true;
    kept() = message;
    engineLog() << "fatal: " << message << std::endl;
    return true;
}

} // namespace

void reportFatalError(const std::string& message)
{
    if (keep(message))
        MessageBoxA(nullptr, message.c_str(), "Vorlund", MB_OK | MB_ICONERROR);
}

void noteFatalErrorShown(const std::string& message)
{
    keep(message);
}

bool fatalErrorReported()
{
    return g_reported;
}

const std::string& fatalErrorMessage()
{
    return kept();
}

void clearFatalError()
{
    g_reported = false;
    kept().clear();
}
