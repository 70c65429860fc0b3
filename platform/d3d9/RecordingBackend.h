#pragma once
#include "platform/d3d9/DeviceBackend.h"

#include <map>
#include <string>
#include <vector>

// A device backend without GL: colour surfaces are ARGB words in memory,
// so clears can be read back, and every call is written to a log that
// tests compare against.
class RecordingBackend : public DeviceBackend {
public:
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

    const std::vector<std::string>& calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }
    size_t liveSurfaces() const { return m_surfaces.size(); }

private:
    struct Surface {
        D3DSURFACE_DESC desc;
        std::vector<D3DCOLOR> pixels;
    };
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));

    std::map<uint32_t, Surface> m_surfaces;
    uint32_t m_nextStorage = 1;
    uint32_t m_colour = 0;
    uint32_t m_depth = 0;
    std::vector<std::string> m_calls;
};
