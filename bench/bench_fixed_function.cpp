// Fixed-function draws through the device on GL: 1,000 small indexed batches
// a frame, cycling through ten fixed-function states (ten different
// generated programs), each batch with its own texture factor so uniforms
// move too. The peer is the same frame with one state for every batch.
// Each frame reads one pixel back, so the figures include the rasteriser
// finishing the frame, not only the submission. Counters: draws per second
// and the fixed-function programs generated (the key cache keeps it at ten).
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3D9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/GlBackend.h"
#include "platform/win/Window.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kBatches = 1000;
constexpr int kStates = 10;
constexpr UINT kSize = 256;

struct Vertex {
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

LRESULT procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// The device, a 32x32 grid of 4x4-pixel quads in one managed buffer pair,
// and a small texture.
class Scene {
public:
    Scene()
    {
        selectD3D9Backend(D3D9Backend::Gl);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = procedure;
        wc.lpszClassName = "VorlundBench";
        RegisterClassExA(&wc);
        m_window = CreateWindowExA(0, "VorlundBench", "bench", WS_OVERLAPPEDWINDOW, 0, 0, kSize, kSize, nullptr,
                                   nullptr, nullptr, nullptr);
        m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = kSize;
        pp.BackBufferHeight = kSize;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.hDeviceWindow = m_window;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        if (!m_window || !m_d3d
            || FAILED(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, m_window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                          &m_device)))
            return;
        std::vector<Vertex> vertices;
        std::vector<uint16_t> indices;
        for (int q = 0; q < 1024; ++q) {
            const float x = -1.0f + float(q % 32) / 16.0f, y = -1.0f + float(q / 32) / 16.0f, s = 1.0f / 32.0f;
            const uint16_t base = uint16_t(vertices.size());
            vertices.push_back({x, y, 0.5f, 0, 0, -1, 0xFFFFFFFF, 0, 1});
            vertices.push_back({x, y + s, 0.5f, 0, 0, -1, 0xFFFFFFFF, 0, 0});
            vertices.push_back({x + s, y, 0.5f, 0, 0, -1, 0xFFFFFFFF, 1, 1});
            vertices.push_back({x + s, y + s, 0.5f, 0, 0, -1, 0xFFFFFFFF, 1, 0});
            for (uint16_t i : {0, 1, 2, 2, 1, 3})
                indices.push_back(uint16_t(base + i));
        }
        void* data = nullptr;
        m_device->CreateVertexBuffer(UINT(vertices.size() * sizeof(Vertex)), D3DUSAGE_WRITEONLY, kFvf,
                                     D3DPOOL_MANAGED, &m_vertices, nullptr);
        m_vertices->Lock(0, 0, &data, 0);
        std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
        m_vertices->Unlock();
        m_device->CreateIndexBuffer(UINT(indices.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                    &m_indices, nullptr);
        m_indices->Lock(0, 0, &data, 0);
        std::memcpy(data, indices.data(), indices.size() * 2);
        m_indices->Unlock();
        m_device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &m_texture, nullptr);
        D3DLOCKED_RECT locked{};
        m_texture->LockRect(0, &locked, nullptr, 0);
        for (int i = 0; i < 64; ++i)
            static_cast<D3DCOLOR*>(locked.pBits)[i] = (i * 0x040404) | 0xFF000000;
        m_texture->UnlockRect(0);
        m_device->SetFVF(kFvf);
        m_device->SetStreamSource(0, m_vertices, 0, sizeof(Vertex));
        m_device->SetIndices(m_indices);
        m_device->SetTexture(0, m_texture);
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Direction = {0, 0, 1};
        m_device->SetLight(0, &light);
        m_device->LightEnable(0, TRUE);
        const D3DMATERIAL9 material{{1, 1, 1, 1}, {0.2f, 0.2f, 0.2f, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0};
        m_device->SetMaterial(&material);
    }

    ~Scene()
    {
        if (m_device) {
            m_device->SetTexture(0, nullptr);
            m_device->SetStreamSource(0, nullptr, 0, 0);
            m_device->SetIndices(nullptr);
            m_texture->Release();
            m_indices->Release();
            m_vertices->Release();
            m_device->Release();
        }
        if (m_d3d)
            m_d3d->Release();
        if (m_window)
            DestroyWindow(m_window);
    }

    bool ready() const { return m_device != nullptr; }

    // Ten states, each a different program: lighting, fog, alpha test,
    // specular and the stage-0 operation in turn.
    void applyState(int which)
    {
        IDirect3DDevice9* d = m_device;
        static const DWORD ops[kStates] = {D3DTOP_MODULATE, D3DTOP_MODULATE2X, D3DTOP_ADD,    D3DTOP_SELECTARG1,
                                           D3DTOP_SELECTARG2, D3DTOP_MODULATE, D3DTOP_ADDSIGNED, D3DTOP_SUBTRACT,
                                           D3DTOP_BLENDTEXTUREALPHA, D3DTOP_MODULATE4X};
        d->SetTextureStageState(0, D3DTSS_COLOROP, ops[which]);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_COLORARG2, which == 5 ? D3DTA_TFACTOR : D3DTA_DIFFUSE);
        d->SetRenderState(D3DRS_LIGHTING, which % 2);
        d->SetRenderState(D3DRS_FOGENABLE, which == 3 || which == 8);
        d->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        d->SetRenderState(D3DRS_ALPHATESTENABLE, which == 4);
        d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    }

    void frame(bool cycle)
    {
        IDirect3DDevice9* d = m_device;
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d->BeginScene();
        for (int batch = 0; batch < kBatches; ++batch) {
            if (cycle || batch == 0)
                applyState(cycle ? batch % kStates : 0);
            d->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF000000 | DWORD(batch * 0x010203));
            d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4096, UINT(batch % 1024) * 6, 2);
        }
        d->EndScene();
        IDirect3DSurface9* backBuffer = nullptr;
        d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
        std::vector<D3DCOLOR> pixel;
        d->backend().readPixels(backBuffer->storage(), RECT{0, 0, 1, 1}, pixel);
        backBuffer->Release();
    }

    size_t programs() const { return static_cast<GlBackend&>(m_device->backend()).programsGenerated(); }

private:
    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    IDirect3DVertexBuffer9* m_vertices = nullptr;
    IDirect3DIndexBuffer9* m_indices = nullptr;
    IDirect3DTexture9* m_texture = nullptr;
};

void run(benchmark::State& bench, bool cycle)
{
    Scene scene;
    if (!scene.ready()) {
        bench.SkipWithError("no OpenGL display");
        return;
    }
    scene.frame(cycle);
    for (auto _ : bench)
        scene.frame(cycle);
    bench.counters["draws/s"] =
        benchmark::Counter(double(bench.iterations()) * kBatches, benchmark::Counter::kIsRate);
    bench.counters["programs"] = double(scene.programs());
}

void BM_DeviceDrawsTenStates(benchmark::State& bench)
{
    run(bench, true);
}
BENCHMARK(BM_DeviceDrawsTenStates)->Unit(benchmark::kMillisecond);

void BM_DeviceDrawsOneState(benchmark::State& bench)
{
    run(bench, false);
}
BENCHMARK(BM_DeviceDrawsOneState)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
