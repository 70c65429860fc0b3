// Archive decoding speed against bzip2 on the same corpus.
//
// A deterministic mixed corpus (text, binary records, image-like pixels, a
// little noise) of about 24 MB is packed with flags 3 into one archive in
// memory and decoded entry by entry through ArchiveFile::openRead. The same
// bytes, compressed once with the bzip2 program, are decoded by `bzip2 -d` in
// a child process. Both report decoded MB/s; the summary prints the ratio
// ours / bzip2.
#include "engine/core/ArchiveFile.h"
#include "engine/core/Report.h"
#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/MemoryFileSystem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

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

Bytes makeNoise(size_t n, uint32_t seed)
{
    CorpusRandom rng(seed);
    Bytes out(n);
    // The top bits: the low bits of an LCG repeat with a short period.
    for (uint8_t& b : out)
        b = uint8_t(rng.next() >> 16);
    return out;
}

struct Corpus {
    std::vector<std::string> names;
    Bytes whole;
    MemoryFileSystem files;
    std::filesystem::path bz2Path;
    bool bzip2Ready = false;
};

Corpus& corpus()
{
    static Corpus* c = [] {
        auto* built = new Corpus;
        ArchiveWriter writer;
        CorpusRandom sizes(99);
        const struct {
            const char* kind;
            Bytes (*make)(size_t, uint32_t);
            size_t total;
        } kinds[] = {
            {"text", makeText, 10u << 20},
            {"records", makeRecords, 6u << 20},
            {"image", makeImage, 7u << 20},
            {"noise", makeNoise, 1u << 20},
        };
        uint32_t seed = 1;
        for (const auto& kind : kinds) {
            size_t left = kind.total;
            while (left > 0) {
                // Entries sized like the game's files (textures, objects,
                // scenes): 32 KB to 512 KB, each one block-sorted block.
                const size_t size = std::min<size_t>(left, (32u << 10) + sizes.below(480u << 10));
                const Bytes data = kind.make(size, seed++);
                const std::string name = std::string(kind.kind) + "\\" + std::to_string(seed) + ".bin";
                // Flags 3 for every entry, the noise included: the benchmark
                // measures the full decoding path.
                writer.addEntry(name, data, 3);
                built->names.push_back(name);
                built->whole.insert(built->whole.end(), data.begin(), data.end());
                left -= size;
            }
        }
        built->files.addFile("bench.sar", writer.build(0));

        const auto dir = std::filesystem::temp_directory_path() / ("vorlund_bench_archive_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        const auto raw = dir / "corpus.bin";
        {
            std::ofstream out(raw, std::ios::binary);
            out.write(reinterpret_cast<const char*>(built->whole.data()), std::streamsize(built->whole.size()));
        }
        const std::string compress = "bzip2 -9 -f '" + raw.string() + "'";
        built->bz2Path = dir / "corpus.bin.bz2";
        built->bzip2Ready = std::system(compress.c_str()) == 0 && std::filesystem::exists(built->bz2Path);
        return built;
    }();
    return *c;
}

double g_oursMBps = 0;
double g_bzip2MBps = 0;

void BM_ArchiveDecode(benchmark::State& state)
{
    Corpus& c = corpus();
    ArchiveFile archive;
    if (!archive.mount(c.files, "bench.sar")) {
        state.SkipWithError("mount failed");
        return;
    }
    std::vector<uint8_t> sink(64);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        uint64_t bytes = 0;
        for (const std::string& name : c.names) {
            if (!archive.openRead(name.c_str())) {
                state.SkipWithError("openRead failed");
                return;
            }
            bytes += archive.length;
            archive.read(sink.data(), uint32_t(sink.size()));
            benchmark::DoNotOptimize(sink.data());
        }
        archive.close();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        g_oursMBps = std::max(g_oursMBps, double(bytes) / seconds / 1e6);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c.whole.size()));
}
BENCHMARK(BM_ArchiveDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_Bzip2Decode(benchmark::State& state)
{
    Corpus& c = corpus();
    if (!c.bzip2Ready) {
        state.SkipWithError("the bzip2 program is not available");
        return;
    }
    const std::string command = "bzip2 -d -c '" + c.bz2Path.string() + "' > /dev/null";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("bzip2 -d failed");
            return;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        g_bzip2MBps = std::max(g_bzip2MBps, double(c.whole.size()) / seconds / 1e6);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c.whole.size()));
}
BENCHMARK(BM_Bzip2Decode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    reportLevel = 3;
    reportToText = 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    Corpus& c = corpus();
    std::printf("\ncorpus: %.1f MB in %zu entries, archive %.1f MB\n", double(c.whole.size()) / 1e6, c.names.size(),
                double(c.files.file("bench.sar")->size()) / 1e6);
    std::printf("decoded MB/s (best run): ours %.1f, bzip2 -d %.1f\n", g_oursMBps, g_bzip2MBps);
    if (g_oursMBps > 0 && g_bzip2MBps > 0)
        std::printf("ratio ours / bzip2: %.2f\n", g_oursMBps / g_bzip2MBps);
    std::error_code ec;
    std::filesystem::remove_all(c.bz2Path.parent_path(), ec);
    return 0;
}
