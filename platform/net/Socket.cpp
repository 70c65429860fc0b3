#include "platform/net/Socket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

Socket::Socket()
{
    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Socket::~Socket()
{
    closeSocket();
    if (m_wake >= 0)
        ::close(m_wake);
}

int32_t Socket::onReceive(const uint8_t*, int32_t)
{
    return 0;
}

void Socket::onDisconnect() {}

bool Socket::isConnected() const
{
    return m_connected.load();
}

int64_t Socket::getReceivedTotal() const
{
    return int64_t(m_receivedTotal.load());
}

int64_t Socket::getSentTotal() const
{
    return int64_t(m_sentTotal.load());
}

int64_t Socket::getTotal() const
{
    return getReceivedTotal() + getSentTotal();
}

uint32_t Socket::getReceived() const
{
    return uint32_t(m_received.load());
}

uint32_t Socket::getSent() const
{
    return uint32_t(m_sent.load());
}

uint32_t Socket::getTraffic() const
{
    return getReceived() + getSent();
}

void Socket::exitThread() {}

void Socket::wake()
{
    if (m_wake >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wake, &one, sizeof one);
    }
}

void Socket::drainWake()
{
    uint64_t count;
    while (::read(m_wake, &count, sizeof count) > 0) {
    }
}

void Socket::countSent(size_t bytes)
{
    m_sent += bytes;
    m_sentTotal += bytes;
}

void Socket::attach(int sock, bool startThread)
{
    ::fcntl(sock, F_SETFL, ::fcntl(sock, F_GETFL) | O_NONBLOCK);
    {
        std::lock_guard<std::mutex> guard(m_sendMutex);
        m_sock = sock;
        m_queue.clear();
        m_queueHead = 0;
        m_closeRequested = false;
        m_failed = false;
    }
    m_stopReading = false;
    m_disconnectNotified = false;
    m_threadDone = false;
    m_connected = true;
    if (startThread) {
        m_thread = std::thread([this] {
            m_threadId = std::this_thread::get_id();
            receiveLoop();
        });
    }
}

void Socket::closeSocket()
{
    shutdownNow();
    if (m_thread.joinable()) {
        // A hook that closes its own socket cannot wait for itself; the
        // thread is then released and the descriptor closed here.
        if (onReceiveThread())
            m_thread.detach();
        else
            m_thread.join();
    }
    m_threadId = std::thread::id{};
    std::lock_guard<std::mutex> guard(m_sendMutex);
    if (m_sock >= 0)
        ::close(m_sock);
    m_sock = -1;
    m_queue.clear();
    m_queueHead = 0;
    m_connected = false;
}

void Socket::shutdownNow()
{
    {
        std::lock_guard<std::mutex> guard(m_sendMutex);
        if (m_sock >= 0)
            ::shutdown(m_sock, SHUT_RDWR);
        m_closeRequested = true;
    }
    wake();
}

void Socket::notifyDisconnect()
{
    if (!m_disconnectNotified.exchange(true))
        onDisconnect();
}

void Socket::shutdownAfterSend()
{
    {
        std::lock_guard<std::mutex> guard(m_sendMutex);
        if (m_sock < 0)
            return;
        m_closeRequested = true;
        if (pendingLocked() == 0 || !m_thread.joinable())
            ::shutdown(m_sock, SHUT_RDWR);
    }
    wake();
}

void Socket::disconnect()
{
    notifyDisconnect();
    shutdownAfterSend();
    m_connected = false;
}

void Socket::setStallTimeout(std::chrono::milliseconds timeout)
{
    {
        std::lock_guard<std::mutex> guard(m_sendMutex);
        m_stallTimeout = timeout;
    }
    // The receive loop may be waiting out the old time.
    wake();
}

size_t Socket::queuedBytes()
{
    std::lock_guard<std::mutex> guard(m_sendMutex);
    return pendingLocked();
}

bool Socket::stalledLocked(int* waitMs) const
{
    *waitMs = -1;
    if (pendingLocked() == 0)
        return false;
    const auto left = m_lastProgress + m_stallTimeout - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero())
        return true;
    *waitMs = int(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    return false;
}

bool Socket::flushLocked()
{
    while (pendingLocked() > 0) {
        const ssize_t n = ::send(m_sock, m_queue.data() + m_queueHead, pendingLocked(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            m_queueHead += size_t(n);
            m_lastProgress = std::chrono::steady_clock::now();
            countSent(size_t(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        } else {
            return false;
        }
    }
    m_queue.clear();
    m_queueHead = 0;
    return true;
}

int32_t Socket::send(const void* data, int32_t size)
{
    if (!data || size <= 0)
        return 0;
    std::lock_guard<std::mutex> guard(m_sendMutex);
    if (m_sock < 0 || m_closeRequested || m_failed)
        return 0;
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t left = size_t(size);
    while (left > 0 && pendingLocked() == 0) {
        const ssize_t n = ::send(m_sock, bytes, left, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes += n;
            left -= size_t(n);
            countSent(size_t(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            m_failed = true;
            return 0;
        }
    }
    if (left == 0)
        return size;
    // Without a receive thread nothing would write the queue out.
    if (!m_thread.joinable() || pendingLocked() + left > kSendQueueHardLimit) {
        m_failed = true;
        ::shutdown(m_sock, SHUT_RDWR);
        return 0;
    }
    if (m_queueHead > 0 && m_queueHead >= m_queue.size() / 2) {
        m_queue.erase(m_queue.begin(), m_queue.begin() + ptrdiff_t(m_queueHead));
        m_queueHead = 0;
    }
    // The stall clock runs from the moment bytes start to wait.
    if (pendingLocked() == 0)
        m_lastProgress = std::chrono::steady_clock::now();
    m_queue.insert(m_queue.end(), bytes, bytes + left);
    wake();
    return size;
}

void Socket::receiveLoop()
{
    uint8_t buffer[4096];
    std::memset(buffer, 0, sizeof buffer);
    std::chrono::steady_clock::time_point closeDeadline{};
    bool closing = false;
    // While reading is held back the loop looks again this often.
    constexpr int kHeldBackMs = 5;
    for (;;) {
        const bool reading = closing || readyToReceive();
        short events = reading ? POLLIN : 0;
        int timeout = closing ? 50 : reading ? -1 : kHeldBackMs;
        {
            std::lock_guard<std::mutex> guard(m_sendMutex);
            if (pendingLocked() > 0)
                events |= POLLOUT;
            if (m_closeRequested && !closing) {
                closing = true;
                closeDeadline = std::chrono::steady_clock::now() + kCloseGrace;
            }
            if (closing && (pendingLocked() == 0 || std::chrono::steady_clock::now() >= closeDeadline)) {
                ::shutdown(m_sock, SHUT_RDWR);
                break;
            }
            int stallWait = -1;
            if (!closing && stalledLocked(&stallWait)) {
                m_failed = true;
                ::shutdown(m_sock, SHUT_RDWR);
                break;
            }
            if (stallWait >= 0 && (timeout < 0 || stallWait < timeout))
                timeout = stallWait;
        }
        pollfd fds[2] = {{m_sock, events, 0}, {m_wake, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents)
            drainWake();
        if (fds[0].revents & POLLOUT) {
            std::lock_guard<std::mutex> guard(m_sendMutex);
            if (!flushLocked()) {
                m_failed = true;
                break;
            }
        }
        // A peer that hung up is read to its end even while reading is
        // held back: nothing more can come after it.
        if (fds[0].revents & (reading ? (POLLIN | POLLHUP | POLLERR) : (POLLHUP | POLLERR))) {
            const ssize_t n = ::recv(m_sock, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) {
                m_received += uint64_t(n);
                m_receivedTotal += uint64_t(n);
                if (!closing)
                    onReceive(buffer, int32_t(n));
                if (m_stopReading)
                    break;
            } else if (n == 0) {
                break;
            } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                break;
            }
        }
    }
    m_connected = false;
    exitThread();
    m_threadDone = true;
}
