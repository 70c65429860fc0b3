#include "AlteredArchive.h"

#include <cstring>

const char AlteredArchive::kUnpackable[] = "(unpackable)";

AlteredArchive::AlteredArchive(Stream& inner, std::string name, const char* replacement)
    : m_inner(inner.clone()), m_name(std::move(name)), m_replacement(replacement)
{
}

std::unique_ptr<Stream> AlteredArchive::clone() const
{
    return std::make_unique<AlteredArchive>(*m_inner, m_name, m_replacement);
}

bool AlteredArchive::exists(const char* name)
{
    return altered(name) ? m_replacement == kUnpackable : m_inner->exists(name);
}

bool AlteredArchive::openRead(const char* name)
{
    m_reading = nullptr;
    if (!altered(name)) {
        const bool opened = m_inner->openRead(name);
        length = m_inner->length;
        return opened;
    }
    if (!m_replacement || m_replacement == kUnpackable)
        return false;
    m_reading = m_replacement;
    m_position = 0;
    length = uint32_t(std::strlen(m_replacement));
    return true;
}

bool AlteredArchive::close()
{
    if (!m_reading)
        return m_inner->close();
    m_reading = nullptr;
    return true;
}

uint32_t AlteredArchive::read(void* dest, uint32_t count)
{
    if (!m_reading)
        return m_inner->read(dest, count);
    const uint32_t left = length - m_position;
    const uint32_t n = count < left ? count : left;
    std::memcpy(dest, m_reading + m_position, n);
    m_position += n;
    return n;
}

bool AlteredArchive::altered(const char* name) const
{
    const std::string full(name);
    return full.size() >= m_name.size() && full.compare(full.size() - m_name.size(), m_name.size(), m_name) == 0;
}
