// The console's window: the watch list, the log, the command line with its
// history, and showing and hiding. The commands are in
// DebugConsoleCommands.cpp.
#include "game/app/DebugConsole.h"

#include "game/app/Application.h"
#include "game/app/Gui.h"
#include "game/race/Race.h"

#include <CEGUI/InputEvent.h>
#include <CEGUI/WindowManager.h>
#include <CEGUI/widgets/Editbox.h>
#include <CEGUI/widgets/FrameWindow.h>
#include <CEGUI/widgets/MultiColumnList.h>
#include <CEGUI/widgets/MultiLineEditbox.h>
#include <CEGUI/widgets/PushButton.h>

#include <cstdio>

namespace {

constexpr const char* kWelcome = "Welcome!\nType \"help\" for help.";

// Key codes of the history keys.
constexpr uint32_t kKeyUp = 200;
constexpr uint32_t kKeyDown = 208;

template <typename T>
T* child(CEGUI::Window* root, const std::string& path)
{
    CEGUI::Window* w = gui::find(root, path);
    T* typed = dynamic_cast<T*>(w);
    if (!typed)
        CEGUI_THROW(CEGUI::UnknownObjectException("DebugConsole.layout's " + gui::text(path) +
                                                  " is not of the kind the console needs"));
    return typed;
}

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

} // namespace

DebugConsole::WatchItem::WatchItem(const std::string& text) : CEGUI::ListboxTextItem(gui::text(text))
{
    setSelectionBrushImage("Speed/GenericBrush");
}

DebugConsole::DebugConsole(Race* owner) : m_race(owner)
{
    m_logLines = {"Welcome!", "Type \"help\" for help."};
    m_logText = kWelcome;
    const Application* app = owner ? owner->m_app : nullptr;
    if (!app || !app->m_guiSystem || !app->m_rootWindow)
        return;
    CEGUI_TRY
    {
        buildWindows();
    }
    CEGUI_CATCH(...)
    {
        if (m_frame)
            CEGUI::WindowManager::getSingleton().destroyWindow(m_frame);
        m_frame = nullptr;
        CEGUI_RETHROW;
    }
    app->m_rootWindow->addChild(m_frame);
}

void DebugConsole::buildWindows()
{
    CEGUI::Window* root = gui::loadLayout("DebugConsole.layout");
    m_frame = dynamic_cast<CEGUI::FrameWindow*>(root);
    if (!m_frame) {
        CEGUI::WindowManager::getSingleton().destroyWindow(root);
        CEGUI_THROW(CEGUI::UnknownObjectException("DebugConsole.layout's root is not a frame window"));
    }
    if (m_frame->getName() != "DlgDebugConsole")
        CEGUI_THROW(CEGUI::UnknownObjectException("DebugConsole.layout's root is not named DlgDebugConsole"));
    m_watchList = child<CEGUI::MultiColumnList>(m_frame, "DlgDebugConsole/MclValue");
    m_log = child<CEGUI::MultiLineEditbox>(m_frame, "DlgDebugConsole/EdtMessage");
    m_command = child<CEGUI::Editbox>(m_frame, "DlgDebugConsole/EdtCommand");

    m_frame->setProperty("AlwaysOnTop", "true");
    m_frame->hide();
    m_frame->disable();
    m_frame->subscribeEvent(CEGUI::FrameWindow::EventCloseClicked,
                            CEGUI::Event::Subscriber(&DebugConsole::onClose, this));
    m_frame->subscribeEvent(CEGUI::Window::EventActivated, CEGUI::Event::Subscriber(&DebugConsole::onActivated, this));
    m_frame->subscribeEvent(CEGUI::Window::EventDeactivated,
                            CEGUI::Event::Subscriber(&DebugConsole::onDeactivated, this));
    m_watchList->addColumn("Name", 0, CEGUI::UDim(0.3f, 0.0f));
    m_watchList->addColumn("Value", 1, CEGUI::UDim(0.3f, 0.0f));
    m_watchList->setSelectionMode(CEGUI::MultiColumnList::RowMultiple);
    m_log->setReadOnly(true);
    m_log->setText(kWelcome);
    m_command->subscribeEvent(CEGUI::Editbox::EventTextAccepted, CEGUI::Event::Subscriber(&DebugConsole::execute, this));
    m_command->subscribeEvent(CEGUI::Window::EventKeyDown, CEGUI::Event::Subscriber(&DebugConsole::onKeyDown, this));
}

DebugConsole::~DebugConsole()
{
    CEGUI::WindowManager* windows = CEGUI::WindowManager::getSingletonPtr();
    if (m_frame && windows)
        windows->destroyWindow(m_frame);
    m_history.clear();
    m_rows.clear();
}

CEGUI::Window* DebugConsole::frame() const
{
    return m_frame;
}

void DebugConsole::print(const std::string& text)
{
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\n', start);
        m_logLines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (m_logLines.size() > kLogLines)
        m_logLines.erase(m_logLines.begin(), m_logLines.end() - ptrdiff_t(kLogLines));
    showLog();
}

void DebugConsole::showLog()
{
    m_logText.clear();
    for (const std::string& line : m_logLines) {
        if (!m_logText.empty())
            m_logText += '\n';
        m_logText += line;
    }
    if (!m_log)
        return;
    m_log->setText(gui::text(m_logText));
    m_log->setCaretIndex(m_log->getText().length());
    m_log->ensureCaretIsVisible();
}

void DebugConsole::clear()
{
    m_logLines.clear();
    m_history.clear();
    m_historyPos = 0;
    showLog();
}

int32_t DebugConsole::addWatch(const std::string& name, const std::string& value)
{
    const int32_t row = int32_t(m_values.size());
    m_values.push_back(value);
    if (m_watchList) {
        auto* nameItem = new WatchItem(name);
        auto* valueItem = new WatchItem(value);
        const CEGUI::uint listRow = m_watchList->addRow();
        m_watchList->setItem(nameItem, 0, listRow);
        m_watchList->setItem(valueItem, 1, listRow);
        m_rows.emplace_back(nameItem, valueItem);
    }
    return row;
}

int32_t DebugConsole::addWatchInt(const std::string& name, int32_t value)
{
    return addWatch(name, std::to_string(value));
}

int32_t DebugConsole::addWatchFloat(const std::string& name, float value)
{
    return addWatch(name, format("%f", double(value)));
}

void DebugConsole::setWatch(int32_t row, const std::string& value)
{
    if (row < 0 || size_t(row) >= m_values.size())
        return;
    m_values[size_t(row)] = value;
    if (size_t(row) < m_rows.size())
        m_rows[size_t(row)].second->setText(gui::text(value));
}

void DebugConsole::setWatchInt(int32_t row, int32_t value)
{
    setWatch(row, std::to_string(value));
}

void DebugConsole::setWatchFloat(int32_t row, float value)
{
    setWatch(row, format("%f", double(value)));
}

const std::string& DebugConsole::watchText(int32_t row) const
{
    static const std::string none;
    return row >= 0 && size_t(row) < m_values.size() ? m_values[size_t(row)] : none;
}

void DebugConsole::refreshWatches()
{
    if (isVisible())
        m_watchList->invalidate();
}

bool DebugConsole::isVisible() const
{
    return m_frame && m_frame->isVisible();
}

void DebugConsole::setVisible(bool show)
{
    if (!m_frame)
        return;
    if (show) {
        m_frame->show();
        m_frame->enable();
        m_frame->activate();
        m_command->activate();
    } else {
        m_frame->hide();
        m_frame->disable();
    }
}

bool DebugConsole::onClose(const CEGUI::EventArgs&)
{
    setVisible(false);
    return true;
}

bool DebugConsole::onActivated(const CEGUI::EventArgs&)
{
    m_frame->setAlpha(1.0f);
    m_command->activate();
    return true;
}

bool DebugConsole::onDeactivated(const CEGUI::EventArgs&)
{
    m_frame->setAlpha(0.7f);
    return true;
}

bool DebugConsole::onKeyDown(const CEGUI::EventArgs& e)
{
    const auto& key = static_cast<const CEGUI::KeyEventArgs&>(e);
    if ((key.scancode != kKeyUp && key.scancode != kKeyDown) || m_history.empty())
        return false;
    m_historyPos = std::min(m_historyPos, m_history.size() - 1);
    if (key.scancode == kKeyUp) {
        m_command->setText(gui::text(m_history[m_historyPos]));
        m_command->setCaretIndex(m_command->getText().length());
        if (m_historyPos + 1 < m_history.size())
            ++m_historyPos;
    } else {
        if (m_historyPos > 0)
            --m_historyPos;
        m_command->setText(gui::text(m_history[m_historyPos]));
        m_command->setCaretIndex(m_command->getText().length());
    }
    return true;
}

bool DebugConsole::execute(const CEGUI::EventArgs&)
{
    if (m_command) {
        const std::string line = m_command->getText().c_str();
        run(line);
        m_command->setText("");
    }
    return true;
}

void DebugConsole::run(const std::string& line)
{
    if (!line.empty()) {
        m_historyPos = std::min(m_historyPos, m_history.size());
        m_history.insert(m_history.begin() + ptrdiff_t(m_historyPos), line);
        print("> " + line);
    }
    const std::vector<std::string> words = tokenize(line);
    if (!words.empty())
        runCommand(words);
}

std::vector<std::string> DebugConsole::tokenize(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}
