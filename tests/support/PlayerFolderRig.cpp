#include "PlayerFolderRig.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

PlayerFolderRig::PlayerFolderRig()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vorlund-player-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_root = pattern;
    // The game creates the folder on its first save: start without it.
    m_folder = m_root / "home";
    if (const char* previous = std::getenv("VORLUND_HOME")) {
        m_previous = previous;
        m_hadPrevious = true;
    }
    setenv("VORLUND_HOME", m_folder.c_str(), 1);
}

PlayerFolderRig::~PlayerFolderRig()
{
    if (m_hadPrevious)
        setenv("VORLUND_HOME", m_previous.c_str(), 1);
    else
        unsetenv("VORLUND_HOME");
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void PlayerFolderRig::write(const char* name, const std::string& bytes) const
{
    std::filesystem::create_directories(m_folder);
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string PlayerFolderRig::read(const char* name) const
{
    std::ifstream in(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
