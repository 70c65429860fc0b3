#include "engine/core/io/DiskFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string toHostSeparators(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool isRegularFile(const fs::path& p)
{
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// Walks the path one component at a time, taking the exact component when it
// exists and otherwise the first directory entry equal to it ignoring case.
std::string matchIgnoringCase(const std::string& hostPath)
{
    fs::path path(hostPath);
    fs::path current = path.is_absolute() ? path.root_path() : fs::path();
    for (const fs::path& part : path.relative_path()) {
        const std::string want = part.string();
        if (want.empty() || want == "." || want == "..") {
            current /= part;
            continue;
        }
        const fs::path exact = current / part;
        std::error_code ec;
        if (fs::exists(exact, ec)) {
            current = exact;
            continue;
        }
        const fs::path dir = current.empty() ? fs::path(".") : current;
        fs::directory_iterator it(dir, ec), end;
        bool found = false;
        for (; !ec && it != end; it.increment(ec)) {
            const std::string candidate = it->path().filename().string();
            if (equalsIgnoringCase(candidate, want)) {
                current /= candidate;
                found = true;
                break;
            }
        }
        if (!found)
            return {};
    }
    return current.string();
}

} // namespace

DiskFile::DiskFile(const char* searchPath) : m_searchPath(searchPath ? searchPath : "") {}

DiskFile::~DiskFile()
{
    close();
}

std::unique_ptr<Stream> DiskFile::clone() const
{
    return std::make_unique<DiskFile>(m_searchPath.c_str());
}

bool DiskFile::exists(const char* name)
{
    // Always the fixed search path, whatever this object was configured with.
    DiskFile probe(".\\;..\\");
    return probe.openRead(name);
}

std::string DiskFile::resolveHostPath(const std::string& windowsName)
{
    const std::string host = toHostSeparators(windowsName);
    if (host.empty())
        return {};
    if (isRegularFile(host))
        return host;
    std::string matched = matchIgnoringCase(host);
    if (!matched.empty() && isRegularFile(matched))
        return matched;
    return {};
}

bool DiskFile::openHost(const std::string& windowsName)
{
    const std::string host = resolveHostPath(windowsName);
    if (host.empty())
        return false;
    m_handle = std::fopen(host.c_str(), "rb");
    return m_handle != nullptr;
}

bool DiskFile::openRead(const char* name)
{
    if (m_handle || !name)
        return false;
    std::string wanted(name);
    bool opened = openHost(wanted);
    if (!opened) {
        // A drive prefix means nothing here: strip through the last ':' and
        // try the name behind each search-path entry (no separator inserted).
        const size_t colon = wanted.rfind(':');
        if (colon != std::string::npos)
            wanted.erase(0, colon + 1);
        size_t start = 0;
        while (!opened && start <= m_searchPath.size()) {
            size_t end = m_searchPath.find(';', start);
            if (end == std::string::npos)
                end = m_searchPath.size();
            if (end > start)
                opened = openHost(m_searchPath.substr(start, end - start) + wanted);
            start = end + 1;
        }
    }
    if (!opened)
        return false;
    std::fseek(m_handle, 0, SEEK_END);
    const long size = std::ftell(m_handle);
    std::fseek(m_handle, 0, SEEK_SET);
    length = size > 0 && size <= 0xFFFFFFFFL ? uint32_t(size) : 0;
    return true;
}

bool DiskFile::openWrite(const char* name)
{
    if (m_handle || !name)
        return false;
    // Windows would write over the file or into the directory that differs
    // only in case; making a second one beside it would split the data.
    std::string host = resolveHostPath(name);
    if (host.empty()) {
        fs::path path(toHostSeparators(name));
        std::error_code ec;
        if (path.has_parent_path() && !fs::is_directory(path.parent_path(), ec)) {
            const std::string dir = matchIgnoringCase(path.parent_path().string());
            if (!dir.empty())
                path = fs::path(dir) / path.filename();
        }
        host = path.string();
    }
    m_handle = std::fopen(host.c_str(), "wb");
    length = 0;
    return m_handle != nullptr;
}

bool DiskFile::close()
{
    if (!m_handle)
        return false;
    std::fclose(m_handle);
    m_handle = nullptr;
    length = 0;
    return true;
}

uint32_t DiskFile::read(void* dest, uint32_t count)
{
    if (!m_handle || !dest || count == 0)
        return 0;
    return uint32_t(std::fread(dest, 1, count, m_handle));
}

uint32_t DiskFile::write(const void* src, uint32_t count)
{
    if (!m_handle || !src || count == 0)
        return 0;
    const uint32_t written = uint32_t(std::fwrite(src, 1, count, m_handle));
    length += written;
    return written;
}

bool DiskFile::seekSet(uint32_t position)
{
    return m_handle && std::fseek(m_handle, long(position), SEEK_SET) == 0;
}

bool DiskFile::seekCur(int32_t delta)
{
    return m_handle && std::fseek(m_handle, long(delta), SEEK_CUR) == 0;
}

uint32_t DiskFile::tell()
{
    if (!m_handle)
        return 0;
    const long p = std::ftell(m_handle);
    return p < 0 ? 0 : uint32_t(p);
}
