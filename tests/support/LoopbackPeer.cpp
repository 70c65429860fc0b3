#include "LoopbackPeer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

Bytes rawChunk(uint32_t lengthField, uint16_t id, const Bytes& payload)
{
    Bytes bytes = {uint8_t(lengthField), uint8_t(lengthField >> 8), uint8_t(id), uint8_t(id >> 8)};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Bytes chunkBytes(uint16_t id, const Bytes& payload)
{
    return rawChunk(uint32_t(payload.size() + 4), id, payload);
}

Bytes dwordBytes(uint32_t value)
{
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

static sockaddr_in loopback(uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

LoopbackPeer::~LoopbackPeer()
{
    close();
}

bool LoopbackPeer::connect(uint16_t port, int receiveBuffer)
{
    close();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return false;
    if (receiveBuffer > 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    const int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const sockaddr_in address = loopback(port);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
        close();
        return false;
    }
    m_eof = false;
    m_buffer.clear();
    return true;
}

bool LoopbackPeer::send(const Bytes& bytes)
{
    size_t done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return m_fd >= 0;
}

bool LoopbackPeer::fill(std::chrono::steady_clock::time_point deadline)
{
    if (m_fd < 0 || m_eof)
        return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() < 0)
        return false;
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, int(left.count())) <= 0)
        return false;
    uint8_t block[4096];
    const ssize_t n = ::recv(m_fd, block, sizeof block, 0);
    if (n <= 0) {
        m_eof = true;
        return false;
    }
    m_buffer.insert(m_buffer.end(), block, block + n);
    return true;
}

std::optional<TestChunk> LoopbackPeer::read(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (m_buffer.size() >= 4) {
            const size_t length = size_t(m_buffer[0] | m_buffer[1] << 8);
            if (length < 4)
                return std::nullopt;
            if (m_buffer.size() >= length) {
                TestChunk chunk;
                chunk.id = uint16_t(m_buffer[2] | m_buffer[3] << 8);
                chunk.payload.assign(m_buffer.begin() + 4, m_buffer.begin() + ptrdiff_t(length));
                m_buffer.erase(m_buffer.begin(), m_buffer.begin() + ptrdiff_t(length));
                return chunk;
            }
        }
        if (!fill(deadline))
            return std::nullopt;
    }
}

std::optional<TestChunk> LoopbackPeer::readId(uint16_t id, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        auto chunk = read(std::max(left, std::chrono::milliseconds(0)));
        if (!chunk || chunk->id == id)
            return chunk;
    }
}

bool LoopbackPeer::closedWithin(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!m_eof) {
        m_buffer.clear();
        if (!fill(deadline) && !m_eof)
            return false;
    }
    return true;
}

bool LoopbackPeer::silentFor(std::chrono::milliseconds wait)
{
    const size_t before = m_buffer.size();
    fill(std::chrono::steady_clock::now() + wait);
    return !m_eof && m_buffer.size() == before;
}

void LoopbackPeer::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void LoopbackPeer::reset()
{
    if (m_fd >= 0) {
        const linger abortive{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
    close();
}

LoopbackListener::LoopbackListener()
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::listen(m_fd, 8);
    socklen_t length = sizeof address;
    ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener()
{
    ::close(m_fd);
}

int LoopbackListener::accept(std::chrono::milliseconds wait)
{
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, int(wait.count())) <= 0)
        return -1;
    return ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
}

static int countEntries(const char* folder)
{
    int count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (const dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

int openDescriptorCount()
{
    return countEntries("/proc/self/fd");
}

int threadCount()
{
    return countEntries("/proc/self/task");
}
