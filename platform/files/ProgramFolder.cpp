#include "platform/files/ProgramFolder.h"

#include <unistd.h>

std::string programFolder()
{
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (n <= 0)
        return ".";
    const std::string path(exe, size_t(n));
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}
