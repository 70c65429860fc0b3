#pragma once
#include "engine/core/io/Stream.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A Stream over named files held in memory, for tools, tests and fuzz targets
// that must hand a loader a file system without touching the disk. Clones
// share the same files. Names match exactly.
class MemoryFileSystem : public Stream {
public:
    using Files = std::map<std::string, std::vector<uint8_t>>;

    MemoryFileSystem();

    // Adds or replaces a file.
    void addFile(const std::string& name, std::vector<uint8_t> bytes);
    void addFile(const std::string& name, const uint8_t* bytes, size_t count);
    const std::vector<uint8_t>* file(const std::string& name) const;

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

private:
    std::shared_ptr<Files> m_files;
    std::vector<uint8_t>* m_open = nullptr;
    bool m_writing = false;
    uint32_t m_position = 0;
};
