// Archive decoding speed against bzip2 on the same bytes.
//
// Each case is one entry class at one entry size: deterministic text, runs
// of two byte values, image data (a smooth ramp, and gradients with sensor
// noise), vertex records and noise, as the game's scenes, meshes, textures
// and sound banks give them. The entries (about 4 MB of them for the small
// sizes, one for the large) are packed with flags 3 into an archive in
// memory and decoded through ArchiveFile::openRead. The same bytes,
// compressed with `bzip2 -9`, are decoded by `bzip2 -d` in a child process.
// Both run in the same iteration, side by side, so a busy machine slows both
// alike; the child's start-up (bzip2 -d on an empty stream) is measured the
// same way and taken off its time. The summary prints, per case, the best
// time of each and the ratio bzip2 time / our time: above 1, we are faster.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/base/Report.h"
#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/MemoryFileSystem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// A small LCG keeps the corpus identical on every machine and run.
class CorpusRandom {
public:
    explicit CorpusRandom(uint32_t seed) : m_state(seed) {}
    uint32_t next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    uint32_t below(uint32_t n) { return next() % n; }

private:
    uint32_t m_state;
};

Bytes makeText(size_t n, uint32_t seed)
{
    static const char* words[] = {
        "the", "kart", "race", "track", "lap", "boost", "drift", "coin", "driver", "engine", "wheel",
        "corner", "finish", "start", "player", "season", "points", "kudos", "shop", "upgrade", "colour",
        "of", "and", "a", "to", "in", "is", "with", "on", "for", "at", "from", "behind", "ahead",
        "<level name=\"", "\" laps=\"3\"/>", "ccm", "150", "100", "50", "timedrun", "coinrace"};
    const uint32_t count = sizeof words / sizeof words[0];
    CorpusRandom rng(seed);
    Bytes out;
    out.reserve(n + 64);
    while (out.size() < n) {
        // Skewed word choice, as in real text.
        const uint32_t r = rng.below(count * count);
        const char* w = words[uint32_t(std::sqrt(double(r)))];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
        out.push_back(rng.below(12) == 0 ? '\n' : ' ');
    }
    out.resize(n);
    return out;
}

Bytes makeRecords(size_t n, uint32_t seed)
{
    // Mesh-like vertex records: positions drifting slowly, normals, small ids.
    CorpusRandom rng(seed);
    Bytes out;
    out.reserve(n + 32);
    float x = 0, y = 0, z = 0;
    uint32_t id = 0;
    while (out.size() < n) {
        x += float(int(rng.below(200)) - 100) * 0.01f;
        y += float(int(rng.below(200)) - 100) * 0.01f;
        z += float(int(rng.below(200)) - 100) * 0.01f;
        const float rec[6] = {x, y, z, 0.0f, 1.0f, 0.0f};
        const uint8_t* p = reinterpret_cast<const uint8_t*>(rec);
        out.insert(out.end(), p, p + sizeof rec);
        id += rng.below(3);
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(id >> (8 * i)));
    }
    out.resize(n);
    return out;
}

Bytes makeImage(size_t n, uint32_t seed)
{
    // 24-bit pixels: smooth gradients with a little sensor-like noise.
    CorpusRandom rng(seed);
    const size_t width = 1024;
    Bytes out(n);
    for (size_t i = 0; i + 2 < n; i += 3) {
        const size_t px = i / 3;
        const size_t xx = px % width, yy = px / width;
        const int noise = int(rng.below(5)) - 2;
        out[i] = uint8_t(int((xx * 255) / width) + noise);
        out[i + 1] = uint8_t(int((yy * 3) & 255) + noise);
        out[i + 2] = uint8_t(int(((xx + yy) / 4) & 255));
    }
    return out;
}

Bytes makeRamp(size_t n, uint32_t seed)
{
    // 32-bit pixels of a clean ramp, as a generated gradient texture holds.
    const size_t width = 256u << (seed % 3);
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t px = i / 4;
        const size_t xx = px % width, yy = px / width;
        switch (i % 4) {
        case 0: out[i] = uint8_t((xx * 256) / width); break;
        case 1: out[i] = uint8_t(yy / 4); break;
        case 2: out[i] = uint8_t((xx + yy) / 8); break;
        default: out[i] = 0xFF; break;
        }
    }
    return out;
}

Bytes makeRuns(size_t n, uint32_t seed)
{
    // Two byte values in runs of a few hundred to a hundred thousand, as a
    // mask or an empty sound stretch holds them.
    CorpusRandom rng(seed);
    Bytes out;
    out.reserve(n);
    bool high = false;
    while (out.size() < n) {
        const size_t length = std::min<size_t>(n - out.size(), 200 + rng.below(100000));
        out.insert(out.end(), length, high ? uint8_t(0xC0) : uint8_t(0x10));
        high = !high;
    }
    return out;
}

Bytes makeNoise(size_t n, uint32_t seed)
{
    CorpusRandom rng(seed);
    Bytes out(n);
    // The top bits: the low bits of an LCG repeat with a short period.
    for (uint8_t& b : out)
        b = uint8_t(rng.next() >> 16);
    return out;
}

struct EntryClass {
    const char* name;
    Bytes (*make)(size_t, uint32_t);
};

const EntryClass kClasses[] = {
    {"text", makeText},   {"runs", makeRuns},       {"ramp", makeRamp},
    {"image", makeImage}, {"vertex", makeRecords},  {"noise", makeNoise},
};

// Entry sizes from a small texture to a whole track's mesh.
const size_t kSizes[] = {32u << 10, 256u << 10, 1u << 20, 4u << 20, 16u << 20};

// Small sizes are measured over several entries, so each case decodes at
// least this much.
constexpr size_t kCaseBytes = 4u << 20;

std::string sizeName(size_t size)
{
    return size >= (1u << 20) ? std::to_string(size >> 20) + "MB" : std::to_string(size >> 10) + "KB";
}

std::filesystem::path workFolder()
{
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("vorlund_bench_archive_" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

bool bzip2Program()
{
    static const bool found = std::system("bzip2 --help >/dev/null 2>&1") == 0;
    return found;
}

// Runs `bzip2 -d -c FILE` with its output to /dev/null; the seconds it took,
// or a negative value when it failed.
double timeBzip2Decode(const std::filesystem::path& file)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const std::string path = file.string();
    char* argv[] = {const_cast<char*>("bzip2"), const_cast<char*>("-d"), const_cast<char*>("-c"),
                    const_cast<char*>(path.c_str()), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "bzip2", &actions, nullptr, argv, environ);
    int status = 0;
    const bool ok = spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return ok ? seconds : -1.0;
}

// Compresses `bytes` with bzip2 -9 into the work folder; empty on failure.
std::filesystem::path compressWithBzip2(const Bytes& bytes, const std::string& stem)
{
    const auto raw = workFolder() / stem;
    {
        std::ofstream out(raw, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    const std::string command = "bzip2 -9 -f '" + raw.string() + "'";
    auto packed = raw;
    packed += ".bz2";
    if (std::system(command.c_str()) != 0 || !std::filesystem::exists(packed))
        return {};
    return packed;
}

// bzip2's own start-up and teardown: an empty stream, decoded the same way.
double bzip2StartUp()
{
    static const double seconds = [] {
        const auto empty = compressWithBzip2({}, "empty");
        double best = 1e9;
        for (int i = 0; i < 20 && !empty.empty(); ++i) {
            const double t = timeBzip2Decode(empty);
            if (t >= 0)
                best = std::min(best, t);
        }
        return best < 1e9 ? best : 0.0;
    }();
    return seconds;
}

struct Case {
    std::vector<std::string> names;
    size_t bytes = 0;
    MemoryFileSystem files;
    std::filesystem::path bz2;
};

Case& caseFor(const EntryClass& kind, size_t size)
{
    static std::map<std::string, std::unique_ptr<Case>> cases;
    const std::string key = std::string(kind.name) + "_" + sizeName(size);
    std::unique_ptr<Case>& slot = cases[key];
    if (slot)
        return *slot;
    slot = std::make_unique<Case>();
    Case& c = *slot;
    ArchiveWriter writer;
    Bytes whole;
    const size_t count = std::max<size_t>(1, kCaseBytes / size);
    for (size_t i = 0; i < count; ++i) {
        const Bytes data = kind.make(size, uint32_t(1 + i));
        const std::string name = key + "\\" + std::to_string(i) + ".bin";
        // Flags 3 for every entry, the noise included: the benchmark
        // measures the full decoding path.
        writer.addEntry(name, data, 3);
        c.names.push_back(name);
        whole.insert(whole.end(), data.begin(), data.end());
    }
    c.bytes = whole.size();
    c.files.addFile("bench.sar", writer.build(0));
    if (bzip2Program())
        c.bz2 = compressWithBzip2(whole, key + ".bin");
    return c;
}

struct Figures {
    std::string name;
    double mb = 0;
    double ours = 1e9;
    double bzip2 = 1e9;
};
std::vector<Figures> g_figures;

void BM_DecodeAgainstBzip2(benchmark::State& state, const EntryClass* kind, size_t size)
{
    Case& c = caseFor(*kind, size);
    ArchiveFile archive;
    if (!archive.mount(c.files, "bench.sar")) {
        state.SkipWithError("mount failed");
        return;
    }
    Figures figures;
    figures.name = std::string(kind->name) + " " + sizeName(size);
    figures.mb = double(c.bytes) / 1e6;
    const double startUp = c.bz2.empty() ? 0.0 : bzip2StartUp();
    uint8_t sink[64];
    for (auto _ : state) {
        const auto start = Clock::now();
        for (const std::string& name : c.names) {
            if (!archive.openRead(name.c_str())) {
                state.SkipWithError("openRead failed");
                return;
            }
            archive.read(sink, sizeof sink);
            benchmark::DoNotOptimize(sink);
        }
        archive.close();
        const double ours = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(ours);
        figures.ours = std::min(figures.ours, ours);
        if (!c.bz2.empty()) {
            const double bzip2 = timeBzip2Decode(c.bz2);
            if (bzip2 < 0) {
                state.SkipWithError("bzip2 -d failed");
                return;
            }
            figures.bzip2 = std::min(figures.bzip2, std::max(bzip2 - startUp, 1e-6));
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c.bytes));
    if (!c.bz2.empty())
        state.counters["ratio"] = figures.bzip2 / figures.ours;
    g_figures.push_back(figures);
}

void registerCases()
{
    for (const EntryClass& kind : kClasses) {
        for (size_t size : kSizes) {
            const std::string name = std::string("Decode/") + kind.name + "/" + sizeName(size);
            benchmark::RegisterBenchmark(name.c_str(), BM_DecodeAgainstBzip2, &kind, size)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(size >= (4u << 20) ? 7 : 5);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    reportLevel = 3;
    reportToText = 1;
    registerCases();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (!bzip2Program())
        std::printf("\nthe bzip2 program is not available: no ratios\n");
    else
        std::printf("\nbzip2 -d start-up, taken off its times: %.1f ms\n", bzip2StartUp() * 1e3);
    std::printf("%-14s %8s %10s %10s %8s\n", "case", "MB", "ours ms", "bzip2 ms", "ratio");
    for (const Figures& f : g_figures) {
        if (f.bzip2 < 1e9)
            std::printf("%-14s %8.1f %10.2f %10.2f %8.2f\n", f.name.c_str(), f.mb, f.ours * 1e3, f.bzip2 * 1e3,
                        f.bzip2 / f.ours);
        else
            std::printf("%-14s %8.1f %10.2f %10s %8s\n", f.name.c_str(), f.mb, f.ours * 1e3, "-", "-");
    }
    std::error_code ec;
    std::filesystem::remove_all(workFolder(), ec);
    return 0;
}
