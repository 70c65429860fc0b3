// The relay on loopback with six clients (NetControl, as the game uses it)
// sending pose-sized chunks (37 payload bytes): the forwarding throughput
// when every client sends as fast as the others keep up, the forwarding
// latency at the game's rate of 100 chunks per second and client, and the
// same latency seen by five clients while the sixth has stopped reading.
#include "game/net/NetControl.h"
#include "game/net/NetServer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = 6;
constexpr int32_t kPoseId = 37;
constexpr int32_t kPoseBytes = 37;

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Counts poses and the time each took from its sender.
class PoseCounter : public NetHandler {
public:
    void operator()(const uint8_t* payload, int32_t size) override
    {
        int64_t sent;
        std::memcpy(&sent, payload + 1, sizeof sent);
        m_latencyUs.push_back(double(nowNs() - sent) / 1000.0);
        m_count.fetch_add(1, std::memory_order_release);
    }
    std::vector<double> m_latencyUs; // read once the client is closed
    std::atomic<int64_t> m_count{0};
};

// Stops its receive thread at the first chunk until released.
class Staller : public NetHandler {
public:
    void operator()(const uint8_t*, int32_t) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_released.wait(lock, [&] { return m_release; });
    }
    void release()
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_release = true;
        m_released.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_release = false;
};

struct Game {
    Game()
    {
        RelayConfig config;
        config.address = "127.0.0.1";
        config.port = 0;
        relay = std::make_unique<NetServer>(config);
        for (int i = 0; i < kClients; ++i) {
            clients.push_back(std::make_unique<NetControl>());
            clients.back()->setPort(relay->getPort());
            clients.back()->connect("127.0.0.1", i == 0);
        }
    }
    ~Game()
    {
        clients.clear();
        relay.reset();
    }
    void sendPose(int client)
    {
        NetControl& net = *clients[size_t(client)];
        uint8_t pose[kPoseBytes] = {uint8_t(client)};
        const int64_t sent = nowNs();
        std::memcpy(pose + 1, &sent, sizeof sent);
        net.beginChunk(kPoseId);
        for (const uint8_t byte : pose)
            net.writeByte(byte);
        net.sendChunk();
    }

    std::unique_ptr<NetServer> relay;
    std::vector<std::unique_ptr<NetControl>> clients;
};

double percentile(std::vector<double>& values, double p)
{
    if (values.empty())
        return 0.0;
    const size_t at = std::min(values.size() - 1, size_t(p * double(values.size())));
    std::nth_element(values.begin(), values.begin() + ptrdiff_t(at), values.end());
    return values[at];
}

void BM_RelayThroughput(benchmark::State& state)
{
    constexpr int kRounds = 20000;
    constexpr int kWindow = 200; // rounds a sender may run ahead of its receivers
    for (auto _ : state) {
        Game game;
        std::vector<PoseCounter*> counters;
        for (auto& client : game.clients) {
            counters.push_back(new PoseCounter);
            client->addHandler(kPoseId, kPoseBytes, counters.back());
        }
        const auto start = Clock::now();
        auto delivered = [&] {
            int64_t least = INT64_MAX;
            for (PoseCounter* c : counters)
                least = std::min(least, c->m_count.load(std::memory_order_acquire));
            return least;
        };
        for (int round = 0; round < kRounds; ++round) {
            for (int c = 0; c < kClients; ++c)
                game.sendPose(c);
            while (delivered() < int64_t(kClients - 1) * (round - kWindow))
                std::this_thread::yield();
        }
        while (delivered() < int64_t(kClients - 1) * kRounds)
            std::this_thread::yield();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.counters["chunks_per_s"] = double(kClients) * (kClients - 1) * kRounds / seconds;
    }
}

// Every client but the stalled ones sends a pose each 10 ms for two seconds.
void runAtGameRate(benchmark::State& state, bool sixthStalls)
{
    constexpr int kFrames = 200;
    for (auto _ : state) {
        Game game;
        std::vector<PoseCounter*> counters;
        Staller* staller = nullptr;
        const int senders = sixthStalls ? kClients - 1 : kClients;
        for (int c = 0; c < kClients; ++c) {
            if (c < senders) {
                counters.push_back(new PoseCounter);
                game.clients[size_t(c)]->addHandler(kPoseId, kPoseBytes, counters.back());
            } else {
                staller = new Staller;
                game.clients[size_t(c)]->addHandler(kPoseId, kPoseBytes, staller);
            }
        }
        const auto start = Clock::now();
        std::vector<std::thread> threads;
        for (int c = 0; c < senders; ++c)
            threads.emplace_back([&, c] {
                for (int frame = 0; frame < kFrames; ++frame) {
                    std::this_thread::sleep_until(start + std::chrono::milliseconds(10 * frame + c));
                    game.sendPose(c);
                }
            });
        for (auto& thread : threads)
            thread.join();
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        auto done = [&] {
            for (PoseCounter* c : counters)
                if (c->m_count.load(std::memory_order_acquire) < int64_t(senders - 1) * kFrames)
                    return false;
            return true;
        };
        while (!done() && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        // Handlers run under their client's lock: the samples are copied under it.
        std::vector<double> all;
        int64_t received = 0;
        for (int c = 0; c < senders; ++c) {
            std::lock_guard<std::recursive_mutex> guard(game.clients[size_t(c)]->getLock());
            all.insert(all.end(), counters[size_t(c)]->m_latencyUs.begin(), counters[size_t(c)]->m_latencyUs.end());
            received += counters[size_t(c)]->m_count.load();
        }
        if (staller)
            staller->release();
        state.counters["received"] = double(received);
        state.counters["expected"] = double(int64_t(senders) * (senders - 1) * kFrames);
        state.counters["median_us"] = percentile(all, 0.5);
        state.counters["p99_us"] = percentile(all, 0.99);
        state.counters["max_us"] = percentile(all, 1.0);
    }
}

void BM_RelayLatency100Hz(benchmark::State& state)
{
    runAtGameRate(state, false);
}

void BM_RelayLatencySixthStalled(benchmark::State& state)
{
    runAtGameRate(state, true);
}

BENCHMARK(BM_RelayThroughput)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RelayLatency100Hz)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RelayLatencySixthStalled)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
