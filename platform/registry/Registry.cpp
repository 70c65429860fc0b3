#include "platform/registry/Registry.h"

#include "platform/files/ProgramFolder.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

struct RegistryKeyTag {
    std::string path;
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
};

namespace {

std::string& overridePath()
{
    static std::string path;
    return path;
}

std::string registryFilePath()
{
    if (!overridePath().empty())
        return overridePath();
    if (const char* env = std::getenv("VORLUND_REGISTRY"); env && *env)
        return env;
    return programFolder() + "/registry.txt";
}

const char* rootName(HKEY key)
{
    if (key == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (key == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (key == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (key == HKEY_USERS)
        return "HKEY_USERS";
    return nullptr;
}

bool isRoot(HKEY key)
{
    return rootName(key) != nullptr;
}

std::string trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

// Both separators are accepted; the stored form uses backslashes and no
// leading or trailing ones.
std::string normalisePath(std::string p)
{
    for (char& c : p)
        if (c == '/')
            c = '\\';
    while (!p.empty() && p.back() == '\\')
        p.pop_back();
    while (!p.empty() && p.front() == '\\')
        p.erase(p.begin());
    return p;
}

bool parseData(const std::string& text, DWORD& type, std::vector<BYTE>& data)
{
    if (strncasecmp(text.c_str(), "dword:", 6) == 0) {
        const std::string digits = trim(text.substr(6));
        if (digits.empty() || digits.size() > 8)
            return false;
        for (char c : digits)
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return false;
        const DWORD value = DWORD(std::strtoul(digits.c_str(), nullptr, 16));
        type = REG_DWORD;
        data.resize(4);
        std::memcpy(data.data(), &value, 4);
        return true;
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        type = REG_SZ;
        data.clear();
        for (size_t i = 1; i + 1 < text.size(); ++i) {
            char c = text[i];
            if (c == '\\' && i + 2 < text.size())
                c = text[++i];
            data.push_back(BYTE(c));
        }
        data.push_back(0);
        return true;
    }
    return false;
}

// A registry file is a few dozen hand-written lines. Anything larger is not
// one (a device, a runaway log put there by mistake) and is read as an empty
// registry rather than pulled into memory without end.
constexpr size_t kMaxRegistryFileBytes = size_t(1) << 20;

// Loads the values that lie directly in `path`; answers whether the key
// exists at all (a value at or below it).
bool loadKey(const std::string& path, RegistryKeyTag& key)
{
    std::ifstream file(registryFilePath(), std::ios::binary);
    if (!file)
        return false;
    std::string text(kMaxRegistryFileBytes + 1, '\0');
    file.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(file.gcount()));
    if (text.size() > kMaxRegistryFileBytes)
        return false;
    bool exists = false;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        // Names are compared as C strings: a NUL inside a line would let
        // "Name\0anything" answer for "Name", or a value of another key
        // answer for this one.
        if (line.find('\0') != std::string::npos)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string left = normalisePath(trim(line.substr(0, eq)));
        const size_t slash = left.rfind('\\');
        if (slash == std::string::npos)
            continue;
        const std::string keyPath = left.substr(0, slash);
        const bool below = keyPath.size() > path.size() && keyPath[path.size()] == '\\'
                           && strncasecmp(keyPath.c_str(), path.c_str(), path.size()) == 0;
        const bool here = strcasecmp(keyPath.c_str(), path.c_str()) == 0;
        if (!here && !below)
            continue;
        exists = true;
        if (!here)
            continue;
        RegistryKeyTag::Value value;
        value.name = left.substr(slash + 1);
        if (!parseData(trim(line.substr(eq + 1)), value.type, value.data))
            continue;
        for (auto& old : key.values)
            if (strcasecmp(old.name.c_str(), value.name.c_str()) == 0)
                old.name.clear();
        key.values.push_back(std::move(value));
    }
    return exists;
}

} // namespace

void setRegistryFile(const char* path)
{
    overridePath() = path ? path : "";
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::string base;
    if (isRoot(key))
        base = rootName(key);
    else if (key)
        base = key->path;
    else
        return ERROR_INVALID_HANDLE;
    if (desired & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY))
        return ERROR_ACCESS_DENIED;
    const std::string sub = normalisePath(subKey ? subKey : "");
    auto* opened = new RegistryKeyTag;
    opened->path = sub.empty() ? base : base + "\\" + sub;
    if (!loadKey(opened->path, *opened)) {
        delete opened;
        return ERROR_FILE_NOT_FOUND;
    }
    *result = opened;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize)
{
    if (!key || isRoot(key))
        return ERROR_INVALID_HANDLE;
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    const char* name = valueName ? valueName : "";
    for (auto it = key->values.rbegin(); it != key->values.rend(); ++it) {
        if (it->name.empty() || strcasecmp(it->name.c_str(), name) != 0)
            continue;
        if (type)
            *type = it->type;
        const DWORD needed = DWORD(it->data.size());
        if (!dataSize)
            return ERROR_SUCCESS;
        if (data && *dataSize < needed) {
            *dataSize = needed;
            return ERROR_MORE_DATA;
        }
        if (data)
            std::memcpy(data, it->data.data(), needed);
        *dataSize = needed;
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

LONG RegCloseKey(HKEY key)
{
    if (!key || isRoot(key))
        return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}
