#include "engine/scene/CollideFilter.h"

CollideFilter CollideFilter::test(dGeomID, dGeomID)
{
    return *this;
}

CollideFilterTable::CollideFilterTable()
{
    for (uint32_t i = 0; i < Size; ++i)
        for (uint32_t j = 0; j < Size; ++j)
            m_filters[i][j] = i == j ? &m_diagonalDefault : &m_default;
}
