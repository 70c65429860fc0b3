#pragma once
#include "engine/core/io/Stream.h"

#include <cstdio>
#include <string>

// A Stream on the operating system's files. Names arrive Windows-style
// ("\" separators, a drive prefix before ":", any case): "\" is read as "/",
// a name that is not found as given is looked for behind each entry of the
// ";"-separated search path, and a missing name falls back to a
// case-insensitive match of each path component.
class DiskFile : public Stream {
public:
    explicit DiskFile(const char* searchPath = ".\\;..\\");
    ~DiskFile() override;

    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    std::unique_ptr<Stream> clone() const override;
    bool exists(const char* name) override;
    bool openRead(const char* name) override;
    bool openWrite(const char* name) override;
    bool close() override;
    uint32_t read(void* dest, uint32_t count) override;
    uint32_t write(const void* src, uint32_t count) override;
    bool seekSet(uint32_t position) override;
    bool seekCur(int32_t delta) override;
    uint32_t tell() override;

    const std::string& searchPath() const { return m_searchPath; }
    bool isOpen() const { return m_handle != nullptr; }

    // The host path a Windows-style name maps to: separators turned, and the
    // case-insensitive match when the exact path is missing. Empty when the
    // name matches nothing.
    static std::string resolveHostPath(const std::string& windowsName);

private:
    bool openHost(const std::string& windowsName);

    std::string m_searchPath;
    std::FILE* m_handle = nullptr;
};
