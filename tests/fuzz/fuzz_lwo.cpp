// Feeds arbitrary bytes to the LightWave object loader as "f.lwo", with one
// small image beside it for clips to find, builds every layer it loaded, and
// dumps the bytes as the lwo2 tool does.
#include "engine/core/base/Report.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoFile.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "tools/lib/Lwo2Tools.h"
#include "tools/lib/MemoryFileSystem.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reportLevel = 3;
    reportToText = 1;
    MemoryFileSystem files;
    files.addFile("f.lwo", data, size);
    files.addFile("img001.bmp", std::vector<uint8_t>{'B', 'M'});
    SceneManager manager(nullptr, "fuzz");
    Scene* scene = manager.loadScene("fuzz");
    if (LwoFile* file = scene->findOrLoadLwo(&files, "f.lwo")) {
        for (size_t i = 0; i < file->m_layers.size(); ++i)
            if (LwMesh* mesh = file->layer(int64_t(i)))
                mesh->prepare(nullptr);
    }
    // The dump tool reads the same bytes.
    (void)lwo2Dump(std::vector<uint8_t>(data, data + size));
    return 0;
}
