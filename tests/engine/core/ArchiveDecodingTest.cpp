// The archive decoding stages on hand-made inputs; round trips through the
// packer live in tests/tools.
#include "engine/core/BlockTransforms.h"
#include "engine/core/FrequencyModel.h"
#include "engine/core/GroupedFrequencyModel.h"
#include "engine/core/RangeDecoder.h"

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
