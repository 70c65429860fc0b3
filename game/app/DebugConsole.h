#pragma once
#include <string>

class Race;

// The race's debug console. This is its outline: the operations the race
// calls, doing nothing; the console stays closed. Its window, commands and
// watch list are filled in later.
class DebugConsole {
public:
    // The owner is the race the commands act on.
    explicit DebugConsole(Race* owner) {}

    bool isOpen() const { return false; }
    void addWatch(const std::string& name) {}
    void setWatch(const std::string& name, const std::string& value) {}
    // Once per frame, after the watches were set.
    void update() {}
};
