#include "engine/scene/BoneDisplay.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/scene/Bone.h"
#include "engine/scene/WireLines.h"
#include "platform/d3d9/Direct3DDevice9.h"

BoneDisplay::BoneDisplay(Bone* bone) : BoundingBox(bone->m_renderer, bone), m_bone(bone) {}

void BoneDisplay::computeBounds()
{
    if (m_valid)
        return;
    setMinMax(Vector3(-1.0f, -1.0f, -1.0f), Vector3(1.0f, 1.0f, 1.0f));
    m_valid = true;
}

void BoneDisplay::render(double time)
{
    IDirect3DDevice9* device = m_context ? m_context->m_device : nullptr;
    ShaderFloatParams* params = m_context ? m_context->m_shaderFloatParams.get() : nullptr;
    if (!device || !params)
        return;
    BoneLineVertex vertices[VertexCount];
    buildShape(m_bone->m_restLength, vertices);

    const float colour[4] = {0.0f, 0.8f, 0.0f, 1.0f};
    drawWireLines(device, *params, m_bone->getMatrix(time, true), colour, vertices, VertexCount / 2,
                  sizeof(BoneLineVertex));
}

void BoneDisplay::buildShape(float length, BoneLineVertex out[VertexCount])
{
    // Alpha 255, red 0, green 0.8 (204), blue 0.
    const uint32_t green = 0xFF00CC00u;
    const float d = 0.1f * length;
    const Vector3 base(0.0f, 0.0f, 0.0f), tip(0.0f, 0.0f, length);
    const Vector3 ring[4] = {{d, 0.0f, d}, {-d, 0.0f, d}, {0.0f, d, d}, {0.0f, -d, d}};
    const Vector3 lines[VertexCount] = {base,    ring[0], base,    ring[1], base,    ring[2], base,    ring[3],
                                        ring[0], ring[2], ring[2], ring[1], ring[1], ring[3], ring[3], ring[0],
                                        tip,     ring[0], tip,     ring[1], tip,     ring[2], tip,     ring[3]};
    for (int i = 0; i < VertexCount; ++i)
        out[i] = {lines[i].x, lines[i].y, lines[i].z, green};
}
