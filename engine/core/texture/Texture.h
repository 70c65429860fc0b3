#pragma once
#include "engine/core/display/FormatRequirements.h"
#include "engine/core/base/ObjectBase.h"
#include "engine/core/texture/TextureTexels.h"
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IDirect3DDevice9;
class IDirect3DSurface9;
class IDirect3DTexture9;
class Renderer;

// Texture option bits (`m_flags`).
constexpr uint32_t TextureConvert = 0x001;     // stage in scratch, convert into the chosen format
constexpr uint32_t TextureMipChain = 0x002;    // full mip chain
constexpr uint32_t TextureColour = 0x004;      // colour channels are used
constexpr uint32_t TextureAlphaOnly = 0x008;   // alpha from the image's intensity, no colour
constexpr uint32_t TextureNormalMap = 0x010;   // texels become a normal map at upload
constexpr uint32_t TextureKeepSize = 0x040;    // keep a non-power-of-two size where allowed
constexpr uint32_t TextureDynamic = 0x080;     // default pool, dynamic usage
constexpr uint32_t TextureFullDetail = 0x100;  // exempt from the texture-detail reduction
constexpr uint32_t TextureAlphaTested = 0x200; // one alpha bit is enough

// Texture kinds (`kind`).
enum TextureKind : int32_t {
    TextureKindFile = 0,
    TextureKindGradient = 1,
    TextureKindAnimated = 2,
    TextureKindFlare = 3,
    TextureKindRender = 4,
};

// A texture the engine binds: one Direct3D texture per display head, and the
// knowledge to (re)create them. Kinds that fill their own texels (file images,
// gradients, flares) go through createTexture, write level 0 of the first
// head's texture, and finish with upload, which builds the mip levels,
// converts into the chosen format and copies to the other heads.
class Texture : public ObjectBase {
public:
    explicit Texture(Renderer* owner);
    ~Texture() override;

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // A copy of the configuration with nothing created.
    virtual std::unique_ptr<Texture> clone() const = 0;
    // Builds the Direct3D textures, once.
    virtual void create() = 0;
    // The texture to bind for the current head; null when there is none.
    virtual IDirect3DTexture9* getD3DTexture(double time);
    virtual int32_t kind() const = 0;
    virtual void setFlags(uint32_t flags);
    // The first head's level 0 (with a reference for the caller) for a
    // default-pool texture; null otherwise.
    virtual IDirect3DSurface9* getSurface();
    // A default-pool texture does not survive a device reset: it is let go
    // before and made again after, as the kind makes it.
    virtual void onResetDevice();
    virtual void onLostDevice();
    // Decodes the image again; only file textures have one.
    virtual bool reload() { return false; }
    virtual IDirect3DTexture9* getFirstTexture();

    // Makes the driver upload each head's texture now rather than at first use.
    void preload();
    // The format the texels end in (with TextureConvert), from the adapter's
    // texture formats; sets the pool to match the flags in every case.
    void chooseFormat();
    // The format requirements chooseFormat scores with.
    static FormatRequirements formatRequirements(uint32_t flags, int32_t conversion, bool hasAlphaSource);
    // The best candidate, where every format that carries none of the avoided
    // class flags beats every one that does, whatever their scores.
    static const FormatDescription* chooseTextureFormat(const FormatRequirements& requirements,
                                                        const std::vector<const FormatDescription*>& candidates);
    // The first head's texture, `width` x `height`; false (and no texture) when
    // even a scratch texture cannot be made.
    bool createTexture(uint32_t flags, const char* name, uint32_t width, uint32_t height);
    // Level `level` of the first head's texture as 32-bit texels; false when it
    // cannot be locked or is not a 32-bit format.
    bool lockTexels(uint32_t level, TexelLevel* texels);
    void unlockTexels(uint32_t level);
    // Finishes a texture whose level 0 has been written.
    void upload();
    void makeNormalMap();
    void copyToOtherHeads();

    int32_t headCount() const;
    IDirect3DDevice9* headDevice(int32_t head) const;
    // Releases every head's texture.
    void releaseTextures();
    // Releases them and makes one empty slot per head the display has now.
    void resetHeadSlots();

    Renderer* m_owner;
    std::string m_name;
    uint32_t m_flags = 0;
    D3DFORMAT m_format = D3DFMT_A8R8G8B8;
    D3DPOOL m_pool = D3DPOOL_MANAGED;
    uint8_t m_created = 0;
    std::vector<IDirect3DTexture9*> m_textures;
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_levelCount = 0;
    float m_rate = 0.0f;
    // Supplies the alpha channel from its image; not owned.
    Texture* m_alphaSource = nullptr;
    // 0 copy, 1 force opaque, 2 alpha into the colour.
    int32_t m_conversion = 0;
    // Set by the loaders for the passes: the bump strength of a normal map.
    float m_scalarParameter = 0.0f;

protected:
    void copyConfigurationTo(Texture& copy) const;

private:
    void filterAlphaAware();
    void convertStaging();
};
