#include "platform/win/ComputerName.h"

#include <cstring>
#include <unistd.h>

BOOL GetComputerNameA(LPSTR buffer, DWORD* size)
{
    if (!size)
        return FALSE;
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) != 0)
        return FALSE;
    const DWORD length = DWORD(std::strlen(name));
    if (!buffer || length + 1 > *size) {
        *size = length + 1;
        return FALSE;
    }
    std::memcpy(buffer, name, length + 1);
    *size = length;
    return TRUE;
}
