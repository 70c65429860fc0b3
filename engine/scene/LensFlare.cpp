#include "engine/scene/LensFlare.h"

#include "engine/core/math/Color.h"
#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/display/DisplayManager.h"
#include "engine/core/texture/FlareTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DQuery9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return 0xFF000000u | r << 16 | g << 8 | b;
}

struct FlareVertex {
    float x, y, z, u, v;
};
constexpr DWORD FlareFvf = D3DFVF_XYZ | D3DFVF_TEX1;
constexpr int32_t FlareVertexCount = 5;
constexpr UINT TestPointVertex = 4;

// The quad of the elements (a fan over 0-3) and the point the query draws.
constexpr FlareVertex FlareVertices[FlareVertexCount] = {
    {-0.1f, -0.1f, 0.0f, 0.0f, 0.0f}, {-0.1f, 0.1f, 0.0f, 0.0f, 1.0f}, {0.1f, 0.1f, 0.0f, 1.0f, 1.0f},
    {0.1f, -0.1f, 0.0f, 1.0f, 0.0f},  {0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
};

// Names and shapes of slots 1 to 4; slot 0 repeats slot 1 and slot 5 slot 4.
struct FlareSlot {
    const char* name;
    int32_t shape;
};
constexpr FlareSlot GeneratedSlots[4] = {
    {"(flare BRIGHTCTR)", 1},
    {"(flare EVENCTR)", 2},
    {"(flare DIMCTR)", 3},
    {"(flare RING)", 4},
};

constexpr int32_t OptionGreyGlow = 0x1;
constexpr int32_t OptionTintedGlow = 0x8;
constexpr int32_t OptionElements = 0x10;
constexpr float GreyGlow = 0.46f;
constexpr float MinVisible = 1e-6f;

uint32_t g_largestPixelCount = 16;

Vector3 transformPoint(const Vector3& p, const Matrix4& m)
{
    return Vector3(p.x * m.at(0, 0) + p.y * m.at(1, 0) + p.z * m.at(2, 0) + m.at(3, 0),
                   p.x * m.at(0, 1) + p.y * m.at(1, 1) + p.z * m.at(2, 1) + m.at(3, 1),
                   p.x * m.at(0, 2) + p.y * m.at(1, 2) + p.z * m.at(2, 2) + m.at(3, 2));
}

Vector3 translationOf(const Matrix4& m)
{
    return Vector3(m.at(3, 0), m.at(3, 1), m.at(3, 2));
}

Vector3 unitZAxis(const Matrix4& m)
{
    Vector3 z(m.at(2, 0), m.at(2, 1), m.at(2, 2));
    z.normalize();
    return z;
}

} // namespace

const FlareElement LensFlare::Elements[ElementCount] = {
    {2, 1.52f, 0.4f, rgb(3, 3, 3)},          {2, 1.5f, 0.92f, rgb(10, 5, 0)},
    {4, 1.3f, 0.11f, rgb(20, 20, 20)},       {2, 0.505f, 0.055f, rgb(3, 8, 15)},
    {2, 0.45f, 0.16f, rgb(0, 3, 13)},        {2, 0.41f, 0.085f, rgb(3, 10, 15)},
    {2, 0.2f, 0.055f, rgb(41, 20, 0)},       {1, 0.01f, 0.03f, rgb(153, 153, 153)},
    {1, -0.27f, 0.045f, rgb(128, 178, 204)}, {2, -0.415f, 0.11f, rgb(64, 18, 0)},
    {3, -0.455f, 0.19f, rgb(33, 20, 3)},     {2, -0.457f, 0.055f, rgb(23, 15, 0)},
    {2, -0.655f, 0.085f, rgb(10, 31, 28)},   {1, -0.675f, 0.13f, rgb(10, 10, 102)},
    {4, -1.005f, 0.27f, rgb(23, 31, 0)},     {5, -1.31f, 0.53f, rgb(15, 10, 0)},
};

uint32_t LensFlare::largestPixelCount()
{
    return g_largestPixelCount;
}

void LensFlare::resetLargestPixelCount()
{
    g_largestPixelCount = 16;
}

LensFlare::LensFlare(SceneManager* manager, Light* light) : m_renderer(light->m_renderer), m_light(light)
{
    for (int32_t i = 0; i < 4; ++i) {
        const FlareSlot& slot = GeneratedSlots[i];
        Texture* texture = manager ? manager->findTexture(slot.name, 0) : nullptr;
        if (!texture) {
            auto* flare = new FlareTexture(m_renderer);
            if (manager)
                manager->addTexture(flare);
            flare->generate(slot.shape);
            flare->create();
            const int32_t wanted = i == 0 ? 0x19 : OptionElements;
            if (light->m_flareOptions & wanted)
                flare->preload();
            texture = flare;
            // Without a manager nobody else would free it; a flare always
            // has one in the game, so this only guards a bare light.
            if (!manager)
                m_orphans.push_back(flare);
        }
        m_textures[i + 1] = texture;
    }
    m_textures[0] = m_textures[1];
    m_textures[5] = m_textures[4];
    createVertexBuffer();
    onResetDevice();
}

LensFlare::~LensFlare()
{
    onLostDevice();
    if (m_vertexBuffer)
        m_vertexBuffer->Release();
    for (Texture* texture : m_orphans)
        delete texture;
}

void LensFlare::createVertexBuffer()
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!device)
        return;
    if (FAILED(device->CreateVertexBuffer(sizeof FlareVertices, D3DUSAGE_WRITEONLY, FlareFvf, D3DPOOL_MANAGED,
                                          &m_vertexBuffer, nullptr))) {
        m_vertexBuffer = nullptr;
        return;
    }
    void* data = nullptr;
    if (FAILED(m_vertexBuffer->Lock(0, 0, &data, 0)) || !data)
        return;
    std::memcpy(data, FlareVertices, sizeof FlareVertices);
    m_vertexBuffer->Unlock();
}

int32_t LensFlare::headCount() const
{
    const DisplayManager* dm = m_renderer ? m_renderer->m_displayManager : nullptr;
    return dm && dm->m_heads.size() > 1 ? 2 : 1;
}

IDirect3DDevice9* LensFlare::headDevice(int32_t head) const
{
    if (!m_renderer)
        return nullptr;
    const DisplayManager* dm = m_renderer->m_displayManager;
    if (dm && head >= 0 && size_t(head) < dm->m_heads.size() && dm->m_heads[size_t(head)].device)
        return dm->m_heads[size_t(head)].device;
    return head == 0 ? m_renderer->m_device : nullptr;
}

void LensFlare::onLostDevice()
{
    for (FlareHeadState& head : m_heads)
        if (head.query)
            head.query->Release();
    m_heads.clear();
}

void LensFlare::onResetDevice()
{
    onLostDevice();
    m_heads.assign(size_t(headCount()), FlareHeadState{});
    for (int32_t i = 0; i < int32_t(m_heads.size()); ++i) {
        IDirect3DDevice9* device = headDevice(i);
        if (device && FAILED(device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &m_heads[size_t(i)].query)))
            m_heads[size_t(i)].query = nullptr;
    }
}

FlareHeadState* LensFlare::currentHead()
{
    if (m_heads.empty())
        return nullptr;
    const bool second = m_heads.size() > 1 && m_renderer && m_renderer->m_currentHead == 1;
    return &m_heads[second ? 1 : 0];
}

Vector3 LensFlare::cameraSpacePosition(Camera* camera, double time)
{
    return transformPoint(translationOf(m_light->getMatrix(time, true)), camera->getInvMatrix(time, true));
}

bool LensFlare::updateVisibility(Camera* camera, const std::vector<Antiportal*>& antiportals, double time)
{
    FlareHeadState* head = currentHead();
    if (!head)
        return false;
    head->prevVisible = head->visible;
    head->prevIntensity = head->intensity;
    head->prevEdgeFade = head->edgeFade;
    head->inView = 0;
    head->visible = 0;
    head->intensity = 0.0f;
    head->edgeFade = 0.0f;
    if (!m_light->m_lensFlareEnabled || !head->query || !camera)
        return false;

    if (!camera->m_projectionValid)
        camera->resetProjection(time);
    Matrix4 clip;
    Matrix4::multiply(clip, camera->getInvMatrix(time, true), camera->m_projection);
    const Vector3 world = translationOf(m_light->getMatrix(time, true));
    float p[4];
    for (int c = 0; c < 4; ++c)
        p[c] = world.x * clip.at(0, c) + world.y * clip.at(1, c) + world.z * clip.at(2, c) + clip.at(3, c);
    if (camera->isPointOutside(p))
        return false;
    for (const Antiportal* antiportal : antiportals)
        if (antiportal && antiportal->occludesPoint(p))
            return false;

    // Fade over the outer tenth of the clip range on each side.
    const float w = p[3];
    const float margin = 0.1f * w;
    const float inner = w - margin;
    float fade = 1.0f;
    for (const float coordinate : {p[0], p[1]}) {
        if (coordinate < -inner)
            fade *= 1.0f - (-coordinate - inner) / margin;
        else if (coordinate > inner)
            fade *= 1.0f - (coordinate - inner) / margin;
    }
    head->edgeFade = fade;

    if (fade > MinVisible) {
        head->inView = 1;
        float intensity = m_light->m_flareNominalDistance * m_light->m_flareIntensity.evaluate(time) * 5.0f;
        if (m_light->m_lightType == 0 || m_light->m_lightType == 2) {
            const Vector3 a = unitZAxis(camera->getMatrix(time, true));
            const Vector3 b = unitZAxis(m_light->getMatrix(time, false));
            intensity *= -(a.x * b.x + a.y * b.y + a.z * b.z);
        }
        head->intensity = intensity;
    }
    head->visible = head->intensity > MinVisible ? 1 : 0;
    return head->visible || (head->inView && head->prevVisible);
}

void LensFlare::issueOcclusionQuery(Camera* camera, double time)
{
    FlareHeadState* head = currentHead();
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!head || !head->visible || !head->query || !device || !camera)
        return;
    device->SetStreamSource(0, m_vertexBuffer, 0, sizeof(FlareVertex));
    device->SetFVF(FlareFvf);
    Matrix4 view = Matrix4::identity();
    const Vector3 p = cameraSpacePosition(camera, time);
    view.at(3, 0) = p.x;
    view.at(3, 1) = p.y;
    view.at(3, 2) = p.z;
    if (ShaderFloatParams* params = m_renderer->m_shaderFloatParams.get()) {
        params->m_view = view;
        params->m_transformsValid = false;
    }
    const D3DMATRIX d3dView = toD3D(view);
    device->SetTransform(D3DTS_VIEW, &d3dView);
    head->query->Issue(D3DISSUE_BEGIN);
    device->DrawPrimitive(D3DPT_POINTLIST, TestPointVertex, 1);
    head->query->Issue(D3DISSUE_END);
}

float LensFlare::visibleFraction()
{
    FlareHeadState* head = currentHead();
    if (!head || !head->query)
        return 0.0f;
    DWORD pixels = 0;
    HRESULT hr = head->query->GetData(&pixels, sizeof pixels, 0);
    while (hr == S_FALSE)
        hr = head->query->GetData(&pixels, sizeof pixels, D3DGETDATA_FLUSH);
    if (hr != S_OK)
        return 0.0f;
    g_largestPixelCount = std::max<uint32_t>(g_largestPixelCount, pixels);
    return float(pixels) / float(g_largestPixelCount);
}

int32_t LensFlare::buildDraws(float k, float theta, const Vector3& p, const float color[3], float a,
                              Draw out[MaxDraws]) const
{
    const int32_t options = m_light->m_flareOptions;
    int32_t count = 0;
    Matrix4 glow;
    const float c = std::cos(theta), s = std::sin(theta);
    glow.at(0, 0) = k * c;
    glow.at(0, 1) = -k * s;
    glow.at(1, 0) = k * s;
    glow.at(1, 1) = k * c;
    glow.at(2, 2) = k;
    glow.at(3, 0) = p.x;
    glow.at(3, 1) = p.y;
    glow.at(3, 2) = p.z;
    glow.at(3, 3) = 1.0f;
    if (options & OptionTintedGlow)
        out[count++] = {glow, 1, colorToArgb(Color{color[0], color[1], color[2], a})};
    if (options & OptionGreyGlow)
        out[count++] = {glow, 1, colorToArgb(Color{GreyGlow, GreyGlow, GreyGlow, a})};
    if (options & OptionElements) {
        for (const FlareElement& element : Elements) {
            const float size = element.size * k;
            Matrix4 m;
            m.at(0, 0) = size;
            m.at(1, 1) = size;
            m.at(2, 2) = size;
            m.at(3, 0) = p.x * element.axisPosition;
            m.at(3, 1) = p.y * element.axisPosition;
            m.at(3, 2) = p.z;
            m.at(3, 3) = 1.0f;
            const Color tint{float((element.color >> 16) & 0xFF) / 255.0f, float((element.color >> 8) & 0xFF) / 255.0f,
                             float(element.color & 0xFF) / 255.0f, a};
            out[count++] = {m, element.textureSlot, colorToArgb(tint)};
        }
    }
    return count;
}

void LensFlare::render(Camera* camera, double time)
{
    FlareHeadState* head = currentHead();
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!head || !head->inView || !head->prevVisible || !device || !camera)
        return;
    const float k = visibleFraction() * head->prevIntensity;
    const float theta = m_light->m_flareRotationAngle.evaluate(time);
    const Vector3 p = cameraSpacePosition(camera, time);
    float color[4];
    m_light->getColor(time, color);
    const float a = std::min(head->prevEdgeFade, head->edgeFade);

    Draw draws[MaxDraws];
    const int32_t count = buildDraws(k, theta, p, color, a, draws);
    device->SetStreamSource(0, m_vertexBuffer, 0, sizeof(FlareVertex));
    device->SetFVF(FlareFvf);
    ShaderFloatParams* params = m_renderer->m_shaderFloatParams.get();
    for (int32_t i = 0; i < count; ++i) {
        const Draw& draw = draws[i];
        if (params) {
            params->m_view = draw.placement;
            params->m_transformsValid = false;
        }
        const D3DMATRIX view = toD3D(draw.placement);
        device->SetTransform(D3DTS_VIEW, &view);
        Texture* texture = m_textures[draw.textureSlot];
        device->SetTexture(0, texture ? texture->getD3DTexture(0.0) : nullptr);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, draw.color);
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    }
}
