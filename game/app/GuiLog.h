#pragma once
// CEGUI's log, kept where the player's files are: CEGUI.log in the player
// folder. CEGUI's own logger writes into the working directory and refuses
// to start where it cannot (a game installed for the whole system); this one
// writes nowhere when its file cannot be opened, and the GUI starts anyway.
#include <CEGUI/Logger.h>

#include <fstream>
#include <string>

class GuiLog : public CEGUI::Logger {
public:
    // Opens `path` for the log, or writes nowhere when it cannot.
    explicit GuiLog(const std::string& path);

    void logEvent(const CEGUI::String& message, CEGUI::LoggingLevel level = CEGUI::Standard) override;
    void setLogFilename(const CEGUI::String& filename, bool append = false) override;

    bool writing() const { return m_file.is_open(); }

private:
    std::ofstream m_file;
};
