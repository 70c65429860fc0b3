#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class Renderer;

// One named shader parameter: the shader sources refer to it by `name`;
// `values` holds `count` elements owned by the table that registered it.
template <typename T>
struct ShaderParameter {
    const char* name;
    int32_t count;
    T* values;
};

// The registry both parameter tables share. Registration order matters: the
// programs upload and the program cache builds its key by walking the
// entries in that order, so it is part of the contract with the shaders.
template <typename T>
class ShaderParamTable {
public:
    ShaderParamTable(const ShaderParamTable&) = delete;
    ShaderParamTable& operator=(const ShaderParamTable&) = delete;
    virtual ~ShaderParamTable() = default;

    const std::vector<ShaderParameter<T>>& entries() const { return m_entries; }

    // The entry of that name, or null; for the programs, which bind by name
    // once. Producers keep the direct pointers instead.
    const ShaderParameter<T>* find(const char* name) const;

    std::vector<ShaderParameter<T>> m_entries;
    Renderer* m_renderer;

protected:
    explicit ShaderParamTable(Renderer* renderer) : m_renderer(renderer) {}

    // Registers a zeroed array of `count` elements and returns it.
    T* add(const char* name, int32_t count);

private:
    std::vector<std::unique_ptr<T[]>> m_storage;
};

extern template class ShaderParamTable<int32_t>;
extern template class ShaderParamTable<float>;
