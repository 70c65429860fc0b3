// The packer's stages against the engine's decoders, and whole archives
// through pack, mount and openRead.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/archive/BlockTransforms.h"
#include "engine/core/archive/RangeDecoder.h"
#include "engine/core/base/Report.h"
#include "support/RecordedReports.h"
#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/BlockSortEncoder.h"
#include "tools/lib/MemoryFileSystem.h"
#include "tools/lib/RangeEncoder.h"
#include "tools/lib/SuffixArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

DataBuffer bufferOf(const Bytes& bytes)
{
    DataBuffer b;
    b.resize(int32_t(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), b.data);
    return b;
}

Bytes bytesOf(const DataBuffer& b)
{
    return Bytes(b.data, b.data + (b.size > 0 ? b.size : 0));
}

Bytes randomBytes(size_t n, uint32_t seed, int alphabet = 256)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (uint8_t& b : out)
        b = uint8_t(rng() % uint32_t(alphabet));
    return out;
}

Bytes textLike(size_t n)
{
    static const char* words[] = {"kart ", "track ", "lap ", "the ", "boost ", "\n", "drift ", "coin ", "42 "};
    std::mt19937 rng(7);
    Bytes out;
    while (out.size() < n) {
        const std::string w = words[rng() % 9];
        out.insert(out.end(), w.begin(), w.end());
    }
    out.resize(n);
    return out;
}

struct Payload {
    const char* label;
    Bytes bytes;
};

std::vector<Payload> payloads()
{
    Bytes everyValue(256);
    std::iota(everyValue.begin(), everyValue.end(), 0);
    Bytes everyValueTwice = everyValue;
    everyValueTwice.insert(everyValueTwice.end(), everyValue.rbegin(), everyValue.rend());
    Bytes runs;
    for (int value : {0, 255, 7, 0})
        runs.insert(runs.end(), 100000, uint8_t(value));
    Bytes periodic(70000);
    for (size_t i = 0; i < periodic.size(); ++i)
        periodic[i] = uint8_t("abcab"[i % 5]);
    return {
        {"empty", {}},
        {"one byte", {0x42}},
        {"two bytes", {0xFF, 0x00}},
        {"two equal bytes", {9, 9}},
        {"every byte value", everyValue},
        {"every byte value up and down", everyValueTwice},
        {"long runs", runs},
        {"periodic", periodic},
        {"random", randomBytes(65536, 1)},
        {"two symbols", randomBytes(40000, 2, 2)},
        {"text", textLike(50000)},
        // Blocks past the size where the inverse sort walks many pieces
        // side by side.
        {"long text", textLike(600000)},
        {"long random", randomBytes(300000, 3, 16)},
    };
}

std::vector<Bytes> smallBlocks()
{
    std::vector<Bytes> blocks = {{}, {0}, {1, 0}, {0, 0, 0}, {2, 1, 2, 1, 2}};
    for (uint32_t seed = 0; seed < 200; ++seed)
        blocks.push_back(randomBytes(seed % 40, seed, int(seed % 4) + 1));
    return blocks;
}

std::unique_ptr<ArchiveFile> mountedFrom(MemoryFileSystem& files, std::initializer_list<const char*> names)
{
    auto archive = std::make_unique<ArchiveFile>();
    for (const char* name : names)
        EXPECT_TRUE(archive->mount(files, name)) << name;
    return archive;
}

Bytes readAll(Stream& stream)
{
    Bytes out(stream.length);
    if (!out.empty())
        EXPECT_EQ(stream.read(out.data(), uint32_t(out.size())), out.size());
    return out;
}

class ArchiveRoundTrip : public ::testing::Test {
protected:
    RecordedReports m_reports;
};

} // namespace

TEST(SuffixArray, MatchesANaiveSortOfSmallBlocks)
{
    for (const Bytes& block : smallBlocks()) {
        const int32_t n = int32_t(block.size());
        std::vector<int32_t> naive(size_t(n) + 1);
        std::iota(naive.begin(), naive.end(), 0);
        // A suffix that is a prefix of another sorts first: the end marker is smallest.
        std::sort(naive.begin(), naive.end(), [&](int32_t a, int32_t b) {
            return std::lexicographical_compare(block.begin() + a, block.end(), block.begin() + b, block.end());
        });
        EXPECT_EQ(buildSuffixArray(block.data(), n), naive);
    }
}

TEST(BlockSortEncoder, InverseStagesRestoreTheBlock)
{
    std::vector<Bytes> blocks = smallBlocks();
    for (const Payload& p : payloads())
        blocks.push_back(p.bytes);
    for (const Bytes& block : blocks) {
        const BlockSortResult sorted = forwardBWT(block.data(), int32_t(block.size()));
        ASSERT_EQ(sorted.lastColumn.size(), block.size());
        if (!block.empty()) {
            ASSERT_GE(sorted.primaryIndex, 0);
            ASSERT_LT(sorted.primaryIndex, int32_t(block.size()));
        }
        DataBuffer restored;
        ASSERT_TRUE(inverseBWT(bufferOf(sorted.lastColumn), sorted.primaryIndex, restored));
        ASSERT_EQ(bytesOf(restored), block);

        const Bytes moved = encodeMTF(block.data(), block.size());
        DataBuffer back;
        decodeMTF(bufferOf(moved), back);
        ASSERT_EQ(bytesOf(back), block);
    }
}

TEST(RangeEncoder, DecoderRestoresEveryBlockExactly)
{
    std::vector<Bytes> blocks = smallBlocks();
    for (const Payload& p : payloads())
        blocks.push_back(p.bytes);
    for (const Bytes& block : blocks) {
        DataBuffer source = bufferOf(RangeEncoder::encodeBlock(block.data(), block.size()));
        DataBuffer out;
        RangeDecoder decoder;
        ASSERT_TRUE(decoder.decodeBlock(source, out, uint32_t(block.size())));
        ASSERT_EQ(bytesOf(out), block);
        // The flush writes every bit the decoder needs: it never pads.
        EXPECT_LE(source.position, source.size);
        // One byte fewer allowed than the block holds: the limit must bite.
        if (!block.empty()) {
            DataBuffer again = bufferOf(RangeEncoder::encodeBlock(block.data(), block.size()));
            EXPECT_FALSE(decoder.decodeBlock(again, out, uint32_t(block.size() - 1)));
        }
    }
}

TEST_F(ArchiveRoundTrip, EveryPayloadInEveryFlagAndVersion)
{
    const std::vector<Payload> all = payloads();
    for (int version : {0, 1}) {
        ArchiveWriter writer;
        for (uint8_t flags = 0; flags < 4; ++flags) {
            for (const Payload& p : all)
                writer.addEntry(std::string("f") + char('0' + flags) + "\\" + p.label, p.bytes, flags);
        }
        MemoryFileSystem files;
        files.addFile("data.sar", writer.build(version));
        const auto owner = mountedFrom(files, {"data.sar"});
        ArchiveFile& archive = *owner;
        ASSERT_EQ(archive.entries().size, int32_t(4 * all.size()));
        for (uint8_t flags = 0; flags < 4; ++flags) {
            for (const Payload& p : all) {
                const std::string name = std::string("f") + char('0' + flags) + "\\" + p.label;
                ASSERT_TRUE(archive.openRead(name.c_str())) << name << " v" << version << ": " << lastErrorText.c_str();
                EXPECT_EQ(archive.length, p.bytes.size());
                EXPECT_EQ(readAll(archive), p.bytes) << name << " v" << version;
            }
        }
    }
}

TEST_F(ArchiveRoundTrip, ClonesOpenedInTurnKeepTheirOwnBytes)
{
    // Decoding storage is kept between entries and handed from one archive
    // object to the next on a thread: an entry still open on one clone must
    // keep its bytes while others open, close and reopen larger and smaller
    // entries.
    const Bytes large = textLike(400000);
    const Bytes small = randomBytes(3000, 9, 8);
    const Bytes larger = randomBytes(700000, 10, 4);
    ArchiveWriter writer;
    writer.addEntry("large", large, 3);
    writer.addEntry("small", small, 3);
    writer.addEntry("larger", larger, 3);
    MemoryFileSystem files;
    files.addFile("data.sar", writer.build(0));
    const auto archive = mountedFrom(files, {"data.sar"});
    const auto first = archive->clone();
    const auto second = archive->clone();
    ASSERT_TRUE(first->openRead("large"));
    ASSERT_TRUE(second->openRead("small"));
    ASSERT_TRUE(second->openRead("larger"));
    EXPECT_EQ(readAll(*second), larger);
    second->close();
    ASSERT_TRUE(archive->openRead("small"));
    EXPECT_EQ(readAll(*archive), small);
    EXPECT_EQ(readAll(*first), large);
    ASSERT_TRUE(first->openRead("larger"));
    ASSERT_TRUE(second->openRead("large"));
    EXPECT_EQ(readAll(*first), larger);
    EXPECT_EQ(readAll(*second), large);
}

TEST_F(ArchiveRoundTrip, PackerStoresWhatDoesNotShrink)
{
    ArchiveWriter writer;
    EXPECT_EQ(writer.addFile("noise.bin", randomBytes(4096, 3)), 0);
    EXPECT_EQ(writer.addFile("tiny.txt", {'a'}), 0);
    EXPECT_EQ(writer.addFile("empty", {}), 0);
    EXPECT_EQ(writer.addFile("text.txt", textLike(4096)), 3);
    MemoryFileSystem files;
    files.addFile("data.sar", writer.build(0));
    const auto owner = mountedFrom(files, {"data.sar"});
    ArchiveFile& archive = *owner;
    ASSERT_TRUE(archive.openRead("text.txt"));
    EXPECT_EQ(readAll(archive), textLike(4096));
    ASSERT_TRUE(archive.openRead("noise.bin"));
    EXPECT_EQ(readAll(archive), randomBytes(4096, 3));
}

TEST_F(ArchiveRoundTrip, LaterArchivesAndLaterEntriesOverrideEarlierOnes)
{
    ArchiveWriter first;
    first.addFile("levels\\track.lws", {'o', 'l', 'd'});
    first.addFile("only\\first.txt", {'1'});
    ArchiveWriter second;
    second.addEntry("LEVELS\\Track.lws", textLike(3000), 3);
    second.addEntry("dup.txt", {'a'}, 0);
    second.addEntry("dup.txt", {'b'}, 1);

    MemoryFileSystem files;
    files.addFile("data.sar", first.build(0));
    files.addFile("data.s01", second.build(1));
    const auto owner = mountedFrom(files, {"data.sar", "data.s01"});
    ArchiveFile& archive = *owner;

    ASSERT_TRUE(archive.openRead("levels/track.lws"));
    EXPECT_EQ(readAll(archive), textLike(3000));
    ASSERT_TRUE(archive.openRead("ONLY/FIRST.TXT"));
    EXPECT_EQ(readAll(archive), Bytes{'1'});
    ASSERT_TRUE(archive.openRead("dup.txt"));
    EXPECT_EQ(readAll(archive), Bytes{'b'});

    // A clone reopens the volumes and sees the same entries, with nothing open.
    std::unique_ptr<Stream> copy = archive.clone();
    EXPECT_EQ(copy->length, 0u);
    ASSERT_TRUE(copy->openRead("Levels\\Track.LWS"));
    EXPECT_EQ(readAll(*copy), textLike(3000));
}
