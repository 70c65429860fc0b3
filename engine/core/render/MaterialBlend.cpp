#include "engine/core/render/MaterialBlend.h"

#include "engine/core/render/Material.h"

#include "platform/d3d9/Direct3DDevice9.h"

#include <algorithm>
#include <cmath>

namespace {

// A surface drawn over its mirror image: premultiplied, depth written.
bool overMirror(const MaterialBlendInput& in, MaterialBlend& out)
{
    if (in.reflection == 0.0f || in.reflectionMode != 0)
        return false;
    out.set(D3DRS_ZWRITEENABLE, TRUE);
    out.set(D3DRS_ALPHATESTENABLE, FALSE);
    out.set(D3DRS_ALPHABLENDENABLE, TRUE);
    out.set(D3DRS_SRCBLEND, D3DBLEND_ONE);
    out.set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    out.alpha = 1.0f - in.reflection;
    return true;
}

void opaque(MaterialBlend& out)
{
    out.set(D3DRS_ZWRITEENABLE, TRUE);
    out.set(D3DRS_ALPHATESTENABLE, FALSE);
    out.set(D3DRS_ALPHABLENDENABLE, FALSE);
}

void alphaTest(MaterialBlend& out, DWORD reference)
{
    out.set(D3DRS_ZWRITEENABLE, TRUE);
    out.set(D3DRS_ALPHATESTENABLE, TRUE);
    out.set(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    out.set(D3DRS_ALPHAREF, reference);
}

// Transparency given by the surface value alone fades colour and alpha.
void fade(const MaterialBlendInput& in, MaterialBlend& out)
{
    out.alpha = 1.0f - in.additiveTransparency;
    if (!in.hasTranLayer || in.tranOpacityType == 3) {
        out.colourScale = 1.0f - in.transparency;
        out.alpha *= 1.0f - in.transparency;
    }
}

} // namespace

void MaterialBlend::set(D3DRENDERSTATETYPE state, DWORD value)
{
    if (count < MaxStates)
        states[count++] = {state, value};
}

DWORD MaterialBlend::value(D3DRENDERSTATETYPE state, DWORD otherwise) const
{
    for (int i = count - 1; i >= 0; --i)
        if (states[i].first == state)
            return states[i].second;
    return otherwise;
}

void MaterialBlend::apply(IDirect3DDevice9* device) const
{
    for (int i = 0; i < count; ++i)
        device->SetRenderState(states[i].first, states[i].second);
}

MaterialBlend shaderPassBlend(const MaterialBlendInput& in)
{
    MaterialBlend out;
    if (overMirror(in, out))
        return out;
    if (!in.transparent) {
        opaque(out);
        return out;
    }
    out.set(D3DRS_ZWRITEENABLE, FALSE);
    out.set(D3DRS_ALPHATESTENABLE, FALSE);
    if (in.hasTranLayer && in.transparency == 0.0f)
        alphaTest(out, 0);
    out.set(D3DRS_ALPHABLENDENABLE, TRUE);
    out.set(D3DRS_SRCBLEND, D3DBLEND_ONE);
    out.set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    fade(in, out);
    return out;
}

MaterialBlend fixedFunctionBlend(const MaterialBlendInput& in)
{
    MaterialBlend out;
    if (overMirror(in, out))
        return out;
    if (!in.transparent) {
        opaque(out);
        return out;
    }
    out.set(D3DRS_ZWRITEENABLE, FALSE);
    out.set(D3DRS_ALPHATESTENABLE, FALSE);
    const bool punched = in.hasTranLayer && in.tranPunchThrough;
    if (in.hasTranLayer && (in.transparency == 0.0f || punched))
        alphaTest(out, 0x7F);
    if (punched) {
        out.set(D3DRS_ALPHABLENDENABLE, FALSE);
    } else {
        out.set(D3DRS_ALPHABLENDENABLE, TRUE);
        out.set(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        out.set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    if (in.additiveTransparency != 0.0f) {
        out.set(D3DRS_ALPHABLENDENABLE, TRUE);
        out.set(D3DRS_SRCBLEND, D3DBLEND_ONE);
        out.set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    fade(in, out);
    return out;
}

float specularPower(float glossiness, float limit)
{
    // A glossiness that is no number gives the limit, never NaN.
    const float power = std::exp2(10.0f * glossiness + 2.0f);
    return power < limit ? power : limit;
}

D3DCOLOR reflectionFactor(float reflection)
{
    const float r = reflection > 0.0f ? std::min(reflection, 1.0f) : 0.0f;
    const DWORD grey = DWORD(255.0f * r);
    return 0xFF000000u | (grey << 16) | (grey << 8) | grey;
}

MaterialBlendInput blendInputOf(const Material& material, const MaterialValues& values)
{
    MaterialBlendInput in;
    in.reflection = values.reflection;
    in.reflectionMode = material.m_reflectionMode;
    in.transparent = values.transparent;
    in.transparency = values.transparency;
    in.additiveTransparency = values.additiveTransparency;
    return in;
}
