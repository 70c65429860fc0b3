// The archive decoding stages on hand-made inputs; round trips through the
// packer live in tests/tools.
#include "engine/core/archive/BlockTransforms.h"
#include "engine/core/archive/FrequencyModel.h"
#include "engine/core/archive/GroupedFrequencyModel.h"
#include "engine/core/archive/LargeBlockInversion.h"
#include "engine/core/archive/RangeDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <random>
#include <string>
#include <vector>

namespace {

DataBuffer bufferOf(const std::vector<uint8_t>& bytes)
{
    DataBuffer b;
    b.resize(int32_t(bytes.size()));
    for (size_t i = 0; i < bytes.size(); ++i)
        b.data[i] = bytes[i];
    return b;
}

std::vector<uint8_t> bytesOf(const DataBuffer& b)
{
    return std::vector<uint8_t>(b.data, b.data + (b.size > 0 ? b.size : 0));
}

std::vector<uint8_t> bytesOf(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

void expectTreeMatchesCounts(const FrequencyModel& model)
{
    uint32_t sum = 0;
    for (uint32_t s = 0; s < model.symbolCount; ++s) {
        ASSERT_EQ(model.cumulative(s), sum) << "symbol " << s;
        uint32_t below = 0;
        ASSERT_EQ(model.find(sum, below), s);
        ASSERT_EQ(below, sum);
        sum += model.counts[s];
    }
    EXPECT_EQ(model.total, sum);
}

} // namespace

TEST(FrequencyModel, StartsFlatAndStaysConsistentThroughUpdates)
{
    FrequencyModel model(257, 1);
    EXPECT_EQ(model.topBit, 256u);
    EXPECT_EQ(model.total, 257u);
    expectTreeMatchesCounts(model);
    for (uint32_t s : {0u, 1u, 1u, 255u, 256u, 128u, 128u, 128u})
        model.update(s);
    EXPECT_EQ(model.total, 265u);
    EXPECT_EQ(model.counts[128], 4u);
    expectTreeMatchesCounts(model);
}

TEST(FrequencyModel, HalvesAtTotal16384RoundingUp)
{
    FrequencyModel model(257, 1);
    model.update(5);      // count 2
    model.update(6);      // count 3
    model.update(6);
    // 257 + 16127 = 16384: the last update crosses the threshold.
    for (uint32_t i = 3; i < 16126; ++i)
        model.update(0);
    EXPECT_EQ(model.total, 16383u);
    model.update(0);
    EXPECT_EQ(model.counts[5], 1u);
    EXPECT_EQ(model.counts[6], 2u);
    EXPECT_EQ(model.counts[7], 1u);
    EXPECT_EQ(model.counts[0], (16124u + 1 + 1) / 2);
    expectTreeMatchesCounts(model);
}

TEST(GroupedFrequencyModel, EvolvesExactlyLikeTheTreeModel)
{
    // Skewed and flat symbol streams, long enough to halve several times.
    for (uint32_t spread : {1u, 3u, 40u, 257u}) {
        FrequencyModel tree(257, 1);
        GroupedFrequencyModel grouped;
        std::mt19937 rng(spread);
        for (int step = 0; step < 40000; ++step) {
            const uint32_t s = std::min<uint32_t>(rng() % spread + (rng() % 50 == 0 ? rng() % 257 : 0), 256);
            tree.update(s);
            grouped.update(s);
            if (step % 997 != 0 && step < 39990)
                continue;
            ASSERT_EQ(grouped.total, tree.total);
            for (uint32_t sym = 0; sym < 257; ++sym) {
                ASSERT_EQ(grouped.counts[sym], tree.counts[sym]);
                ASSERT_EQ(grouped.cumulative(sym), tree.cumulative(sym));
            }
            for (uint32_t target = 0; target < tree.total; target += 7) {
                uint32_t below = 0;
                ASSERT_EQ(grouped.find(target), tree.find(target, below)) << target;
            }
        }
    }
}

TEST(GroupedFrequencyModel, FrontUpdateEqualsTheGeneralOne)
{
    GroupedFrequencyModel general;
    GroupedFrequencyModel front;
    std::mt19937 rng(5);
    for (int step = 0; step < 40000; ++step) {
        const uint32_t s = rng() % 3 ? rng() % 2 : rng() % 16;
        general.update(s);
        front.updateFront(s);
        if (step % 613 != 0)
            continue;
        ASSERT_EQ(front.total, general.total);
        for (uint32_t sym = 0; sym < 257; ++sym) {
            ASSERT_EQ(front.counts[sym], general.counts[sym]);
            ASSERT_EQ(front.cumulative(sym), general.cumulative(sym));
        }
        for (uint32_t target = 0; target < general.total; target += 5)
            ASSERT_EQ(front.find(target), general.find(target)) << target;
    }
}

TEST(RangeDecoder, ReadByteNeedsASourceAndPadsWith0xFF)
{
    RangeDecoder decoder;
    try {
        decoder.readByte();
        FAIL() << "no exception";
    } catch (const RangeDecoder::Error& e) {
        EXPECT_STREQ(e.what(), "invalid source stream");
    }
    DataBuffer source = bufferOf({7});
    decoder.source = &source;
    EXPECT_EQ(decoder.readByte(), 7);
    EXPECT_EQ(decoder.readByte(), 0xFF);
    EXPECT_EQ(source.position, 2);
}

TEST(RangeDecoder, EndOfBlockFirstGivesEmptyOutput)
{
    // All-ones code bits put the value at the top of the range: symbol 256.
    for (const std::vector<uint8_t>& stream : {std::vector<uint8_t>{}, std::vector<uint8_t>{0x00},
                                               std::vector<uint8_t>{0x55, 0xFF, 0xFF, 0xFF, 0xFF}}) {
        DataBuffer source = bufferOf(stream);
        DataBuffer output = bufferOf({1, 2, 3});
        RangeDecoder decoder;
        EXPECT_TRUE(decoder.decodeBlock(source, output, 100));
        EXPECT_EQ(output.size, 0);
        EXPECT_EQ(output.position, 0);
        EXPECT_EQ(decoder.source, nullptr);
    }
}

// Streams written once and frozen: they pin the format (model, rounding,
// carry handling, halving) independently of the packer's encoder, which
// could drift together with this decoder. The first code byte of each shows
// the flat starting model at work: its top byte is about the first symbol.
const uint8_t kShortStream[] = {
    0x00, 0x61, 0x01, 0xAB, 0x9E, 0x0A, 0x82, 0x88, 0x90, 0x0D, 0x96, 0xCA, 0x66, 0x49,
    0x53, 0x4C, 0x0E, 0x8E, 0xB2, 0x24, 0xA9, 0xBC, 0x1D, 0x65, 0xE8, 0xBF, 0x3C, 0x7E,
    0x37, 0x1E, 0x5A, 0x13, 0xB5, 0x46, 0xD7, 0xBD, 0xC1, 0x11, 0x2A, 0xED, 0x8E, 0xDB,
    0xEE, 0x28, 0x62, 0x9E, 0x49, 0xA5, 0x43, 0x1D, 0x3E,
};
const uint8_t kHalvingStream[] = {
    0x00, 0x41, 0xFF, 0xFF, 0xBD, 0x1D, 0x19, 0xA9, 0xF8, 0x5E, 0x65, 0xAC, 0x02, 0xA1,
    0xF1, 0x2A, 0x84, 0x6A, 0x08, 0x37, 0x34, 0x23, 0x1E, 0x4D, 0xF9, 0xCE, 0x39, 0xAF,
    0x41, 0xBE, 0x46, 0x9E, 0xCE, 0x63, 0x84, 0xB3, 0x31, 0xAD, 0x8E, 0x5A, 0xBA, 0xC1,
    0xA0, 0xF0, 0xA6, 0xEA, 0x8E, 0xBE, 0xA1, 0x75, 0x4E, 0x85, 0x9F, 0x8C, 0xAF, 0xCE,
    0xE1, 0x95, 0xF4, 0x4A, 0x83, 0xA0, 0x26, 0x79, 0xE7, 0x68, 0x72, 0xC8, 0x99, 0x50,
    0x99, 0xE1, 0x0D, 0x18, 0x21, 0x87, 0x9A, 0xCA, 0x30, 0x15, 0x36, 0xAD, 0x97, 0x23,
    0x5E, 0xBA, 0x3B, 0x32, 0xBD, 0x56, 0x99, 0x16, 0x96, 0x50, 0x24, 0xE8, 0xA4, 0xE3,
    0xDA, 0x3A, 0x84, 0x15, 0x38, 0x46, 0xB4, 0x36, 0xD3, 0x60, 0x92, 0x4F, 0x37, 0x01,
    0xD3, 0x70, 0x08, 0xF6, 0x05, 0xB0, 0xEA, 0x80, 0x4C, 0xED, 0x35, 0xB8, 0x02, 0xFC,
    0x1C, 0x8B, 0x51, 0xE5, 0xE1, 0x3C, 0xF0, 0xC2, 0x23, 0x75, 0x12, 0x95, 0x11, 0x30,
    0x95, 0x11, 0xF0, 0x42, 0x21, 0xA9, 0x5D, 0x08, 0x3B, 0x8B, 0x8C, 0x23, 0x7D, 0x7D,
    0x8B, 0x7A, 0xAA, 0xD3, 0xC4, 0x60, 0x6F, 0xEC, 0x78, 0xB5, 0x56, 0x89, 0xF6, 0x30,
    0xC0, 0xB6, 0x02, 0xA3, 0x65, 0x6F, 0xF3, 0x99, 0xA2, 0x0B, 0x2B, 0xEB, 0xCF, 0x92,
    0x67, 0x61, 0x26, 0x69, 0x24, 0x7A, 0xC4, 0xB3, 0x67, 0x95, 0xE2, 0x0B, 0x47, 0xA4,
    0x27, 0x78, 0xA9, 0xD6, 0x30, 0xD7, 0x57, 0xE1, 0x40, 0x9C, 0x00, 0xCB, 0x44, 0x96,
    0x8F, 0x00, 0xF6, 0xAC, 0x1A, 0xE8, 0x55, 0xF4, 0x66, 0x69, 0x28, 0x1D, 0x9A, 0xD1,
    0x87, 0x14, 0x49, 0xD4, 0x0C, 0x59, 0xAA, 0x0A, 0x10, 0x66, 0xF6, 0xB2, 0xD6, 0xE9,
    0x11, 0x9B, 0x54, 0x7A, 0x4D, 0xAD, 0x24, 0xE9, 0x49, 0x04, 0x10, 0x9A, 0xB5, 0x13,
    0x3C, 0xC2, 0x6C, 0xF4, 0x34, 0xE6, 0x2D, 0xA9, 0x9F, 0xC0,
};

TEST(RangeDecoder, KnownStreamsDecodeToTheirKnownBytes)
{
    std::vector<uint8_t> shortText = bytesOf(std::string("abracadabra, abracadabra! "));
    shortText.insert(shortText.end(), {0x00, 0xFF, 0xFE});
    shortText.insert(shortText.end(), 40, 0x07);
    // 20000 symbols: the model halves its counts on the way (total 16384).
    std::vector<uint8_t> longRun(20000, 0x42);
    longRun.back() = 0x43;
    const struct {
        const char* what;
        std::vector<uint8_t> stream;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"short text", {std::begin(kShortStream), std::end(kShortStream)}, shortText},
        {"long run", {std::begin(kHalvingStream), std::end(kHalvingStream)}, longRun},
    };
    for (const auto& c : cases) {
        DataBuffer source = bufferOf(c.stream);
        DataBuffer output;
        RangeDecoder decoder;
        EXPECT_TRUE(decoder.decodeBlock(source, output, 100000)) << c.what;
        EXPECT_EQ(bytesOf(output), c.expected) << c.what;
        // Every written byte is read, and no padding past them.
        EXPECT_LE(source.position, int32_t(c.stream.size())) << c.what;
    }
}

TEST(RangeDecoder, StreamWithoutEndStopsAtTheLimit)
{
    // Zero code bits decode symbol 0 again and again: without the limit this
    // stream would produce output until memory runs out.
    const std::vector<uint8_t> zeros(4096, 0);
    for (uint32_t limit : {0u, 1u, 10u, 5000u}) {
        DataBuffer source = bufferOf(zeros);
        DataBuffer output;
        RangeDecoder decoder;
        EXPECT_FALSE(decoder.decodeBlock(source, output, limit));
        EXPECT_EQ(uint32_t(output.size), limit);
        for (int32_t i = 0; i < output.size; ++i)
            ASSERT_EQ(output.data[i], 0);
    }
}

namespace {

// The range decoder step by step as the format defines it, over the tree
// model: no fast paths. False when the stream runs past `limit` symbols.
bool decodeByTheBook(const std::vector<uint8_t>& stream, uint32_t limit, std::vector<uint8_t>& out)
{
    FrequencyModel model(257, 1);
    size_t at = 0;
    auto next = [&]() -> uint32_t { return at < stream.size() ? stream[at++] : (++at, 0xFFu); };
    next();
    uint32_t buffer = next();
    uint32_t low = buffer >> 1;
    uint32_t range = 0x80;
    out.clear();
    for (;;) {
        while (range <= 0x800000) {
            low = (low << 8) | ((buffer & 1) << 7);
            buffer = next();
            low |= buffer >> 1;
            range <<= 8;
        }
        const uint32_t help = range / model.total;
        uint32_t t = low / help;
        if (t >= model.total)
            t = model.total - 1;
        uint32_t below = 0;
        const uint32_t s = model.find(t, below);
        if (s == 256)
            return true;
        if (out.size() == limit)
            return false;
        out.push_back(uint8_t(s));
        const uint32_t lowFreq = model.cumulative(s);
        const uint32_t freq = model.counts[s];
        low -= help * lowFreq;
        if (lowFreq + freq < model.total)
            range = help * freq;
        else
            range -= help * lowFreq;
        model.update(s);
    }
}

} // namespace

TEST(RangeDecoder, MatchesTheStepsByTheBook)
{
    // Streams of mostly zero bits decode to long runs of symbol 0 (the fast
    // path for runs, across halvings and the limit); others to mixed and
    // deep symbols.
    std::mt19937 rng(21);
    for (int round = 0; round < 40; ++round) {
        std::vector<uint8_t> stream(size_t(1 + rng() % 4000));
        for (uint8_t& b : stream) {
            switch (round % 4) {
            case 0: b = uint8_t(rng()); break;
            case 1: b = rng() % 64 ? 0 : uint8_t(rng()); break;
            case 2: b = rng() % 8 ? uint8_t(rng() % 4) : uint8_t(rng()); break;
            default: b = 0; break;
            }
        }
        const uint32_t limit = round % 5 == 0 ? uint32_t(rng() % 50000) : 400000;
        std::vector<uint8_t> expected;
        const bool complete = decodeByTheBook(stream, limit, expected);
        DataBuffer source = bufferOf(stream);
        DataBuffer output;
        RangeDecoder decoder;
        EXPECT_EQ(decoder.decodeBlock(source, output, limit), complete) << round;
        EXPECT_TRUE(bytesOf(output) == expected) << round << ": " << output.size << " bytes, " << expected.size()
                                                 << " expected";
    }
}

TEST(RangeDecoder, MoveToFrontInTheSamePassEqualsTheTwoStages)
{
    // Arbitrary bytes are a valid stream of some symbols: mostly-zero ones
    // give runs of 0 and 1 between deeper symbols, others reach deep into
    // the table, and some end early or run into the limit. Output buffers start empty,
    // short and long, so the growth path is taken too.
    std::mt19937 rng(3);
    for (int round = 0; round < 60; ++round) {
        std::vector<uint8_t> stream(size_t(rng() % 3000));
        for (uint8_t& b : stream)
            b = round % 3 == 0 ? uint8_t(rng()) : round % 3 == 1 ? uint8_t(rng() % 8 ? 0 : rng()) : uint8_t(0x80 | (rng() % 64));
        const uint32_t limit = round % 4 == 0 ? uint32_t(rng() % 100) : 200000;
        const int32_t startSize = int32_t(rng() % 3) * int32_t(rng() % 20000);

        DataBuffer source = bufferOf(stream);
        DataBuffer plain;
        plain.resize(startSize);
        RangeDecoder first;
        const bool plainComplete = first.decodeBlock(source, plain, limit);
        const int32_t plainPosition = source.position;
        DataBuffer expected;
        decodeMTF(plain, expected);

        DataBuffer fused;
        fused.resize(startSize);
        RangeDecoder second;
        EXPECT_EQ(second.decodeBlockMoveToFront(source, fused, limit), plainComplete) << round;
        EXPECT_EQ(bytesOf(fused), bytesOf(expected)) << round;
        EXPECT_EQ(second.low, first.low);
        EXPECT_EQ(second.range, first.range);
        EXPECT_EQ(source.position, plainPosition);
    }
}

TEST(DecodeMTF, ProtectsTheFrontAfterLowSymbols)
{
    struct Case {
        std::vector<uint8_t> in;
        std::vector<uint8_t> out;
    };
    const Case cases[] = {
        {{}, {}},
        {{2, 2}, {2, 1}},        // 2 goes to the front, then 1 follows it there
        {{0, 2}, {0, 2}},        // after a 0, 2 only reaches position 1...
        {{0, 2, 1}, {0, 2, 2}},  // ...where a 1 finds it
        {{0, 2, 2}, {0, 2, 1}},  // a 2 after a 2 moves 1 to the very front
        {{1, 1, 0}, {1, 0, 0}},
        {{255, 0, 1}, {255, 255, 0}},
    };
    for (const Case& c : cases) {
        DataBuffer out;
        decodeMTF(bufferOf(c.in), out);
        EXPECT_EQ(bytesOf(out), c.out);
    }
}

TEST(DecodeMTF, MatchesAByteByByteTableOnLongMixedStreams)
{
    // The table moves in 16-byte blocks; runs, symbols on both sides of
    // every block edge and the deepest symbol must all give what a plain
    // byte table gives.
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> in(size_t(1 + rng() % 5000));
        for (uint8_t& v : in) {
            const uint32_t kind = rng() % 8;
            v = kind < 3 ? 0 : kind < 4 ? 1 : kind < 6 ? uint8_t(rng() % 40) : uint8_t(rng());
        }
        if (round == 0)
            std::fill(in.begin(), in.end(), 255);
        uint8_t table[256];
        for (int i = 0; i < 256; ++i)
            table[i] = uint8_t(i);
        std::vector<uint8_t> expected;
        bool afterLow = false;
        for (const uint8_t v : in) {
            const uint8_t symbol = table[v];
            const uint32_t d = v > 1 && afterLow ? 1 : 0;
            for (uint32_t k = v; k > d; --k)
                table[k] = table[k - 1];
            table[d] = symbol;
            afterLow = v <= 1;
            expected.push_back(symbol);
        }
        DataBuffer out;
        decodeMTF(bufferOf(in), out);
        ASSERT_EQ(bytesOf(out), expected) << round;
    }
}

TEST(UndoBlockSort, EqualsMoveToFrontThenInverseSort)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 12; ++round) {
        std::vector<uint8_t> in(size_t(round == 0 ? 1 : 2 + rng() % 3000));
        for (uint8_t& v : in)
            v = rng() % 3 ? uint8_t(rng() % 4) : uint8_t(rng());
        const int32_t primary = int32_t(rng() % in.size());
        DataBuffer moved;
        decodeMTF(bufferOf(in), moved);
        DataBuffer expected;
        ASSERT_TRUE(inverseBWT(moved, primary, expected));

        DataBuffer scratch;
        DataBuffer out;
        ASSERT_TRUE(undoBlockSort(bufferOf(in), primary, scratch, out));
        EXPECT_EQ(bytesOf(out), bytesOf(expected)) << round;
        // The archive reader restores a block in place.
        DataBuffer inPlace = bufferOf(in);
        ASSERT_TRUE(undoBlockSort(inPlace, primary, scratch, inPlace));
        EXPECT_EQ(bytesOf(inPlace), bytesOf(expected)) << round;
    }
    DataBuffer scratch;
    DataBuffer out;
    EXPECT_TRUE(undoBlockSort(bufferOf({}), 5, scratch, out));
    EXPECT_EQ(out.size, 0);
    for (int32_t primary : {-1, 3, 1 << 30}) {
        out = bufferOf({9, 9});
        EXPECT_FALSE(undoBlockSort(bufferOf({0, 2, 1}), primary, scratch, out)) << primary;
        EXPECT_EQ(out.size, 0);
    }
}

TEST(InverseBWT, RestoresBlocksFromTheirLastColumn)
{
    struct Case {
        std::string last;
        int32_t primary;
        std::string text;
    };
    // Rows of "banana" + end marker: $banana a$banan ana$ban anana$b banana$
    // na$bana nana$ba; the marker ends row 4, so the primary index is 3.
    const Case cases[] = {
        {"annbaa", 3, "banana"},
        {"", 0, ""},
        {"x", 0, "x"},
        {"x", 7, "x"},  // a one-byte block follows no link
        {"x", -2, "x"},
        {"ba", 0, "ab"},
        {"aa", 1, "aa"},
    };
    for (const Case& c : cases) {
        DataBuffer out;
        ASSERT_TRUE(inverseBWT(bufferOf(bytesOf(c.last)), c.primary, out)) << c.last;
        EXPECT_EQ(bytesOf(out), bytesOf(c.text)) << c.last;
    }
}

TEST(InverseBWT, RefusesAPrimaryIndexOutsideTheBlock)
{
    for (int32_t primary : {-1, 6, 7, 1 << 30, int32_t(0x80000000u)}) {
        DataBuffer out = bufferOf({9, 9, 9});
        EXPECT_FALSE(inverseBWT(bufferOf(bytesOf("annbaa")), primary, out)) << primary;
        EXPECT_EQ(out.size, 0);
    }
}

TEST(InverseBWT, RestoresBlocksBeyondSixteenMegabytes)
{
    // Above 2^24 bytes a link no longer fits beside its byte in one word.
    // Blocks whose sorted rotations are known in closed form keep the test
    // free of a suffix sorter:
    //   (ab)^m   -> last column b^m a^m, primary index m - 1
    //   a^(n-1)b -> last column b a^(n-1), primary index 0
    const int32_t m = (1 << 23) + 3;
    DataBuffer last;
    last.resize(2 * m);
    std::fill(last.data, last.data + m, uint8_t('b'));
    std::fill(last.data + m, last.data + 2 * m, uint8_t('a'));
    DataBuffer out;
    ASSERT_TRUE(inverseBWT(last, m - 1, out));
    ASSERT_EQ(out.size, 2 * m);
    bool alternates = true;
    for (int32_t i = 0; i < out.size; ++i)
        alternates = alternates && out.data[i] == uint8_t(i % 2 ? 'b' : 'a');
    EXPECT_TRUE(alternates);

    const int32_t n = (1 << 24) + 5;
    last.resize(n);
    std::fill(last.data, last.data + n, uint8_t('a'));
    last.data[0] = 'b';
    ASSERT_TRUE(inverseBWT(last, 0, out));
    ASSERT_EQ(out.size, n);
    EXPECT_EQ(out.data[n - 1], 'b');
    EXPECT_EQ(std::count(out.data, out.data + n, uint8_t('a')), n - 1);
}

namespace {

// The inverse block sort exactly as the format defines it: one chain of
// links from row 0, whatever the links are.
std::vector<uint8_t> inverseByOneChain(const std::vector<uint8_t>& last, uint32_t primary)
{
    const size_t n = last.size();
    uint32_t start[256] = {};
    for (uint8_t c : last)
        ++start[c];
    for (uint32_t c = 0, sum = 0; c < 256; ++c) {
        const uint32_t count = start[c];
        start[c] = sum;
        sum += count;
    }
    std::vector<uint32_t> link(n);
    for (size_t i = 0; i < n; ++i)
        link[i] = start[last[i]]++;
    std::vector<uint8_t> out(n);
    uint32_t j = 0;
    for (size_t k = n; k-- > 0;) {
        out[k] = last[j];
        j = link[j];
        if (j < primary)
            ++j;
    }
    return out;
}

} // namespace

TEST(InverseBWT, LargeBlocksMatchTheOneChainWalk)
{
    // Large blocks are walked in many pieces side by side; whatever the
    // block, the bytes must be those of the one chain, damaged blocks whose
    // links loop without reaching row 0's chain included. Sizes straddle the
    // point where that walk takes over, and blocks come in turn smaller and
    // larger so kept scratch is reused and regrown.
    struct Case {
        const char* label;
        size_t size;
        int alphabet; // 0: long runs of two values
        uint32_t primary;
    };
    const Case cases[] = {
        {"random bytes", 300000, 256, 12345},
        {"two values", 262144, 2, 0},
        {"small alphabet, primary last", 700001, 4, 700000},
        {"runs of two values", 524288, 0, 4096},
        {"random bytes, primary 0", 270000, 256, 0},
        {"one value", 400000, 1, 399999},
        // Past the size from which several threads share the walk.
        {"random bytes, shared walk", 4200000, 256, 777},
    };
    std::mt19937 rng(5);
    for (const Case& c : cases) {
        std::vector<uint8_t> last(c.size);
        if (c.alphabet == 0) {
            for (size_t i = 0; i < last.size();) {
                const size_t run = 1 + rng() % 20000;
                const uint8_t value = rng() % 2 ? 0xC0 : 0x10;
                for (size_t k = 0; k < run && i < last.size(); ++k)
                    last[i++] = value;
            }
        } else {
            for (uint8_t& v : last)
                v = uint8_t(rng() % uint32_t(c.alphabet));
        }
        DataBuffer out;
        ASSERT_TRUE(inverseBWT(bufferOf(last), int32_t(c.primary), out)) << c.label;
        EXPECT_TRUE(bytesOf(out) == inverseByOneChain(last, c.primary)) << c.label;
    }
}

TEST(InverseBWT, LargeBlockWalksMatchTheOneChainWalkOnSmallBlocks)
{
    // The large-block walks on their own, on blocks small enough to hold a
    // cut every row or few: stretches of one row, many stretches per lane,
    // runs entered and left on both sides of the primary row, damaged link
    // structures of every shape.
    std::mt19937 rng(17);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> last(size_t(2 + rng() % (round < 200 ? 40 : 5000)));
        const uint32_t alphabet = 1 + rng() % 6;
        if (round % 3 == 2) {
            // Long runs: the block is restored a run at a time.
            for (size_t i = 0; i < last.size();) {
                const size_t run = 1 + rng() % 300;
                const uint8_t value = uint8_t(rng() % alphabet);
                for (size_t k = 0; k < run && i < last.size(); ++k)
                    last[i++] = value;
            }
        } else {
            for (uint8_t& v : last)
                v = uint8_t(round % 2 ? rng() % alphabet : 0xFF - rng() % alphabet);
        }
        const uint32_t primary = round % 7 == 0 ? 0 : uint32_t(rng() % last.size());
        uint32_t count[256] = {};
        for (uint8_t c : last)
            ++count[c];
        uint32_t start[256];
        for (uint32_t c = 0, sum = 0; c < 256; sum += count[c], ++c)
            start[c] = sum;
        std::vector<uint8_t> out(last.size());
        ASSERT_TRUE(restoreLargeBlock(last.data(), int32_t(last.size()), primary, start, count, out.data()));
        ASSERT_TRUE(out == inverseByOneChain(last, primary)) << round;
    }
}
