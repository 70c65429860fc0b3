// The scene and scene manager entry points of the object loader: the
// manager's surfaces and object files, and a scene's object layers.
#include "engine/core/base/Report.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoFile.h"
#include "engine/lightwave/Surface.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ObjectFileStore.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <cstdio>

namespace {

// Frees the manager's surfaces and object files: the files first, as
// their meshes draw with the surfaces.
class LightwaveRecords : public ObjectFileStore {
public:
    explicit LightwaveRecords(SceneManager* manager) : m_manager(manager) {}
    ~LightwaveRecords() override
    {
        for (LwoFile* file : m_manager->m_lwoFiles)
            delete file;
        m_manager->m_lwoFiles.clear();
        for (Surface* surface : m_manager->m_surfaces)
            delete surface;
        m_manager->m_surfaces.clear();
    }
    void markPrepared() override
    {
        for (LwoFile* file : m_manager->m_lwoFiles)
            file->m_prepared = 1;
    }
    // The meshes' geometries let their default-pool buffers go and make
    // them again; a deformable mesh uploads on its next draw.
    void onLostDevice() override
    {
        for (LwoFile* file : m_manager->m_lwoFiles)
            for (const auto& mesh : file->m_layers)
                if (mesh)
                    mesh->onLostDevice();
    }
    void onResetDevice() override
    {
        for (LwoFile* file : m_manager->m_lwoFiles)
            for (const auto& mesh : file->m_layers)
                if (mesh)
                    mesh->onResetDevice();
    }

private:
    SceneManager* m_manager;
};

void ensureRecords(SceneManager* manager)
{
    if (!manager->m_objectFiles)
        manager->m_objectFiles = std::make_unique<LightwaveRecords>(manager);
}

} // namespace

Surface* SceneManager::findSurface(const std::string& name) const
{
    for (Surface* surface : m_surfaces)
        if (surface->m_name == name)
            return surface;
    return nullptr;
}

void SceneManager::addSurface(Surface* surface)
{
    ensureRecords(this);
    m_surfaces.push_back(surface);
}

LwoFile* SceneManager::findLwoFile(const std::string& name) const
{
    for (LwoFile* file : m_lwoFiles)
        if (file->m_name == name)
            return file;
    return nullptr;
}

void SceneManager::addLwoFile(LwoFile* file)
{
    ensureRecords(this);
    m_lwoFiles.push_back(file);
}

LwoFile* Scene::findOrLoadLwo(Stream* fileSystem, const std::string& fileName)
{
    if (LwoFile* file = m_manager->findLwoFile(fileName))
        return file;
    std::unique_ptr<LwoFile> file = LwoFile::open(fileName, fileSystem, this);
    if (!file)
        return nullptr;
    LwoFile* kept = file.release();
    m_manager->addLwoFile(kept);
    return kept;
}

LwMesh* Scene::getLwoLayer(int32_t layerNumber, Stream* fileSystem, const std::string& fileName)
{
    LwoFile* file = m_manager ? findOrLoadLwo(fileSystem, fileName) : nullptr;
    LwMesh* mesh = file ? file->layer(layerNumber) : nullptr;
    // A file that did not load has said why; only a missing layer of a
    // loaded one is this report's.
    if (file && !mesh) {
        char text[1024];
        std::snprintf(text, sizeof text, "%d is not a valid layer number for %s!\n", layerNumber, fileName.c_str());
        reportError(text);
    }
    return mesh;
}

MeshObject* Scene::loadObjectLayer(Stream* fileSystem, const std::string& fileName, int32_t layerNumber,
                                   SceneObject* parent)
{
    LwMesh* mesh = getLwoLayer(layerNumber, fileSystem, fileName);
    if (!mesh)
        return nullptr;
    mesh->file()->prepare(true);
    auto* object = new MeshObject(this);
    mesh->prepare(object);
    object->setName(fileName);
    object->addLod(mesh, 0.0f);
    m_objects.push_back(object);
    if (parent)
        parent->addChild(object);
    return object;
}
