#pragma once
#include <string>

// Runs a test in a fresh, empty working directory of its own and returns to
// the previous one afterwards.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& name);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_previous;
    std::string m_path;
};
