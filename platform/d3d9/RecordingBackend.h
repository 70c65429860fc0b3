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
    uint32_t createTexture(const BackendTextureDesc& desc) override;
    void destroyTexture(uint32_t texture) override;
    void uploadTexture(uint32_t texture, UINT face, UINT level, const void* data, UINT rowPitch,
                       UINT slicePitch) override;
    uint32_t createTextureSurface(uint32_t texture, UINT face, UINT level, const D3DSURFACE_DESC& desc) override;
    uint32_t createBuffer(UINT bytes, bool index, bool dynamic) override;
    void destroyBuffer(uint32_t buffer) override;
    void uploadBuffer(uint32_t buffer, UINT offset, const void* data, UINT bytes, bool discard) override;
    uint32_t createQuery() override;
    void destroyQuery(uint32_t query) override;
    void beginQuery(uint32_t query) override;
    void endQuery(uint32_t query) override;
    bool queryResult(uint32_t query, DWORD* samples, bool flush) override;
    uint32_t createShader(bool pixel, const std::string& source) override;
    void destroyShader(uint32_t shader) override;
    HRESULT draw(const DrawCall& call) override;

    // Test seams: the bytes a buffer last received, what a query answers
    // once flushed (and after how many polls without a flush).
    const std::vector<uint8_t>* bufferBytes(uint32_t buffer) const;
    void setQueryAnswer(DWORD samples, int pollsUntilReady);
    size_t liveObjects() const { return m_textures.size() + m_buffers.size() + m_queries.size() + m_shaders; }

    const std::vector<std::string>& calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }
    size_t liveSurfaces() const { return m_surfaces.size(); }

private:
    struct Surface {
        D3DSURFACE_DESC desc;
        std::vector<D3DCOLOR> pixels;
    };
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));

    struct Query {
        int polls = 0;
    };
    std::map<uint32_t, Surface> m_surfaces;
    std::map<uint32_t, BackendTextureDesc> m_textures;
    std::map<uint32_t, std::vector<uint8_t>> m_buffers;
    std::map<uint32_t, Query> m_queries;
    size_t m_shaders = 0;
    DWORD m_queryAnswer = 0;
    int m_queryPolls = 0;
    uint32_t m_nextStorage = 1;
    uint32_t m_colour = 0;
    uint32_t m_depth = 0;
    std::vector<std::string> m_calls;
};
