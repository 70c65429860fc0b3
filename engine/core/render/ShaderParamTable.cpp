#include "engine/core/render/ShaderParamTable.h"

#include <cstring>

template <typename T>
const ShaderParameter<T>* ShaderParamTable<T>::find(const char* name) const
{
    for (const ShaderParameter<T>& entry : m_entries) {
        if (std::strcmp(entry.name, name) == 0)
            return &entry;
    }
    return nullptr;
}

template <typename T>
T* ShaderParamTable<T>::add(const char* name, int32_t count)
{
    m_storage.push_back(std::make_unique<T[]>(size_t(count)));
    T* values = m_storage.back().get();
    m_entries.push_back({name, count, values});
    return values;
}

template class ShaderParamTable<int32_t>;
template class ShaderParamTable<float>;
