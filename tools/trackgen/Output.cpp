#include "tools/trackgen/Output.h"

#include "tools/lib/EntryPath.h"

#include <fstream>

namespace track {

void Output::add(const std::string& entry, std::vector<uint8_t> bytes) { m_files.emplace_back(entry, std::move(bytes)); }

void Output::add(const std::string& entry, const std::string& text)
{
    m_files.emplace_back(entry, std::vector<uint8_t>(text.begin(), text.end()));
}

size_t Output::totalBytes() const
{
    size_t n = 0;
    for (const auto& f : m_files)
        n += f.second.size();
    return n;
}

std::filesystem::path Output::pathOf(const std::filesystem::path& root, const std::string& entry)
{
    return root / hostPathOfEntry(entry);
}

bool Output::write(const std::filesystem::path& root, const std::vector<std::string>& stale, std::string& error) const
{
    std::error_code ec;
    for (const std::string& entry : stale)
        std::filesystem::remove_all(pathOf(root, entry), ec);
    std::vector<std::filesystem::path> written;
    for (const auto& [entry, bytes] : m_files) {
        const std::filesystem::path path = pathOf(root, entry);
        std::filesystem::create_directories(path.parent_path(), ec);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + path.string();
            for (const auto& p : written)
                std::filesystem::remove(p, ec);
            std::filesystem::remove(path, ec);
            return false;
        }
        written.push_back(path);
    }
    return true;
}

} // namespace track
