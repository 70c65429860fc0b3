#pragma once
// A fresh, empty player folder for one test: $VORLUND_HOME points at a new
// temporary directory for the rig's lifetime and is restored afterwards.
#include <filesystem>
#include <string>

class PlayerFolderRig {
public:
    PlayerFolderRig();
    ~PlayerFolderRig();
    PlayerFolderRig(const PlayerFolderRig&) = delete;
    PlayerFolderRig& operator=(const PlayerFolderRig&) = delete;

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path file(const char* name) const { return m_folder / name; }
    void write(const char* name, const std::string& bytes) const;
    std::string read(const char* name) const;

private:
    std::filesystem::path m_root;
    std::filesystem::path m_folder;
    std::string m_previous;
    bool m_hadPrevious = false;
};
