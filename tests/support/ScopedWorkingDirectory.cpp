#include "ScopedWorkingDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& name)
{
    namespace fs = std::filesystem;
    m_previous = fs::current_path().string();
    m_path = ::testing::TempDir() + name + "-" + std::to_string(getpid());
    fs::remove_all(m_path);
    fs::create_directories(m_path);
    fs::current_path(m_path);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::current_path(m_previous, ec);
    fs::remove_all(m_path, ec);
}
