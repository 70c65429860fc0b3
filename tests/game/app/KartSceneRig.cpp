#include "KartSceneRig.h"

#include "engine/core/io/DiskFile.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/SpaceRecord.h"

#include <cstdlib>

bool KartSceneRig::open()
{
    const char* binary = std::getenv("VORLUND_BINARY_DIR");
    const std::string path = std::string(binary ? binary : ".") + "/bin/data.sar";
    DiskFile disk("");
    if (!archive.mount(disk, path.c_str())) {
        m_error = "cannot mount " + path;
        return false;
    }
    if (!config.loadConfig(archive)) {
        m_error = "config.xml: " + config.error();
        return false;
    }
    newScene();
    return true;
}

void KartSceneRig::newScene()
{
    scene = nullptr;
    manager = std::make_unique<SceneManager>(nullptr, "metascene");
    scene = manager->loadScene("scene");
    scene->addCamera(false);
    scene->addCamera(false);
    scene->addSpace(1, "(default)", SpaceRecord::NoParent);
    scene->addSpace(1, "karts", DefaultSpace);
    scene->addSpace(0, "floor", DefaultSpace);
    scene->addSpace(1, "check", DefaultSpace);
    scene->addSpace(0, "ray", DefaultSpace);
    scene->addSpace(1, "obstacles", DefaultSpace);
}

bool KartSceneRig::load(const std::string& file)
{
    return scene->loadLWS(&archive, file, nullptr, 0.0f, 0.7f);
}

MeshObject* KartSceneRig::part(const std::string& name, int32_t layer, int32_t instance) const
{
    if (instance < 1 || scene->countInstances(name, layer) < instance)
        return nullptr;
    return scene->findObjectInstance(name, layer, instance);
}
