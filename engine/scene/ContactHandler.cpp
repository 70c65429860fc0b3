#include "engine/scene/ContactHandler.h"

ContactHandler::ContactHandler() : m_surface{}
{
    m_surface.mode = dContactApprox1 | dContactSoftERP | dContactSoftCFM;
    m_surface.mu = 1.0;
    m_surface.mu2 = 1.0;
    m_surface.bounce = 1.0;
    m_surface.soft_erp = 0.1;
    m_surface.soft_cfm = 0.005;
    m_surface.slip1 = 0.0;
    m_surface.slip2 = 0.0;
}

ContactHandler ContactHandler::onContact(const dContactGeom&)
{
    return *this;
}

ContactTable::ContactTable()
{
    for (auto& row : m_handlers)
        for (ContactHandler*& entry : row)
            entry = &m_default;
}
