#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Writes LightWave LWO2 objects in memory: the objects of our data set and the
// fixtures of the loader's tests. Everything is big-endian IFF; sizes are
// filled in by the writer. raw() and the raw sub-chunk calls let a test write
// whatever bytes it needs, including broken ones.

// Big-endian bytes with the LWO2 field types.
class Lwo2Bytes {
public:
    Lwo2Bytes& u1(uint32_t v);
    Lwo2Bytes& u2(uint32_t v);
    Lwo2Bytes& u4(uint32_t v);
    Lwo2Bytes& f4(float v);
    Lwo2Bytes& id4(const char* id);
    // The variable-length index: 2 bytes below 0xFF00, else 4 with 0xFF first.
    Lwo2Bytes& vx(uint32_t v);
    // Text, a terminating zero and a pad zero when that makes the length odd.
    Lwo2Bytes& s0(const std::string& text);
    Lwo2Bytes& bytes(const std::vector<uint8_t>& more);
    // A sub-chunk: 4-character id, 2-byte size, data, pad byte when odd.
    Lwo2Bytes& sub(const char* id, const Lwo2Bytes& data);
    // A sub-chunk whose size field says `declaredSize`, whatever follows.
    Lwo2Bytes& subRaw(const char* id, uint32_t declaredSize, const std::vector<uint8_t>& data);

    std::vector<uint8_t> data;
};

// One envelope key with the span that ends at it.
struct Lwo2Key {
    float time = 0.0f;
    float value = 0.0f;
    std::string span = "TCB "; // TCB, HERM, BEZI, BEZ2, LINE, STEP or anything else
    std::vector<float> params;  // written after the span kind, as given
};

struct Lwo2Envelope {
    uint32_t index = 1;
    int type = -1;              // -1: no TYPE sub-chunk
    int pre = -1, post = -1;    // -1: no PRE/POST
    std::string name;           // empty: no NAME
    std::vector<Lwo2Key> keys;
};

// A texture layer (BLOK). The header's type is IMAP, PROC, GRAD or "vcol".
struct Lwo2Block {
    std::string type = "IMAP";
    std::string ordinal = "\x80";
    std::string channel = "COLR";
    int enabled = 1;            // -1: no ENAB
    int opacityType = 0;
    float opacity = 1.0f;
    int negative = -1;          // -1: no NEGA
    float rgbScale = -1.0f;     // negative: no "rgbl"
    bool writeTmap = true;
    std::array<float, 3> center{0, 0, 0}, size{1, 1, 1}, rotation{0, 0, 0};
    int projection = 5;         // -1: no PROJ
    int axis = 2;               // -1: no AXIS
    int image = -1;             // clip index, -1: no IMAG
    int wrapU = 1, wrapV = 1;   // -1: no WRAP
    std::string vmap;           // empty: no VMAP
    float aast = -1.0f;         // negative: no AAST; else AAST 1, strength
    int pixelBlending = -1;     // -1: no PIXB
    float amplitude = -1.0f;    // negative: no TAMP
    float gradientStart = 0.0f, gradientEnd = 0.0f;
    bool writeGradientRange = false;
    std::string gradientInput;  // empty: no PNAM
    std::vector<std::array<float, 5>> gradientKeys; // FKEY
    std::vector<uint16_t> gradientInterpolation;    // IKEY
    Lwo2Bytes extra;            // further sub-chunks after the rest
};

// The specularity value's and channel's sub-chunk ID in surfaces.
inline constexpr char Lwo2Specularity[] = "SPEC";

// A surface (SURF): the common values, blocks, then `extra` sub-chunks.
struct Lwo2Surface {
    std::string name = "Default";
    std::string source;
    std::array<float, 3> color{0.78431374f, 0.78431374f, 0.78431374f};
    bool writeColor = true;
    // (id, value) pairs written as F4 + envelope 0: DIFF, LUMI, specularity, TRAN, ...
    std::vector<std::pair<std::string, float>> values;
    int sides = -1;             // -1: no SIDE
    float smoothing = -1.0f;    // radians; negative: no SMAN
    int reflectionMode = -1;    // -1: no RFOP
    int reflectionImage = -1;   // -1: no RIMG
    std::string backSurface;    // empty: no "back"
    // VCOL: intensity, map type ("RGB ", "RGBA", "max ") and name; empty: none.
    std::string vertexColorType;
    std::string vertexColorMap;
    float vertexColorIntensity = 1.0f;
    std::vector<Lwo2Block> blocks;
    Lwo2Bytes extra;
};

class Lwo2Writer {
public:
    void tags(const std::vector<std::string>& names);
    // parent < 0 writes no parent index.
    void layer(uint32_t number, const std::string& name = "", std::array<float, 3> pivot = {0, 0, 0},
               int parent = -1);
    void points(const std::vector<std::array<float, 3>>& positions);
    void polygons(const std::vector<std::vector<uint32_t>>& polygons, const char* type = "FACE");
    // One tag per polygon (polygon i gets tags[i]).
    void polygonTags(const std::vector<uint16_t>& tags, const char* type = "SURF");
    // Entries: point index, then `dimension` values.
    void vmap(const char* type, uint32_t dimension, const std::string& name,
              const std::vector<std::pair<uint32_t, std::vector<float>>>& entries);
    struct VmadEntry {
        uint32_t point;
        uint32_t polygon;
        std::vector<float> values;
    };
    void vmad(const char* type, uint32_t dimension, const std::string& name, const std::vector<VmadEntry>& entries);
    void envelope(const Lwo2Envelope& envelope);
    void clipStill(uint32_t index, const std::string& name, const Lwo2Bytes& modifiers = {});
    void clipSequence(uint32_t index, uint32_t digits, uint32_t first, uint32_t last, const std::string& prefix,
                      const std::string& suffix, uint32_t offset = 0, const Lwo2Bytes& modifiers = {});
    void clipReference(uint32_t index, uint32_t source, const std::string& name);
    void surface(const Lwo2Surface& surface);
    // A top-level chunk as given; its size is the data's length unless
    // `declaredSize` says otherwise. No pad byte is added.
    void raw(const char* id, const std::vector<uint8_t>& data, int64_t declaredSize = -1);

    // FORM header, the form length and "LWO2", then the chunks.
    std::vector<uint8_t> finish() const;

    static std::vector<uint8_t> blockBytes(const Lwo2Block& block);

private:
    void chunk(const char* id, const Lwo2Bytes& data);
    std::vector<uint8_t> m_body;
};

// A unit cube: one layer, 8 points, 6 quads, the one surface "Default".
std::vector<uint8_t> lwo2Cube(const std::string& surface = "Default");
