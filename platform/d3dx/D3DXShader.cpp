#include "platform/d3dx/D3DXShader.h"

#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DShader9.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <set>
#include <sstream>

namespace {

constexpr UINT VertexRegisters = 256;
constexpr UINT PixelRegisters = 224;
constexpr size_t MaxLiteralValues = 4096;
constexpr const char* SamplerTag = " // sampler";

bool isIdentifier(const std::string& s)
{
    if (s.empty() || s.size() > 255 || !(std::isalpha(uint8_t(s[0])) || s[0] == '_'))
        return false;
    return std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(uint8_t(c)) || c == '_'; });
}

ID3DXBuffer* textBuffer(const std::string& text)
{
    auto* buffer = new ID3DXBuffer(text.size() + 1);
    std::memcpy(buffer->GetBufferPointer(), text.c_str(), text.size() + 1);
    return buffer;
}

// A source line split into words at spaces, brackets and semicolons.
std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> out;
    std::string word;
    for (char c : line) {
        if (std::isspace(uint8_t(c)) || c == '[' || c == ']' || c == ';') {
            if (!word.empty())
                out.push_back(word);
            word.clear();
            if (c == '[' || c == ']' || c == ';')
                out.emplace_back(1, c);
        } else {
            word += c;
        }
    }
    if (!word.empty())
        out.push_back(word);
    return out;
}

bool containsIdentifier(const std::string& text, const std::string& name)
{
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
        const bool startsWord = at == 0 || !(std::isalnum(uint8_t(text[at - 1])) || text[at - 1] == '_');
        const size_t end = at + name.size();
        const bool endsWord = end == text.size() || !(std::isalnum(uint8_t(text[end])) || text[end] == '_');
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

UINT columnsOf(const std::string& type)
{
    if (type == "float")
        return 1;
    if (type == "vec2")
        return 2;
    if (type == "vec3")
        return 3;
    if (type == "vec4")
        return 4;
    return 0;
}

const char* swizzle(UINT columns)
{
    static const char* const names[] = {"", ".x", ".xy", ".xyz", ""};
    return names[columns];
}

struct StageSource {
    std::string text;
    std::string error;
};

// Common text plus the stage's section, the marker lines blanked so that
// line numbers still match the file.
StageSource selectStage(const std::string& source, bool pixel)
{
    StageSource out;
    std::istringstream in(source);
    std::string line;
    int section = 0; // 0 common, 1 vertex, 2 pixel
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::vector<std::string> w = words(line);
        if (!w.empty() && w[0] == "#stage") {
            const std::string kind = w.size() > 1 ? w[1] : "";
            if (kind == "common")
                section = 0;
            else if (kind == "vertex")
                section = 1;
            else if (kind == "pixel")
                section = 2;
            else if (out.error.empty())
                out.error = "(" + std::to_string(number) + "): unknown stage '" + kind + "'";
            out.text += "\n";
            continue;
        }
        const bool keep = section == 0 || section == (pixel ? 2 : 1);
        out.text += keep ? line + "\n" : "\n";
    }
    return out;
}

} // namespace

ULONG ID3DXBuffer::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

ID3DXConstantTable::ID3DXConstantTable(bool pixel, std::map<std::string, D3DXConstantSlot> constants)
    : m_pixel(pixel), m_constants(std::move(constants))
{
}

ULONG ID3DXConstantTable::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

const D3DXConstantSlot* ID3DXConstantTable::find(const char* name) const
{
    if (!name)
        return nullptr;
    auto it = m_constants.find(name);
    return it == m_constants.end() ? nullptr : &it->second;
}

HRESULT ID3DXConstantTable::SetDefaults(IDirect3DDevice9* device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    std::vector<float> zeros;
    for (const auto& [name, slot] : m_constants) {
        zeros.assign(size_t(slot.elements) * 4, 0.0f);
        if (m_pixel)
            device->SetPixelShaderConstantF(slot.reg, zeros.data(), slot.elements);
        else
            device->SetVertexShaderConstantF(slot.reg, zeros.data(), slot.elements);
    }
    return D3D_OK;
}

HRESULT ID3DXConstantTable::SetValue(IDirect3DDevice9* device, D3DXHANDLE name, const void* data, UINT bytes)
{
    const D3DXConstantSlot* slot = find(name);
    if (!device || !slot || (!data && bytes))
        return D3DERR_INVALIDCALL;
    const size_t floats = bytes / sizeof(float);
    const size_t elements = std::min<size_t>(slot->elements, (floats + slot->columns - 1) / slot->columns);
    if (elements == 0)
        return D3D_OK;
    std::vector<float> registers(elements * 4, 0.0f);
    const auto* values = static_cast<const uint8_t*>(data);
    for (size_t e = 0; e < elements; ++e) {
        const size_t first = e * slot->columns;
        const size_t n = std::min<size_t>(slot->columns, floats - first);
        std::memcpy(&registers[e * 4], values + first * sizeof(float), n * sizeof(float));
    }
    if (m_pixel)
        return device->SetPixelShaderConstantF(slot->reg, registers.data(), UINT(elements));
    return device->SetVertexShaderConstantF(slot->reg, registers.data(), UINT(elements));
}

ULONG ID3DXEffectCompiler::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT ID3DXEffectCompiler::SetValue(D3DXHANDLE name, const void* data, UINT bytes)
{
    if (!name || !isIdentifier(name) || !data || bytes < sizeof(int32_t)
        || bytes / sizeof(int32_t) > MaxLiteralValues)
        return D3DERR_INVALIDCALL;
    std::vector<int32_t> values(bytes / sizeof(int32_t));
    std::memcpy(values.data(), data, values.size() * sizeof(int32_t));
    m_literals[name] = std::move(values);
    return D3D_OK;
}

HRESULT ID3DXEffectCompiler::CompileShader(D3DXHANDLE function, const char* profile, DWORD, ID3DXBuffer** shader,
                                           ID3DXBuffer** errors, ID3DXConstantTable** constants)
{
    if (shader)
        *shader = nullptr;
    if (errors)
        *errors = nullptr;
    if (constants)
        *constants = nullptr;
    auto fail = [&](const std::string& message) {
        if (errors)
            *errors = textBuffer(message);
        return D3DXERR_INVALIDDATA;
    };
    if (!shader || !function || !profile)
        return D3DERR_INVALIDCALL;
    const bool pixel = std::strncmp(profile, "ps_", 3) == 0;
    if (!pixel && std::strncmp(profile, "vs_", 3) != 0)
        return fail(std::string("unsupported profile '") + profile + "'");
    if (!isIdentifier(function))
        return fail(std::string("invalid entry point name"));

    StageSource stage = selectStage(m_source, pixel);
    if (!stage.error.empty())
        return fail(stage.error);
    if (!containsIdentifier(stage.text, function))
        return fail(std::string("(1): entry point '") + function + "' not found");

    // Uniform lines become plain globals loaded from the registers, or
    // samplers on the stages' fixed names; everything else stays as written.
    const char* bank = pixel ? "ps_c" : "vs_c";
    const UINT limit = pixel ? PixelRegisters : VertexRegisters;
    std::map<std::string, D3DXConstantSlot> slots;
    std::string body, loads, header;
    UINT nextRegister = 0, nextSampler = 0;
    std::istringstream in(stage.text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::vector<std::string> w = words(line);
        if (w.size() < 3 || w[0] != "uniform") {
            body += line + "\n";
            continue;
        }
        const std::string& type = w[1];
        const std::string& name = w[2];
        const std::string where = "(" + std::to_string(number) + "): ";
        if (!isIdentifier(name) || slots.count(name))
            return fail(where + "bad or repeated uniform '" + name + "'");
        if (type == "sampler2D" || type == "samplerCube") {
            if (!pixel)
                return fail(where + "samplers are read by pixel shaders only");
            if (nextSampler >= D3DX_MAX_SAMPLERS)
                return fail(where + "too many samplers");
            const std::string unit = "ps_s" + std::to_string(nextSampler++);
            header += "#define " + name + " " + unit + SamplerTag + "\n";
            body += "uniform " + type + " " + unit + ";\n";
            continue;
        }
        const UINT columns = columnsOf(type);
        UINT elements = 1;
        bool array = false;
        if (w.size() >= 6 && w[3] == "[" && w[5] == "]") {
            const std::string& count = w[4];
            if (count.empty() || count.size() > 4 || !std::all_of(count.begin(), count.end(), ::isdigit))
                return fail(where + "bad array size of '" + name + "'");
            elements = UINT(std::stoul(count));
            array = true;
        } else if (w.size() < 4 || w[3] != ";") {
            return fail(where + "unsupported uniform declaration");
        }
        if (columns == 0 || elements == 0)
            return fail(where + "unsupported uniform type '" + type + "'");
        if (elements > limit - nextRegister)
            return fail(where + "too many constants for " + profile);
        slots[name] = D3DXConstantSlot{nextRegister, elements, columns};
        body += type + " " + name + (array ? "[" + std::to_string(elements) + "]" : "") + ";\n";
        if (array)
            loads += "    for (int i = 0; i < " + std::to_string(elements) + "; ++i) " + name + "[i] = " + bank + "["
                     + std::to_string(nextRegister) + " + i]" + swizzle(columns) + ";\n";
        else
            loads += "    " + name + " = " + bank + "[" + std::to_string(nextRegister) + "]" + swizzle(columns) + ";\n";
        nextRegister += elements;
    }

    for (const auto& [name, values] : m_literals) {
        if (values.size() == 1) {
            header += "const int " + name + " = " + std::to_string(values[0]) + ";\n";
            continue;
        }
        header += "const int " + name + "[" + std::to_string(values.size()) + "] = int[](";
        for (size_t i = 0; i < values.size(); ++i)
            header += (i ? ", " : "") + std::to_string(values[i]);
        header += ");\n";
    }

    const std::string text = header + "#line 1\n" + body + "void d3dx_loadConstants()\n{\n" + loads
                             + "}\nvoid main()\n{\n    d3dx_loadConstants();\n    " + function + "();\n}\n";
    if (text.size() > IDirect3DShader9::kMaxSourceBytes)
        return fail("(1): shader source too long");
    const std::vector<DWORD> code = IDirect3DShader9::wrap(text, pixel);
    *shader = new ID3DXBuffer(code.size() * sizeof(DWORD));
    std::memcpy((*shader)->GetBufferPointer(), code.data(), code.size() * sizeof(DWORD));
    if (constants)
        *constants = new ID3DXConstantTable(pixel, std::move(slots));
    return D3D_OK;
}

HRESULT D3DXCreateEffectCompiler(const char* source, UINT length, ID3DXEffectCompiler** compiler)
{
    if (!compiler || (!source && length))
        return D3DERR_INVALIDCALL;
    *compiler = new ID3DXEffectCompiler(std::string(source ? source : "", length));
    return D3D_OK;
}

HRESULT D3DXGetShaderSamplers(const DWORD* function, LPCSTR* samplers, UINT* count)
{
    if (!count)
        return D3DERR_INVALIDCALL;
    *count = 0;
    std::string source;
    if (!IDirect3DShader9::unwrap(function, true, &source))
        return IDirect3DShader9::unwrap(function, false, &source) ? D3D_OK : D3DERR_INVALIDCALL;

    // Names live for the process, as they would inside the shader's bytes.
    static std::mutex lock;
    static std::set<std::string> names;
    std::lock_guard<std::mutex> guard(lock);
    std::istringstream in(source);
    std::string line;
    const size_t tag = std::strlen(SamplerTag);
    while (std::getline(in, line) && *count < D3DX_MAX_SAMPLERS) {
        if (line.size() <= tag || line.compare(line.size() - tag, tag, SamplerTag) != 0)
            continue;
        const std::vector<std::string> w = words(line);
        if (w.size() < 3 || w[0] != "#define" || w[2] != "ps_s" + std::to_string(*count))
            continue;
        const std::string& name = *names.insert(w[1]).first;
        if (samplers)
            samplers[*count] = name.c_str();
        ++*count;
    }
    return D3D_OK;
}
