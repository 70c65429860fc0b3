#pragma once
#include <CEGUI/widgets/ListboxTextItem.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class Race;
class Kart;
namespace CEGUI {
class EventArgs;
class Editbox;
class FrameWindow;
class MultiColumnList;
class MultiLineEditbox;
class Window;
} // namespace CEGUI

// The race's developer console: a frame window ("DebugConsole.layout") with
// a list of named live values the race sets every frame, a log, and a
// command line whose commands tune the cameras, the contact parameters and
// one selected kart's physics, switch renderer debug drawing and collision
// meshes, and force race outcomes (DebugConsoleCommands.cpp). Created hidden
// and disabled; the race shows it on the key left of 1.
//
// Without the application's GUI the console has no windows: commands still
// run (tests type them through run()) and the log is kept as text.
class DebugConsole {
public:
    // One cell of the watch list; the list owns it.
    class WatchItem : public CEGUI::ListboxTextItem {
    public:
        explicit WatchItem(const std::string& text);
    };

    // The log keeps this many lines; older ones scroll away.
    static constexpr size_t kLogLines = 400;

    // The owner is the race the commands act on. With a GUI, a layout that
    // does not load or lacks a window throws the GUI library's exception.
    explicit DebugConsole(Race* owner);
    ~DebugConsole();
    DebugConsole(const DebugConsole&) = delete;
    DebugConsole& operator=(const DebugConsole&) = delete;

    // Appends a line (or several) to the log and scrolls to it.
    void print(const std::string& text);
    // Each answers the new watch's row.
    int32_t addWatch(const std::string& name, const std::string& value);
    int32_t addWatchInt(const std::string& name, int32_t value);
    int32_t addWatchFloat(const std::string& name, float value);
    // A row that does not exist is ignored.
    void setWatch(int32_t row, const std::string& value);
    void setWatchInt(int32_t row, int32_t value);
    void setWatchFloat(int32_t row, float value);
    // Once per frame, after the watches were set: redraws them while shown.
    void refreshWatches();
    bool isVisible() const;
    // Shown: visible, enabled, active, typing into the command line.
    void setVisible(bool show);

    // The command line accepted: runs it, then empties it.
    bool execute(const CEGUI::EventArgs& e);
    // Runs one command line as if it had been typed and accepted.
    void run(const std::string& line);
    // The words of a command line: blanks part them, double quotes keep
    // blanks inside a word and are dropped.
    static std::vector<std::string> tokenize(const std::string& line);

    const std::string& log() const { return m_logText; }
    const std::string& watchText(int32_t row) const;
    const std::vector<std::string>& history() const { return m_history; }
    CEGUI::Window* frame() const;

private:
    bool onClose(const CEGUI::EventArgs& e);
    bool onActivated(const CEGUI::EventArgs& e);
    bool onDeactivated(const CEGUI::EventArgs& e);
    bool onKeyDown(const CEGUI::EventArgs& e);
    void buildWindows();
    void clear();
    void showLog();
    // The command table (DebugConsoleCommands.cpp).
    void runCommand(const std::vector<std::string>& words);

    CEGUI::FrameWindow* m_frame = nullptr;
    CEGUI::MultiColumnList* m_watchList = nullptr;
    CEGUI::MultiLineEditbox* m_log = nullptr;
    CEGUI::Editbox* m_command = nullptr;
    std::vector<std::pair<WatchItem*, WatchItem*>> m_rows;
    // The values of the rows, also without a GUI.
    std::vector<std::string> m_values;
    Race* m_race;
    // Newest first; the position is where the history keys stand.
    std::vector<std::string> m_history;
    size_t m_historyPos = 0;
    std::vector<std::string> m_logLines;
    std::string m_logText;
};
