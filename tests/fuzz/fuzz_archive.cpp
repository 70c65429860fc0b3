// Arbitrary bytes as an archive: mount them, then open and read every entry
// the table names. Nothing may crash, hang or read outside its buffers.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/base/Report.h"
#include "tools/lib/MemoryFileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reportLevel = 3;
    reportToText = 1;
    MemoryFileSystem files;
    files.addFile("data.sar", data, size);
    ArchiveFile archive;
    if (!archive.mount(files, "data.sar"))
        return 0;
    std::vector<std::string> names;
    for (int32_t i = 0; i < archive.entries().size && i < 64; ++i)
        names.emplace_back(archive.entries().data[i].name);
    uint8_t chunk[4096];
    for (const std::string& name : names) {
        if (!archive.openRead(name.c_str())) {
            if (archive.length != 0)
                __builtin_trap(); // a failed open must leave nothing readable
            continue;
        }
        uint32_t total = 0;
        while (uint32_t got = archive.read(chunk, sizeof chunk))
            total += got;
        if (total != archive.length)
            __builtin_trap();
    }
    return 0;
}
