#pragma once
#include "platform/d3d9/CapabilityModel.h"
#include "platform/d3d9/DeviceBackend.h"

#include <map>

// The device backend over the run's one GL context. Surfaces are
// renderbuffers attached to one draw framebuffer object; Present resolves
// and turns the back buffer over into the window (see the conventions in
// Direct3DDevice9.h).
class GlBackend : public DeviceBackend {
public:
    explicit GlBackend(const CapabilityModel& capabilities);
    ~GlBackend() override;

    HRESULT configure(const D3DPRESENT_PARAMETERS& params, HWND window) override;
    uint32_t createSurface(const D3DSURFACE_DESC& desc, int samples) override;
    void destroySurface(uint32_t storage) override;
    void bindTargets(uint32_t colour, uint32_t depth) override;
    void setViewport(const D3DVIEWPORT9& viewport) override;
    void clear(const RECT& area, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override;
    void beginScene() override;
    void endScene() override;
    HRESULT present(uint32_t backBuffer, HWND window) override;
    bool setGammaRamp(HWND window, const D3DGAMMARAMP& ramp) override;
    void setSoftwareVertexProcessing(bool software) override;
    bool readPixels(uint32_t storage, const RECT& area, std::vector<D3DCOLOR>& pixels) override;

private:
    struct Surface {
        uint32_t renderbuffer;
        D3DSURFACE_DESC desc;
        int samples;
    };
    bool current();
    // A single-sampled copy of a surface, attached to m_readFbo for reading.
    bool attachForReading(const Surface& surface);

    CapabilityModel m_capabilities;
    HWND m_window = nullptr;
    uint32_t m_drawFbo = 0;
    uint32_t m_readFbo = 0;
    uint32_t m_resolveBuffer = 0;
    UINT m_resolveWidth = 0;
    UINT m_resolveHeight = 0;
    D3DFORMAT m_resolveFormat = D3DFMT_UNKNOWN;
    std::map<uint32_t, Surface> m_surfaces;
    uint32_t m_colour = 0;
    uint32_t m_depth = 0;
};
