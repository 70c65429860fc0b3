#include "game/net/NetValue.h"

#include "engine/core/base/Report.h"
#include "game/net/NetControl.h"

#include <algorithm>
#include <cstring>

NetValue::NetValue()
    : NetValue(NetControl::getInstance())
{
}

NetValue::NetValue(NetControl& control)
    : m_control(control)
{
    m_control.addValue(this);
}

NetValue::~NetValue()
{
    m_control.removeValue(this);
}

uint8_t* NetValue::data()
{
    return m_value;
}

int32_t NetValue::size() const
{
    return int32_t(sizeof m_value);
}

bool NetValue::isDirty() const
{
    return m_dirty != 0;
}

void NetValue::setReceived(const uint8_t* bytes, uint32_t length)
{
    std::memcpy(m_received, bytes, std::min<size_t>(length, sizeof m_received));
    m_hasReceived = 1;
}

bool NetValue::commit()
{
    if (m_hasReceived && (m_flags & kTakeReceived))
        std::memcpy(m_value, m_received, sizeof m_value);
    m_dirty = 0;
    m_hasReceived = 0;
    return false;
}

int32_t NetValue::getId() const
{
    return m_id;
}

int32_t NetValue::getFlags() const
{
    return m_flags;
}

const std::string& NetValue::getName() const
{
    return m_name;
}

void NetValue::setName(const std::string& name)
{
    m_name = name;
}

void NetValue::setId(int32_t id)
{
    if (m_control.getValueId(id))
        reportAssertion("\"!NetControl::getInstance().getValueId(id)\"");
    m_id = id;
}
