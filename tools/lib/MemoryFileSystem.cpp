#include "tools/lib/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>

MemoryFileSystem::MemoryFileSystem() : m_files(std::make_shared<Files>())
{
}

void MemoryFileSystem::addFile(const std::string& name, std::vector<uint8_t> bytes)
{
    (*m_files)[name] = std::move(bytes);
}

void MemoryFileSystem::addFile(const std::string& name, const uint8_t* bytes, size_t count)
{
    addFile(name, std::vector<uint8_t>(bytes, bytes + count));
}

const std::vector<uint8_t>* MemoryFileSystem::file(const std::string& name) const
{
    auto it = m_files->find(name);
    return it == m_files->end() ? nullptr : &it->second;
}

std::unique_ptr<Stream> MemoryFileSystem::clone() const
{
    auto copy = std::make_unique<MemoryFileSystem>();
    copy->m_files = m_files;
    return copy;
}

bool MemoryFileSystem::exists(const char* name)
{
    return m_files->count(name) != 0;
}

bool MemoryFileSystem::openRead(const char* name)
{
    close();
    auto it = m_files->find(name);
    if (it == m_files->end())
        return false;
    m_open = &it->second;
    m_writing = false;
    m_position = 0;
    length = uint32_t(std::min<size_t>(m_open->size(), UINT32_MAX));
    return true;
}

bool MemoryFileSystem::openWrite(const char* name)
{
    close();
    m_open = &(*m_files)[name];
    m_open->clear();
    m_writing = true;
    m_position = 0;
    return true;
}

bool MemoryFileSystem::close()
{
    const bool wasOpen = m_open != nullptr;
    m_open = nullptr;
    m_writing = false;
    m_position = 0;
    length = 0;
    return wasOpen;
}

uint32_t MemoryFileSystem::read(void* dest, uint32_t count)
{
    if (!m_open || m_writing || m_position >= length || count == 0)
        return 0;
    const uint32_t n = std::min(count, length - m_position);
    std::memcpy(dest, m_open->data() + m_position, n);
    m_position += n;
    return n;
}

uint32_t MemoryFileSystem::write(const void* src, uint32_t count)
{
    if (!m_open || !m_writing || count == 0)
        return 0;
    const uint8_t* bytes = static_cast<const uint8_t*>(src);
    if (m_open->size() < size_t(m_position) + count)
        m_open->resize(size_t(m_position) + count);
    std::memcpy(m_open->data() + m_position, bytes, count);
    m_position += count;
    length = uint32_t(m_open->size());
    return count;
}

bool MemoryFileSystem::seekSet(uint32_t position)
{
    if (!m_open)
        return false;
    m_position = position;
    return true;
}

bool MemoryFileSystem::seekCur(int32_t delta)
{
    if (!m_open)
        return false;
    const int64_t target = int64_t(m_position) + delta;
    if (target < 0 || target > int64_t(UINT32_MAX))
        return false;
    m_position = uint32_t(target);
    return true;
}

uint32_t MemoryFileSystem::tell()
{
    return m_position;
}
