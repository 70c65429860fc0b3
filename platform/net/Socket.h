#pragma once
// platform/net: TCP over POSIX sockets in place of Winsock 2, with one
// receive thread (std::thread) per connected socket. The classes count bytes
// and know nothing of what they carry. Only this folder includes socket headers.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// A connected (or listening) TCP socket and its receive thread. Sends never
// block the caller and never raise SIGPIPE: what the kernel does not take at
// once waits in a queue that the receive thread writes out. A peer is
// dropped when it takes none of its queued bytes for the stall time, or when
// the queue passes a hard bound; a user that forwards what it reads slows
// its senders instead (readyToReceive) while a receiver's queue is full.
class Socket {
public:
    // Queued bytes from which a receiver counts as full (queueFull).
    static constexpr size_t kSendQueueLimit = 1 << 20;
    // Queued bytes no peer may leave unread: room for the relay's largest
    // answer (every stored value at once, 2000 chunks under 32000 bytes) on
    // top of a full queue.
    static constexpr size_t kSendQueueHardLimit = 80u << 20;
    // How long a peer may take none of its queued bytes before it is dropped.
    static constexpr std::chrono::milliseconds kDefaultStallTimeout{10000};
    // How long a closing socket keeps writing out its queue.
    static constexpr std::chrono::milliseconds kCloseGrace{1000};

    virtual ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // One received block, on the receive thread.
    virtual int32_t onReceive(const uint8_t* data, int32_t size);
    // The connection ended or is being closed; runs once per connection.
    virtual void onDisconnect();
    virtual bool isConnected() const;
    virtual int64_t getReceivedTotal() const;
    virtual int64_t getSentTotal() const;
    virtual int64_t getTotal() const;
    virtual uint32_t getReceived() const;
    virtual uint32_t getSent() const;
    virtual uint32_t getTraffic() const;
    // Runs last on the receive thread; the thread ends when it returns.
    virtual void exitThread();

    // Hands all of data to the connection: the count on success, 0 when the
    // socket is closed, failed or its peer was dropped for not reading.
    int32_t send(const void* data, int32_t size);
    // onDisconnect, then shut down both directions once the queued bytes are
    // out (or the grace time ran out). The socket stays open until closed.
    void disconnect();
    // Shuts down after the queued bytes are out, without onDisconnect here:
    // the receive thread reports the end.
    void shutdownAfterSend();

    bool threadFinished() const { return m_threadDone.load(); }
    void setStallTimeout(std::chrono::milliseconds timeout);
    // Bytes handed to send that the kernel has not taken yet.
    size_t queuedBytes();
    bool queueFull() { return queuedBytes() >= kSendQueueLimit; }

protected:
    Socket();
    // Takes a connected descriptor (made non-blocking here) and starts the
    // receive thread when asked. The object must be complete by then.
    void attach(int sock, bool startThread);
    // Ends the connection at once, joins the receive thread and closes the
    // descriptor. Every class that overrides the hooks calls it in its own
    // destructor, before its members go.
    void closeSocket();
    // From onReceive: the receive loop ends after this block.
    void stopReading() { m_stopReading = true; }
    // Asked on the receive thread before each read. False leaves what the
    // peer sends in the kernel, so TCP slows the peer down, and the question
    // comes again a few milliseconds later; queued bytes still go out.
    virtual bool readyToReceive() { return true; }
    // Shut down both directions now (queued bytes are dropped).
    void shutdownNow();
    // Runs onDisconnect unless it already ran for this connection.
    void notifyDisconnect();
    bool onReceiveThread() const { return m_threadId.load() == std::this_thread::get_id(); }
    // Wakes the receive thread (or a waiting accept).
    void wake();
    void drainWake();

    int m_sock = -1;
    int m_wake = -1;
    std::atomic<bool> m_connected{false};

private:
    void receiveLoop();
    // Writes queued bytes until the kernel is full; false on a failed peer.
    bool flushLocked();
    // How long the receive loop may wait before it must look at the stall
    // clock again; -1 when nothing is queued. True when the peer stalled.
    bool stalledLocked(int* waitMs) const;
    size_t pendingLocked() const { return m_queue.size() - m_queueHead; }
    void countSent(size_t bytes);

    std::thread m_thread;
    std::atomic<std::thread::id> m_threadId{};
    std::atomic<bool> m_threadDone{false};
    std::atomic<bool> m_disconnectNotified{false};
    bool m_stopReading = false; // receive thread only

    std::mutex m_sendMutex; // guards the queue, the close request and m_sock changes
    std::vector<uint8_t> m_queue;
    size_t m_queueHead = 0;
    bool m_closeRequested = false;
    bool m_failed = false;
    // When the queue last became non-empty or last shrank.
    std::chrono::steady_clock::time_point m_lastProgress{};
    std::chrono::milliseconds m_stallTimeout = kDefaultStallTimeout;

    // Each pair grows by the same amounts; nothing resets them.
    std::atomic<uint64_t> m_received{0}, m_receivedTotal{0};
    std::atomic<uint64_t> m_sent{0}, m_sentTotal{0};
};
