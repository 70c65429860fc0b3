#include "tools/lib/EntryPath.h"

#include <algorithm>

namespace {

bool isDriveLetter(char c)
{
    return c >= 'A' && c <= 'Z';
}

} // namespace

std::string hostPathOfEntry(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.size() > 3 && isDriveLetter(name[0]) && name[1] == ':' && name[2] == '/')
        name.erase(1, 1);
    return name;
}

std::string entryOfHostPath(std::string path)
{
    if (path.size() > 2 && isDriveLetter(path[0]) && path[1] == '/')
        path.insert(1, 1, ':');
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}
