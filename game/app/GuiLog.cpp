#include "game/app/GuiLog.h"

#include <ctime>

GuiLog::GuiLog(const std::string& path)
{
    if (!path.empty())
        m_file.open(path, std::ios::out | std::ios::trunc);
}

void GuiLog::logEvent(const CEGUI::String& message, CEGUI::LoggingLevel level)
{
    if (!m_file.is_open() || level > getLoggingLevel())
        return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%d/%m/%Y %H:%M:%S", &local);
    static const char* const kinds[] = {"(Error)", "(Warn) ", "(Std)  ", "(Info) ", "(Insan)"};
    const int kind = level >= CEGUI::Errors && level <= CEGUI::Insane ? int(level) : int(CEGUI::Standard);
    m_file << stamp << ' ' << kinds[kind] << '\t' << message.c_str() << '\n';
    // What went wrong reaches the file even if the program dies next.
    if (level <= CEGUI::Warnings)
        m_file.flush();
}

void GuiLog::setLogFilename(const CEGUI::String& filename, bool append)
{
    m_file.close();
    m_file.clear();
    m_file.open(filename.c_str(), std::ios::out | (append ? std::ios::app : std::ios::trunc));
}
