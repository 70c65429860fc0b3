#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// The player's files in a folder of the run's own, made current while the
// benchmark runs and gone afterwards. `name` tells the runs apart.
class PlayerHome {
public:
    explicit PlayerHome(const std::string& name) : m_previous(std::filesystem::current_path())
    {
        m_home = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()));
        setenv("VORLUND_HOME", m_home.string().c_str(), 1);
        std::filesystem::create_directories(m_home);
        std::filesystem::current_path(m_home);
    }
    ~PlayerHome()
    {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_home);
    }

private:
    std::filesystem::path m_previous, m_home;
};
