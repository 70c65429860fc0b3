// Feeds arbitrary bytes to the scene loader as "f.lws", with a small set of
// object files beside it for its object lines and levels of detail to load.
#include "engine/core/base/Report.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/MemoryFileSystem.h"

#include <cstddef>
#include <cstdint>

namespace {

std::vector<uint8_t> flatQuad()
{
    Lwo2Writer w;
    w.tags({"Default"});
    w.layer(0, "CullingPlane");
    w.points({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}});
    w.polygons({{0, 1, 2, 3}});
    w.polygonTags({0});
    Lwo2Surface surface;
    w.surface(surface);
    return w.finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reportLevel = 3;
    reportToText = 1;
    static const std::vector<uint8_t> cube = lwo2Cube();
    static const std::vector<uint8_t> quad = flatQuad();
    MemoryFileSystem files;
    files.addFile("f.lws", data, size);
    files.addFile("cube.lwo", cube);
    files.addFile("AntiPortal.lwo", quad);
    SceneManager manager(nullptr, "fuzz");
    Scene* scene = manager.loadScene("fuzz");
    scene->loadLWS(&files, "f.lws", nullptr, 0.0f, 1.0f);
    // A second file into the same scene: the merge path.
    scene->loadLWS(&files, "f.lws", nullptr, 0.0f, 1.0f);
    return 0;
}
