#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace track {

// The files of one run, held until everything is made: a level that fails
// half-way writes nothing.
class Output {
public:
    void add(const std::string& entry, std::vector<uint8_t> bytes);
    void add(const std::string& entry, const std::string& text);
    // Removes `stale` (files or whole folders below `root`), then writes
    // every file under `root` by its entry name. On a failure whatever was
    // written is removed again; false with `error`.
    bool write(const std::filesystem::path& root, const std::vector<std::string>& stale, std::string& error) const;
    size_t totalBytes() const;

    // The file that holds an entry ("D:\Zoprax9\levels\x.lws" or
    // "D:\Zoprax9/levels/x.lws") below `root`; an absolute path stays itself.
    static std::filesystem::path pathOf(const std::filesystem::path& root, const std::string& entry);

private:
    std::vector<std::pair<std::string, std::vector<uint8_t>>> m_files;
};

} // namespace track
