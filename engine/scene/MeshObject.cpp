#include "engine/scene/MeshObject.h"

#include "engine/core/math/BoundingBox.h"
#include "engine/core/render/Material.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/scene/Bone.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ChannelCopy.h"
#include "engine/scene/HyperVoxel.h"
#include "engine/scene/ItemDisplay.h"
#include "engine/scene/Scene.h"
#include "engine/scene/ShadowPass.h"
#include "engine/scene/SoundEmitter.h"
#include "engine/scene/ViewState.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <algorithm>
#include <cstring>

MeshObject::MeshObject(Scene* scene, uint32_t itemType) : SceneItem(scene, itemType)
{
    m_nearLimit = 0.01f;
}

MeshObject::MeshObject(const MeshObject& source)
    : SceneItem(source),
      m_shadowOptions(source.m_shadowOptions),
      m_unseenByRays(source.m_unseenByRays),
      m_bumpDisplacement(source.m_bumpDisplacement),
      m_wireframe(source.m_wireframe),
      m_objectMaterial(source.m_objectMaterial),
      m_auxList(source.m_auxList),
      m_excludedLights(source.m_excludedLights),
      m_bones(source.m_bones),
      m_affectedByFog(source.m_affectedByFog),
      m_unseenByCamera(source.m_unseenByCamera)
{
    std::memcpy(m_objectMaterialValues, source.m_objectMaterialValues, sizeof m_objectMaterialValues);
    std::memcpy(m_matteColor, source.m_matteColor, sizeof m_matteColor);
    for (const auto& value : source.m_namedValues) {
        auto copy = std::make_unique<AnimatedValue>();
        copyAnimatedValue(*copy, *value);
        m_namedValues.push_back(std::move(copy));
    }
    for (const auto& record : source.m_lods)
        m_lods.push_back(std::make_unique<LodRecord>(*record));
}

MeshObject::~MeshObject()
{
    if (m_soundEmitter)
        m_soundEmitter->stop();
}

void MeshObject::onLostDevice()
{
    if (m_deviceObject)
        m_deviceObject->onLostDevice();
}

void MeshObject::onResetDevice()
{
    if (m_deviceObject)
        m_deviceObject->onResetDevice();
}

bool MeshObject::invalidateMatrices()
{
    SceneObject::invalidateMatrices();
    const size_t bones = std::min(m_bones.size(), MaxBones);
    for (size_t i = 0; i < bones; ++i)
        m_bones[i]->invalidateMatrices();
    if (BoundingBox* mesh = firstLodMesh())
        mesh->clearFrameFlag();
    return false;
}

void MeshObject::remove()
{
    if (m_scene) {
        m_scene->removeObject(this);
        return;
    }
    SceneObject::remove();
}

void MeshObject::initialize()
{
    if (m_body) {
        const Matrix4 world = getMatrix(0.0, true);
        dBodySetPosition(m_body, world.at(3, 0), world.at(3, 1), world.at(3, 2));
        dMatrix3 r;
        getOdeRotation(r, 0.0);
        dBodySetRotation(m_body, r);
    }
    for (const auto& record : m_lods) {
        if (record->mesh)
            record->mesh->computeBounds();
    }
    // Silent until the first sound update places it.
    if (m_soundEmitter) {
        m_soundEmitter->start(true);
        m_soundEmitter->setVolume(0.0f);
    }
}

void MeshObject::updateSound(SceneObject* listener, double time)
{
    if (!m_soundEmitter)
        return;
    if (!listener) {
        reportAssertion("\"listener\"");
        return;
    }
    SoundEmitter& emitter = *m_soundEmitter;
    const Matrix4 heard = listener->getMatrix(time, true);
    const Matrix4 world = getMatrix(time, true);
    const Vector3 at(world.at(3, 0), world.at(3, 1), world.at(3, 2));
    const Vector3 offset = at - Vector3(heard.at(3, 0), heard.at(3, 1), heard.at(3, 2));
    const double squared = double(offset.x) * offset.x + double(offset.y) * offset.y + double(offset.z) * offset.z;
    if (squared > double(emitter.m_range) * emitter.m_range * 0.5) {
        emitter.stop();
        return;
    }
    constexpr float kNoCone = 6.2831855f;
    emitter.setPosition(at);
    emitter.setConeAngles(kNoCone, kNoCone);
    emitter.applyDistanceParameters();
    emitter.setVolume(emitter.m_baseVolume * (m_scene ? m_scene->m_soundVolume : 1.0f));
    if (!emitter.isPlaying())
        emitter.start(true);
}

void MeshObject::addLod(BoundingBox* mesh, float distance)
{
    auto at = std::find_if(m_lods.begin(), m_lods.end(),
                           [&](const std::unique_ptr<LodRecord>& r) { return !(r->switchDistance < distance); });
    auto record = std::make_unique<LodRecord>();
    record->mesh = mesh;
    record->switchDistance = distance;
    m_lods.insert(at, std::move(record));
}

BoundingBox* MeshObject::firstLodMesh() const
{
    return m_lods.empty() ? nullptr : m_lods.front()->mesh;
}

BoundingBox* MeshObject::selectLod(float distance) const
{
    if (m_lods.empty())
        return nullptr;
    if (m_lods.size() == 1)
        return m_lods.front()->mesh;
    int32_t passed = 0;
    for (const auto& record : m_lods) {
        if (record->switchDistance < distance)
            ++passed;
    }
    const ViewState* v = view();
    const int32_t bias = v ? v->lodBias : 0;
    // Wide enough that no bias the game sets can wrap the index around.
    const int64_t last = int64_t(m_lods.size()) - 1;
    const int64_t index = std::clamp(int64_t(passed) - 1 - int64_t(bias), int64_t(0), last);
    return m_lods[size_t(index)]->mesh;
}

float MeshObject::cameraDistance(double time, SceneObject* camera)
{
    BoundingBox* mesh = firstLodMesh();
    if (!mesh || !camera)
        return 0.0f;
    const Matrix4 eye = camera->getMatrix(time, true);
    const Vector3 centre = SceneMath::transformPoint(mesh->m_center, getMatrix(time, true));
    return float((Vector3(eye.at(3, 0), eye.at(3, 1), eye.at(3, 2)) - centre).length());
}

void MeshObject::writeSkinning(ShaderFloatParams& params, double time)
{
    const size_t bones = std::min(m_bones.size(), MaxBones);
    for (size_t i = 0; i < bones; ++i)
        params.setBoneMatrix(int32_t(i), m_bones[i]->skinningMatrix(time));
}

void MeshObject::drawBounds()
{
    BoundingBox* mesh = firstLodMesh();
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!mesh || !device)
        return;
    struct Vertex {
        float x, y, z;
        D3DCOLOR color;
    } corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = {mesh->m_corners[i].x, mesh->m_corners[i].y, mesh->m_corners[i].z, 0xFFFFFFFFu};
    // Corner i takes the maximum x for bit 2, y for bit 1, z for bit 0.
    static const uint16_t edges[24] = {0, 1, 1, 5, 5, 4, 4, 0, 2, 3, 3, 7, 7, 6, 6, 2, 0, 2, 1, 3, 5, 7, 6, 4};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, 8, 12, edges, D3DFMT_INDEX16, corners, sizeof(Vertex));
}

AnimatedValue* MeshObject::findByName(const std::string& name) const
{
    for (const auto& value : m_namedValues) {
        if (value->m_name == name)
            return value.get();
    }
    return nullptr;
}

int32_t MeshObject::meshId() const
{
    const BoundingBox* mesh = firstLodMesh();
    return mesh ? mesh->m_layer : -1;
}

void MeshObject::render(double time, SceneObject* camera, bool restoreFog)
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!device)
        return;
    const Matrix4 world = getMatrix(time, true);
    ShaderFloatParams* floats = m_renderer->m_shaderFloatParams.get();
    ShaderIntParams* ints = m_renderer->m_shaderIntParams.get();
    if (floats) {
        floats->m_world = world;
        floats->m_transformsValid = false;
    }
    D3DMATRIX d3dWorld;
    std::memcpy(&d3dWorld, world.m, sizeof d3dWorld);
    device->SetTransform(D3DTS_WORLD, &d3dWorld);

    // The debug displays belong to what the camera sees, not to shadow maps.
    const bool shadow = ShadowPass::active();
    const bool displays = m_renderer->m_drawGadgets && !shadow;
    if (displays && m_target && m_display)
        m_display->render();
    // A collision object without a mesh is drawn as its shape alone while
    // the collision display is on.
    if (displays || (m_renderer->m_collisionDisplay && !shadow))
        if (BoundingBox* extra = extraDisplay())
            extra->renderFor(time, this, camera);

    BoundingBox* first = firstLodMesh();
    if (!first)
        return;
    // The bone palette the mesh skins with.
    if (!m_bones.empty() && floats)
        writeSkinning(*floats, time);
    if (displays) {
        const size_t bones = std::min(m_bones.size(), MaxBones);
        for (size_t i = 0; i < bones; ++i)
            if (m_bones[i]->m_boneDisplay)
                m_bones[i]->m_boneDisplay->render(time);
    }
    if (ints)
        *ints->m_displacement = m_bumpDisplacement;
    const bool wire = !m_unseenByCamera && (m_renderer->m_wireframe || m_wireframe);
    device->SetRenderState(D3DRS_FILLMODE, wire ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    int32_t* fog = ints ? ints->m_isFogEnabled : nullptr;
    if (!m_affectedByFog && fog && *fog) {
        *fog = 0;
        device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    }
    if (m_objectMaterial)
        m_objectMaterial->setObjectValues(m_objectMaterialValues);
    if (BoundingBox* mesh = selectLod(cameraDistance(time, camera)))
        mesh->renderFor(time, this, camera);
    if (m_renderer->m_drawBoundingBoxes)
        drawBounds();
    if (restoreFog) {
        if (fog)
            *fog = 1;
        device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    }
}
