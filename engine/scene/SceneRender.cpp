#include "engine/core/math/BoundingBox.h"

#include "engine/core/math/Color.h"
#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Camera.h"
#include "engine/scene/FixedLightList.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/ShadowPass.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float Pi = 3.14159265358979f;

DWORD floatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

Matrix4 product(const Matrix4& a, const Matrix4& b)
{
    Matrix4 out;
    Matrix4::multiply(out, a, b);
    return out;
}

const Matrix4& projectionOf(SceneObject* item, double time)
{
    if (!item->m_projectionValid)
        item->resetProjection(time);
    return item->m_projection;
}

bool shaderMode(const Renderer* renderer)
{
    return renderer && !renderer->m_fixedFunction;
}

// The half-angle of the lens distortion in radians, 0 when there is none.
float distortionHalfAngle(const Renderer* renderer)
{
    if (!shaderMode(renderer) || !(renderer->m_lensDistortion > 0.0001f))
        return 0.0f;
    return renderer->m_lensDistortion * Pi / 360.0f;
}

Light* asLight(SceneItem* item)
{
    return item && item->m_itemType == ItemLight ? static_cast<Light*>(item) : nullptr;
}

} // namespace

void Scene::render(double time, SceneItem* camera, MeshObject* root)
{
    if (!camera)
        return;
    if (!root)
        root = m_root;
    ++m_renderDepth;
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    const bool shaders = shaderMode(m_renderer);

    if (root)
        SceneObject::invalidateTree(root);
    camera->invalidateMatrices();
    applyFog(camera);

    if (device && m_renderDepth <= 10 && shaders) {
        device->SetRenderState(D3DRS_FILLMODE, m_renderer->m_wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
        device->SetRenderState(D3DRS_ZENABLE, TRUE);
        device->SetRenderState(D3DRS_COLORWRITEENABLE, m_renderer->m_colorWriteMask);
    }
    const BOOL localViewer = camera->isDirectional() ? FALSE : TRUE;
    if (m_renderer && !shaders) {
        if (device)
            device->SetRenderState(D3DRS_LOCALVIEWER, localViewer);
    } else if (m_renderer && m_renderer->m_shaderIntParams) {
        *m_renderer->m_shaderIntParams->m_isLocalViewer = localViewer;
    }

    // The lights' shadow maps first: the camera's objects read them.
    if (m_renderDepth == 1 && !ShadowPass::active())
        renderShadowMaps(time, root);

    const Matrix4 view = camera->getInvMatrix(time, true);
    if (m_renderer && m_renderer->m_shaderFloatParams) {
        m_renderer->m_shaderFloatParams->m_view = view;
        m_renderer->m_shaderFloatParams->m_transformsValid = false;
    }
    if (device) {
        const D3DMATRIX d3dView = toD3D(view);
        device->SetTransform(D3DTS_VIEW, &d3dView);
    }

    if (m_renderer && !shaders)
        setupFixedFunctionLights(time);
    else if (device)
        device->SetRenderState(D3DRS_LIGHTING, FALSE);

    std::vector<ReflectionView*> visibleViews;
    renderObjects(camera, root, visibleViews, time);
    renderLensFlares(camera, visibleViews, time);
    if (m_renderDepth == 1)
        updateParticles(camera->m_itemType == ItemCamera ? static_cast<Camera*>(camera) : nullptr, time);
    --m_renderDepth;
}

void Scene::applyFog(SceneItem* camera)
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    int32_t fog = 0;
    if (m_fogType == D3DFOG_LINEAR && m_renderer && m_renderer->m_fogEnabled) {
        fog = 1;
        if (device) {
            Color c{m_fogColor[0], m_fogColor[1], m_fogColor[2], m_fogColor[3]};
            const float start = camera && camera->m_hasEnvMinDistance ? camera->m_envMinDistance : m_fogMinDistance;
            const float end = camera && camera->m_hasEnvMaxDistance ? camera->m_envMaxDistance : m_fogMaxDistance;
            device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
            device->SetRenderState(D3DRS_FOGCOLOR, colorToArgb(c));
            device->SetRenderState(D3DRS_FOGSTART, floatBits(start));
            device->SetRenderState(D3DRS_FOGEND, floatBits(end));
        }
    }
    if (m_renderer && m_renderer->m_shaderIntParams)
        *m_renderer->m_shaderIntParams->m_isFogEnabled = fog;
    if (device)
        device->SetRenderState(D3DRS_FOGENABLE, fog ? TRUE : FALSE);
}

void Scene::setupFixedFunctionLights(double time)
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!device)
        return;
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    float ambient[4];
    ambientColor(time, ambient);
    const float intensity = m_ambientIntensity.evaluate(time);
    device->SetRenderState(D3DRS_AMBIENT,
                           colorToArgb(Color{ambient[0] * intensity, ambient[1] * intensity,
                                             ambient[2] * intensity, 1.0f}));

    std::vector<FixedLightList::Entry>& set = FixedLightList::entries();
    size_t count = 0;
    for (SceneItem* item : m_lights) {
        Light* light = asLight(item);
        if (!light || light->m_switchedOff || !light->updateDeviceLight(time))
            continue;
        device->SetLight(DWORD(count), &light->m_d3dLight);
        if (count < set.size())
            set[count] = {light, this};
        else
            set.push_back({light, this});
        ++count;
    }
    for (size_t i = count; i < set.size(); ++i)
        device->LightEnable(DWORD(i), FALSE);
    set.resize(count);
}

void Scene::renderObjects(SceneItem* camera, MeshObject* root, std::vector<ReflectionView*>& visibleViews,
                          double time)
{
    const bool outermost = m_renderDepth < 2;
    // A light's shadow map: casters only, no flares, no lens distortion.
    const bool shadowFrame = ShadowPass::active();
    if (outermost) {
        visibleViews.clear();
        projectionOf(camera, time);
        for (ReflectionView* view : m_reflectionViews) {
            if (view)
                visibleViews.push_back(view);
        }
    }

    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (device)
        device->SetViewport(camera->viewport());
    camera->invalidateMatrices();
    const Matrix4 viewProjection = product(camera->getInvMatrix(time, true), projectionOf(camera, time));

    // The antiportals that can hide anything this frame.
    std::vector<Antiportal*> antiportals;
    for (Antiportal* portal : m_antiportals) {
        BoundingBox* mesh = portal->firstLodMesh();
        if (!mesh)
            continue;
        const Matrix4 toClip = product(portal->getMatrix(time, true), viewProjection);
        float corners[32];
        mesh->transformCorners(toClip, corners);
        if (camera->isBoxOutside(corners))
            continue;
        if (portal->updatePlanes(toClip))
            antiportals.push_back(portal);
    }

    std::vector<VisibleRecord> records;
    camera->m_farLimit = 3.4028235e38f;
    float nearDepth = 3.4028235e38f;
    float farDepth = -3.4028235e38f;
    if (root)
        collectVisible(camera, root, viewProjection, antiportals, records, nearDepth, farDepth, time);
    sortVisible(records);

    if (m_renderer && m_renderer->m_lensFlares && !shadowFrame) {
        for (SceneItem* item : m_lights) {
            Light* light = asLight(item);
            if (!light || light->m_switchedOff || !light->m_lensFlareEnabled || !light->m_lensFlare)
                continue;
            const Matrix4 m = light->getMatrix(time, false);
            const float p[4] = {m.at(3, 0), m.at(3, 1), m.at(3, 2), 1.0f};
            float clip[4];
            for (int c = 0; c < 4; ++c)
                clip[c] = p[0] * viewProjection.at(0, c) + p[1] * viewProjection.at(1, c)
                          + p[2] * viewProjection.at(2, c) + p[3] * viewProjection.at(3, c);
            if (camera->isPointOutside(clip))
                continue;
            nearDepth = std::min(nearDepth, clip[3]);
            farDepth = std::max(farDepth, clip[3]);
        }
    }

    Matrix4 projection;
    if (outermost) {
        // Nothing seen: a thin range at the near limit keeps the projection finite.
        if (nearDepth > farDepth) {
            nearDepth = camera->m_nearLimit;
            farDepth = camera->m_nearLimit + 1.0f;
        }
        camera->m_nearPlane = nearDepth;
        camera->m_farPlane = farDepth;
        projection = camera->setDepthRange(time, nearDepth, farDepth);
    } else {
        projection = projectionOf(camera, time);
    }
    const float halfAngle = shadowFrame ? 0.0f : distortionHalfAngle(m_renderer);
    if (halfAngle > 0.0f) {
        projection.at(0, 0) *= std::tan(halfAngle);
        if (m_renderer->m_shaderFloatParams)
            *m_renderer->m_shaderFloatParams->m_cylindricalScale = 1.0f / halfAngle;
    }
    if (m_renderer && m_renderer->m_shaderIntParams)
        *m_renderer->m_shaderIntParams->m_isCylindricalViewer = halfAngle > 0.0f ? 1 : 0;
    if (m_renderer && m_renderer->m_shaderFloatParams) {
        m_renderer->m_shaderFloatParams->m_projection = projection;
        m_renderer->m_shaderFloatParams->m_transformsValid = false;
    }
    if (device) {
        const D3DMATRIX d3dProjection = toD3D(projection);
        device->SetTransform(D3DTS_PROJECTION, &d3dProjection);
    }

    const bool collisionDisplay = m_renderer && m_renderer->m_collisionDisplay;
    // An object that fog does not touch switches it off for its own draw;
    // the next one gets it back.
    const bool fog = m_renderer && m_renderer->m_shaderIntParams && *m_renderer->m_shaderIntParams->m_isFogEnabled;
    for (const VisibleRecord& record : records) {
        if (shadowFrame) {
            if (record.object->m_shadowOptions & 2) {
                record.object->m_lightList.clear();
                record.object->render(time, camera, fog);
            }
            continue;
        }
        if (!collisionDisplay || record.object->firstLodMesh())
            selectLights(record.object, camera, time);
        record.object->render(time, camera, fog);
    }
}

void Scene::selectLights(MeshObject* object, SceneItem* camera, double time)
{
    std::vector<ActiveLight>& list = object->m_lightList;
    list.clear();
    list.reserve(MaxCandidateLights);
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    const bool shaders = shaderMode(m_renderer);
    BoundingBox* mesh = object->firstLodMesh();

    std::vector<Light*> sources;
    if (!shaders) {
        for (const FixedLightList::Entry& e : FixedLightList::entries())
            sources.push_back(e.scene == this ? e.light : nullptr);
    } else {
        for (SceneItem* item : m_lights)
            sources.push_back(asLight(item));
    }

    Matrix4 objectWorld;
    bool haveWorld = false;
    for (size_t index = 0; index < sources.size(); ++index) {
        Light* light = sources[index];
        if (!light)
            continue;
        light->prepareForObject(object, mesh, time);
        bool candidate = light->m_prepared && light->m_affectsObject;
        bool boxTested = false;
        if (candidate && (object->m_shadowOptions & 4) && light->m_shadowType == 2 && mesh) {
            if (!haveWorld) {
                objectWorld = object->getMatrix(time, true);
                haveWorld = true;
            }
            const Matrix4 toLight =
                product(product(objectWorld, light->getInvMatrix(time, true)), projectionOf(light, time));
            float corners[32];
            mesh->transformCorners(toLight, corners);
            boxTested = true;
            candidate = !light->isBoxOutside(corners);
        }
        if ((!candidate || boxTested) && device)
            device->LightEnable(DWORD(index), FALSE);
        // The list is bounded: a scene with more lights than that weighs
        // only the first ones it meets.
        if (candidate && list.size() < MaxCandidateLights)
            list.push_back({uint32_t(index), light, light->intensityAt(object, mesh, time), nullptr});
    }
    std::sort(list.begin(), list.end(),
              [](const ActiveLight& a, const ActiveLight& b) { return a.influence > b.influence; });

    ShaderFloatParams* floats = m_renderer ? m_renderer->m_shaderFloatParams.get() : nullptr;
    ShaderIntParams* ints = m_renderer ? m_renderer->m_shaderIntParams.get() : nullptr;
    int32_t counts[3] = {0, 0, 0};
    int32_t shadowSlot = 0;
    Matrix4 cameraWorld;
    bool haveCamera = false;
    for (size_t position = 0; position < list.size(); ++position) {
        ActiveLight& entry = list[position];
        Light* light = entry.light;
        const int32_t type = light->m_lightType;
        if (type == 2) {
            if (!haveCamera) {
                cameraWorld = camera->getMatrix(time, true);
                haveCamera = true;
            }
            const float nearPlane = light->m_nearPlane;
            const float farPlane = light->m_farPlane;
            const float o = 0.5f + 0.5f / float(std::max(light->m_shadowMapSize, 1));
            Matrix4 bias;
            bias.at(0, 0) = 0.5f;
            bias.at(1, 1) = -0.5f;
            bias.at(3, 0) = o;
            bias.at(3, 1) = o;
            if (shaders) {
                bias.at(3, 2) = -std::pow(0.1f, nearPlane - farPlane);
                bias.at(3, 3) = 1.0f;
            } else {
                bias.at(3, 2) = 1.0f;
                bias.at(3, 3) = 1.0f;
            }
            // The light's projection for that range, computed here rather
            // than through setDepthRange, which would also move the view's
            // near planes of the camera being drawn.
            Matrix4 lightProjection = projectionOf(light, time);
            const float zn = std::max(light->m_nearLimit, nearPlane);
            const float zf = std::max(zn, farPlane) + 0.0001f;
            const float q = zf / (zf - zn);
            lightProjection.at(2, 2) = q;
            lightProjection.at(3, 2) = -q * zn;
            const Matrix4 shadow =
                product(product(product(cameraWorld, light->getInvMatrix(time, true)), lightProjection), bias);
            if (floats && shadowSlot < ShaderFloatParams::MaxShadowMaps) {
                std::memcpy(floats->m_matWorldLightviewLightprojShadowbias + 16 * shadowSlot, shadow.m,
                            sizeof shadow.m);
                if (!shaders && shadowSlot < ShaderFloatParams::TextureStages)
                    floats->m_textureMatrices[shadowSlot] = shadow;
            }
            ++shadowSlot;
        }
        if (shaders && type >= 0 && type <= 2) {
            light->bindShaderLight(counts[type], time);
            ++counts[type];
        }
    }
    // Fixed function: the eight most influential lights on, the rest and
    // the shadow-map lights (drawn through their texture matrices) off;
    // every switch-off goes first, so that no more than eight are ever on.
    if (!shaders && device) {
        for (size_t position = 0; position < list.size(); ++position) {
            if (list[position].light->m_lightType == 2 || position >= 8)
                device->LightEnable(list[position].index, FALSE);
        }
        for (size_t position = 0; position < list.size() && position < 8; ++position) {
            if (list[position].light->m_lightType != 2)
                device->LightEnable(list[position].index, TRUE);
        }
    }
    if (shaders && ints) {
        *ints->m_numActiveDistantLights = std::min(counts[0], ShaderIntParams::MaxLightsPerKind);
        *ints->m_numActivePointLights = std::min(counts[1], ShaderIntParams::MaxLightsPerKind);
        *ints->m_numActiveSpotLights = std::min(counts[2], ShaderIntParams::MaxLightsPerKind);
        *ints->m_numShadows = std::min(shadowSlot, ShaderFloatParams::MaxShadowMaps);
    }
    if (shaders && floats) {
        float ambient[4];
        ambientColor(time, ambient);
        const float intensity = m_ambientIntensity.evaluate(time);
        for (int c = 0; c < 3; ++c)
            floats->m_ambientLightColor[c] = ambient[c] * intensity;
    }
}
