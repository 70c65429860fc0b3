#include "platform/files/PlayerFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool nonEmpty(const char* value)
{
    return value && value[0];
}

// mkdir -p: every missing component, owner-only like other per-user data.
bool makeFolders(const std::string& folder)
{
    if (folder.empty())
        return true;
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/')
            continue;
        std::string part = folder.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool writeAll(int fd, const void* bytes, size_t count)
{
    const char* at = static_cast<const char*>(bytes);
    while (count > 0) {
        ssize_t done = write(fd, at, count);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        at += done;
        count -= size_t(done);
    }
    return true;
}

} // namespace

std::string playerFolder()
{
    if (const char* home = std::getenv("VORLUND_HOME"); nonEmpty(home))
        return home;
    if (const char* data = std::getenv("XDG_DATA_HOME"); nonEmpty(data))
        return std::string(data) + "/vorlund";
    const char* home = std::getenv("HOME");
    return std::string(nonEmpty(home) ? home : ".") + "/.local/share/vorlund";
}

std::string playerFilePath(const char* name)
{
    return playerFolder() + "/" + name;
}

bool fileExists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes)
{
    bytes.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && uint64_t(info.st_size) <= maxBytes;
    if (ok) {
        bytes.resize(size_t(info.st_size));
        size_t have = 0;
        while (have < bytes.size()) {
            ssize_t got = read(fd, bytes.data() + have, bytes.size() - have);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            have += size_t(got);
        }
        // A file that shrank while we read it is not the file we measured.
        ok = have == bytes.size();
    }
    close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

bool replaceFile(const std::string& path, const void* bytes, size_t count)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (!makeFolders(folder))
        return false;
    std::string temp = path + ".tmp-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes, count) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself is durable only once the folder is flushed.
    if (int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

bool keepBackup(const std::string& path, std::string* kept)
{
    if (!fileExists(path))
        return false;
    std::string copy = path + ".bak";
    for (int n = 2; n <= kKeptDamagedCopies && fileExists(copy); ++n)
        copy = path + ".bak." + std::to_string(n);
    if (rename(path.c_str(), copy.c_str()) != 0)
        return false;
    if (kept)
        *kept = copy;
    return true;
}

bool playerFolderWritable(std::string& why)
{
    const std::string folder = playerFolder();
    if (!makeFolders(folder)) {
        struct stat info {};
        why = stat(folder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) ? "it is not a folder"
                                                                         : std::strerror(errno);
        return false;
    }
    std::string probe = folder + "/.write-test-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    close(fd);
    unlink(probe.c_str());
    return true;
}
