#pragma once
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>
#include <vector>

// What a device needs from the machine underneath. The device keeps the
// Direct3D bookkeeping (references, bindings, validation, the viewport) and
// hands the backend finished decisions. Storage handles are the backend's
// own; 0 is none.
class DeviceBackend {
public:
    virtual ~DeviceBackend() = default;

    // At creation and at every Reset: the parameters are already resolved
    // (no zero sizes, no unknown back-buffer format).
    virtual HRESULT configure(const D3DPRESENT_PARAMETERS& params, HWND window) = 0;

    virtual uint32_t createSurface(const D3DSURFACE_DESC& desc, int samples) = 0;
    virtual void destroySurface(uint32_t storage) = 0;

    virtual void bindTargets(uint32_t colour, uint32_t depth) = 0;
    virtual void setViewport(const D3DVIEWPORT9& viewport) = 0;
    // One rectangle of the bound targets, top-left origin, already clipped.
    virtual void clear(const RECT& area, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) = 0;
    virtual void beginScene() = 0;
    virtual void endScene() = 0;
    virtual HRESULT present(uint32_t backBuffer, HWND window) = 0;
    // False when the display refuses the ramp.
    virtual bool setGammaRamp(HWND window, const D3DGAMMARAMP& ramp) = 0;
    virtual void setSoftwareVertexProcessing(bool software) = 0;

    // Test seam: the ARGB pixels of a colour surface, top row first.
    virtual bool readPixels(uint32_t storage, const RECT& area, std::vector<D3DCOLOR>& pixels) = 0;
};
