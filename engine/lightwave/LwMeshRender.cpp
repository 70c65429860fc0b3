// Drawing a built mesh for an object: CPU morphing and skinning, the upload
// of the deformed vertices, and per batch the shadow-map, plain or mirror
// draw.
#include "engine/core/base/Profiler.h"
#include "engine/core/texture/RenderTexture.h"
#include "engine/core/geometry/RenderGeometry.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderPass.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ReflectionView.h"
#include "engine/scene/Scene.h"
#include "engine/scene/ShadowPass.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct ProfileScope {
    explicit ProfileScope(int32_t index) : m_index(index) { Profiler::start(index); }
    ~ProfileScope() { Profiler::stop(m_index); }
    int32_t m_index;
};

float dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// A zero vector stays zero.
Vector3 normalised(const Vector3& v)
{
    const float length = std::sqrt(dot(v, v));
    return length > 0.0f ? Vector3(v.x / length, v.y / length, v.z / length) : v;
}

Vector3 transformPoint(const Vector3& p, const Matrix4& m)
{
    return {p.x * m.at(0, 0) + p.y * m.at(1, 0) + p.z * m.at(2, 0) + m.at(3, 0),
            p.x * m.at(0, 1) + p.y * m.at(1, 1) + p.z * m.at(2, 1) + m.at(3, 1),
            p.x * m.at(0, 2) + p.y * m.at(1, 2) + p.z * m.at(2, 2) + m.at(3, 2)};
}

Vector3 transformDirection(const Vector3& v, const Matrix4& m)
{
    return {v.x * m.at(0, 0) + v.y * m.at(1, 0) + v.z * m.at(2, 0),
            v.x * m.at(0, 1) + v.y * m.at(1, 1) + v.z * m.at(2, 1),
            v.x * m.at(0, 2) + v.y * m.at(1, 2) + v.z * m.at(2, 2)};
}

Matrix4 product(const Matrix4& a, const Matrix4& b)
{
    Matrix4 out;
    Matrix4::multiply(out, a, b);
    return out;
}

Matrix4 fromD3D(const D3DMATRIX& d)
{
    Matrix4 m;
    std::memcpy(m.m, &d, sizeof m.m);
    return m;
}

// The reflection through the plane n . p + d = 0 (n unit length), for row
// vectors.
Matrix4 reflection(const Vector3& n, float d)
{
    Matrix4 r;
    r.at(0, 0) = 1.0f - 2.0f * n.x * n.x;
    r.at(0, 1) = -2.0f * n.x * n.y;
    r.at(0, 2) = -2.0f * n.x * n.z;
    r.at(1, 0) = -2.0f * n.x * n.y;
    r.at(1, 1) = 1.0f - 2.0f * n.y * n.y;
    r.at(1, 2) = -2.0f * n.y * n.z;
    r.at(2, 0) = -2.0f * n.x * n.z;
    r.at(2, 1) = -2.0f * n.y * n.z;
    r.at(2, 2) = 1.0f - 2.0f * n.z * n.z;
    r.at(3, 0) = -2.0f * d * n.x;
    r.at(3, 1) = -2.0f * d * n.y;
    r.at(3, 2) = -2.0f * d * n.z;
    r.at(3, 3) = 1.0f;
    return r;
}

} // namespace

int32_t& LwMesh::renderDepthCounter()
{
    static int32_t depth = 0;
    return depth;
}

void LwMesh::renderFor(double time, MeshObject* owner, SceneObject* camera)
{
    if (!isBuilt() || !m_context)
        return;
    int32_t& depth = renderDepthCounter();
    ++depth;
    ++m_renderDepth;
    if (depth > MaxRenderDepth) {
        --depth;
        --m_renderDepth;
        return;
    }

    // The shadow-map lights of a receiver, for the passes to bind.
    std::vector<ActiveLight> lights;
    lights.reserve(MaxDrawLights);
    if (owner && (owner->m_shadowOptions & 4)) {
        for (const ActiveLight& entry : owner->m_lightList) {
            if (lights.size() >= MaxDrawLights)
                break;
            if (entry.light && entry.light->m_shadowMap) {
                lights.push_back(entry);
                lights.back().shadowMap = entry.light->m_shadowMap;
            }
        }
    }

    const bool morphs = numMorphmaps() != 0;
    const bool bones = owner && !owner->m_bones.empty();
    if (owner && morphs && m_deformable)
        morphFor(owner, time);
    if (bones)
        updateSkinSchedule(owner, camera, time);
    if (bones && m_deformable && (m_skinThisFrame || m_forceDeform)) {
        static ProfileSection section("bones");
        ProfileScope scope(section.index());
        if (ShaderFloatParams* params = m_context->m_shaderFloatParams.get())
            skinVertices(params->m_boneMatrices, size_t(ShaderFloatParams::MaxBones));
    }
    // A skinned mesh uploads when it was skinned (or must be); a mesh that
    // only morphs morphs every frame and shows every frame's shape.
    const bool upload = m_deformable && (m_forceDeform || (owner && (bones ? m_skinThisFrame != 0 : morphs)));

    const bool shadowFrame = ShadowPass::active();
    for (size_t b = 0; b < m_geometries.size(); ++b) {
        static ProfileSection batchSection("setvertex");
        ProfileScope scope(batchSection.index());
        RenderGeometry* geometry = m_geometries[b].get();
        if (upload && b < m_data.batchFirstVertex.size()) {
            const int32_t first = m_data.batchFirstVertex[b];
            const int32_t end = m_data.batchEndVertex[b];
            if (first >= 0 && first <= end && size_t(end) <= m_data.deformedVertices.size())
                static_cast<MeshBuffers*>(geometry)->setVertices(m_data.deformedVertices.data() + first, end - first);
        }
        if (shadowFrame) {
            if (owner && (owner->m_shadowOptions & 2) && m_context->m_secondPass)
                geometry->draw(m_context->m_secondPass.get(), time, lights);
            continue;
        }
        auto* surface = static_cast<Surface*>(geometry->m_surface);
        if (!owner || !surface) {
            drawPlain(b, time, lights);
            continue;
        }
        // Only a real camera's view is mirrored; a light's or a mirror's
        // own view sees the surface as it is.
        const bool realView = !camera || camera->m_itemType == ItemCamera;
        const float reflectionValue = surface->m_reflection.evaluate(time);
        if (reflectionValue == 0.0f || surface->m_reflectionImage || depth > 1 || !realView)
            drawPlain(b, time, lights);
        else
            drawMirror(b, time, owner, camera, lights);
    }

    --depth;
    m_forceDeform = 0;
    --m_renderDepth;
}

void LwMesh::morphFor(MeshObject* owner, double time)
{
    static ProfileSection section("morphs");
    ProfileScope scope(section.index());
    // One weight per morph map, in map order; a map without an entry of
    // its own weighs 0.
    const size_t count = std::min<size_t>(numMorphmaps(), size_t(LwVertex::MaxMorphs));
    float weights[LwVertex::MaxMorphs] = {};
    for (size_t m = 0; m < count && m < owner->m_namedValues.size(); ++m) {
        if (AnimatedValue* value = owner->m_namedValues[m].get())
            weights[m] = value->evaluate(time);
    }
    blendMorphs(weights, count);
}

void LwMesh::updateSkinSchedule(MeshObject* owner, SceneObject* camera, double time)
{
    if (!camera) {
        m_skinThisFrame = 1;
        return;
    }
    const Matrix4 object = owner->getMatrix(time, true);
    const Matrix4 eye = camera->getMatrix(time, true);
    const Vector3 between(object.at(3, 0) - eye.at(3, 0), object.at(3, 1) - eye.at(3, 1),
                          object.at(3, 2) - eye.at(3, 2));
    const float distance = std::sqrt(dot(between, between));
    if (distance > SkinNeverDistance)
        m_skinThisFrame = 0;
    else if (distance <= SkinEveryFrameDistance)
        m_skinThisFrame = 1;
    else
        m_skinThisFrame = m_skinThisFrame ? 0 : 1;
}

void LwMesh::skinVertices(const Matrix4* palette, size_t paletteSize)
{
    std::vector<LwVertex>& out = m_data.deformedVertices;
    if (!palette || out.size() != m_data.vertices.size())
        return;
    const bool fromMorphs = numMorphmaps() != 0;
    const int32_t weights = std::clamp(m_data.bonesPerVertex, 0, LwVertex::MaxBoneWeights);
    for (size_t i = 0; i < out.size(); ++i) {
        const LwVertex& rest = m_data.vertices[i];
        const LwVertex& source = fromMorphs ? out[i] : rest;
        const Vector3 position(source.position[0], source.position[1], source.position[2]);
        const Vector3 normal(source.normal[0], source.normal[1], source.normal[2]);
        Vector3 p, n;
        float total = 0.0f;
        for (int32_t k = 0; k < weights; ++k) {
            const float w = rest.boneWeight[k];
            if (w == 0.0f || size_t(rest.boneIndex[k]) >= paletteSize)
                continue;
            const Matrix4& m = palette[rest.boneIndex[k]];
            const Vector3 moved = transformPoint(position, m);
            const Vector3 turned = transformDirection(normal, m);
            p = Vector3(p.x + w * moved.x, p.y + w * moved.y, p.z + w * moved.z);
            n = Vector3(n.x + w * turned.x, n.y + w * turned.y, n.z + w * turned.z);
            total += w;
        }
        LwVertex& target = out[i];
        if (total == 0.0f) {
            p = position;
            n = normal;
        }
        target.position[0] = p.x;
        target.position[1] = p.y;
        target.position[2] = p.z;
        target.normal[0] = n.x;
        target.normal[1] = n.y;
        target.normal[2] = n.z;
    }
}

void LwMesh::drawPlain(size_t batch, double time, const std::vector<ActiveLight>& lights)
{
    RenderGeometry* geometry = m_geometries[batch].get();
    auto* surface = static_cast<Surface*>(geometry->m_surface);
    // Wholly transparent without a transparency image: nothing to see.
    if (surface && !(surface->m_transparency.evaluate(time) < 0.999999f)
        && !surface->findImageLayer(lwoCode("TRAN"), 1))
        return;
    if (m_context->m_mainPass)
        geometry->draw(m_context->m_mainPass.get(), time, lights);
}

void LwMesh::drawMirror(size_t batch, double time, MeshObject* owner, SceneObject* camera,
                        const std::vector<ActiveLight>& lights)
{
    IDirect3DDevice9* device = m_context->m_device;
    if (!device) {
        drawPlain(batch, time, lights);
        return;
    }
    RenderGeometry* geometry = m_geometries[batch].get();
    ShaderPass* mainPass = m_context->m_mainPass.get();
    const DWORD d = DWORD(renderDepthCounter());
    auto draw = [&](ShaderPass* pass) {
        if (pass)
            geometry->draw(pass, time, lights);
    };

    DWORD savedStencilEnable = FALSE;
    DWORD savedStencilRef = 0;
    device->GetRenderState(D3DRS_STENCILENABLE, &savedStencilEnable);
    device->GetRenderState(D3DRS_STENCILREF, &savedStencilRef);

    // Mark the mirror's visible pixels: stencil d - 1 becomes d.
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILREF, d - 1);
    device->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFFu);
    device->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
    device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    draw(mainPass);

    // Open the marked pixels: their depth goes back to the far plane, so
    // that the reflection can draw behind the mirror's own surface. The
    // viewport's depth range is pinned at 1 for that draw, which resets the
    // depth whatever the pass computes.
    device->SetRenderState(D3DRS_COLORWRITEENABLE, m_context->m_colorWriteMask);
    device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_STENCILREF, d);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    D3DVIEWPORT9 viewport{};
    device->GetViewport(&viewport);
    D3DVIEWPORT9 farViewport = viewport;
    farViewport.MinZ = farViewport.MaxZ = 1.0f;
    device->SetViewport(&farViewport);
    draw(m_context->m_opaquePass.get());
    device->SetViewport(&viewport);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);

    // The mirrored image turns the winding: clockwise culling at depth 1.
    const uint32_t savedCull = m_context->m_cullMode;
    m_context->m_cullMode = ((~d) & 1u) | 2u;
    const FixedFunctionState& state = device->state();
    const D3DMATRIX savedWorld = state.transform(D3DTS_WORLD);
    const D3DMATRIX savedView = state.transform(D3DTS_VIEW);
    const D3DMATRIX savedProjection = state.transform(D3DTS_PROJECTION);
    ShaderFloatParams* params = m_context->m_shaderFloatParams.get();
    Matrix4 paramWorld, paramView, paramProjection;
    if (params) {
        paramWorld = params->m_world;
        paramView = params->m_view;
        paramProjection = params->m_projection;
    }

    // The mirror plane: the first level's first triangle turned into the
    // world, through the object's origin.
    const Matrix4 world = owner->getMatrix(time, true);
    Vector3 normal;
    if (BoundingBox* lod = owner->firstLodMesh(); lod && lod->pointCount() >= 3) {
        const Vector3* p = lod->points();
        normal = cross(p[0] - p[1], p[0] - p[2]);
    }
    normal = normalised(transformDirection(normal, world));
    const Vector3 origin(world.at(3, 0), world.at(3, 1), world.at(3, 2));
    const float planeDistance = -dot(origin, normal);

    const Matrix4 view = fromD3D(savedView);
    const Matrix4 mirroredView = product(reflection(normal, planeDistance), view);

    // The outline: the bottom face of the box (corners 0, 1, 5, 4 in turn)
    // in the mirrored view's space, where the eye is the origin. Each side
    // plane runs through the eye and two neighbouring corners; every normal
    // is turned to face into the outline, and the mirror's normal away from
    // the eye, which is the side the view's box test keeps.
    static const int outlineCorners[4] = {0, 1, 5, 4};
    Vector3 corners[4];
    Vector3 centre;
    for (int k = 0; k < 4; ++k) {
        corners[k] = transformPoint(transformPoint(m_corners[outlineCorners[k]], world), mirroredView);
        centre = centre + corners[k];
    }
    centre = Vector3(centre.x * 0.25f, centre.y * 0.25f, centre.z * 0.25f);
    const bool odd = (d & 1u) != 0;
    auto planes = std::make_unique<float[]>(12);
    for (int k = 0; k < 4; ++k) {
        Vector3 side = normalised(cross(corners[k], corners[(k + 1) % 4]));
        if (odd)
            side = Vector3() - side;
        if (dot(centre, side) < 0.0f)
            side = Vector3() - side;
        planes[size_t(3 * k)] = side.x;
        planes[size_t(3 * k + 1)] = side.y;
        planes[size_t(3 * k + 2)] = side.z;
    }
    Vector3 mirrorNormal = normalised(cross(corners[2] - corners[0], corners[3] - corners[1]));
    if (odd)
        mirrorNormal = Vector3() - mirrorNormal;
    if (dot(corners[0], mirrorNormal) < 0.0f)
        mirrorNormal = Vector3() - mirrorNormal;

    Scene* scene = camera ? camera->m_scene : nullptr;
    if (!scene) {
        reportError("reflection scene ist nicht zugeordnet!\n");
    } else {
        auto* realCamera = static_cast<Camera*>(camera);
        ReflectionView reflectionView(scene, mirroredView, Vector3(), corners[0], mirrorNormal, 4, std::move(planes),
                                      realCamera);
        // The reflection draws with the camera's depth range (its own
        // distances, or the range it chose this frame); the camera's bare
        // lens would put everything at one depth.
        const Matrix4 projection = reflectionView.setDepthRange(time, 0.0f, 0.0f);
        // The world plane keeps what lies in front of the mirror; shaders
        // clip in clip space, with the projection the reflection draws with.
        float clipPlane[4] = {normal.x, normal.y, normal.z, planeDistance};
        if (!m_context->m_fixedFunction) {
            Matrix4 inverse;
            Matrix4::inverse(inverse, product(mirroredView, projection));
            float moved[4];
            for (int i = 0; i < 4; ++i)
                moved[i] = inverse.at(i, 0) * clipPlane[0] + inverse.at(i, 1) * clipPlane[1]
                           + inverse.at(i, 2) * clipPlane[2] + inverse.at(i, 3) * clipPlane[3];
            std::memcpy(clipPlane, moved, sizeof clipPlane);
        }
        ReflectionView* previous = m_activeReflection;
        m_activeReflection = &reflectionView;
        device->SetClipPlane(0, clipPlane);
        device->SetRenderState(D3DRS_CLIPPLANEENABLE, 1);
        scene->render(time, &reflectionView);
        device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
        m_activeReflection = previous;
    }

    m_context->m_cullMode = savedCull;
    device->SetTransform(D3DTS_WORLD, &savedWorld);
    device->SetTransform(D3DTS_VIEW, &savedView);
    device->SetTransform(D3DTS_PROJECTION, &savedProjection);
    if (params) {
        params->m_world = paramWorld;
        params->m_view = paramView;
        params->m_projection = paramProjection;
        params->m_transformsValid = false;
    }

    // Close: the mirror's surface over its reflection, the stencil back to
    // d - 1.
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILREF, d);
    device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_DECR);
    draw(mainPass);
    device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_STENCILENABLE, savedStencilEnable);
    device->SetRenderState(D3DRS_STENCILREF, savedStencilRef);
}
