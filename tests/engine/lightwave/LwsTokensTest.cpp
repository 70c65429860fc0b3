#include "engine/lightwave/LwsTokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& text)
{
    LwsTokens t;
    t.tokenize(text.data(), text.size());
    std::vector<std::string> out;
    for (int32_t i = 0; i < t.count(); ++i)
        out.emplace_back(t.at(i));
    return out;
}

TEST(LwsTokensTest, SplitsOnSeparatorsAndQuotes)
{
    struct Case {
        std::string text;
        std::vector<std::string> tokens;
    };
    const std::vector<Case> cases = {
        {"LWSC\n3\n", {"LWSC", "3"}},
        {"  a\tb\r\nc  ", {"a", "b", "c"}},
        {"\"My Kart.lwo\" x", {"My Kart.lwo", "x"}},
        {"\"\" x", {"", "x"}},
        {"\"a\"\"b\"\"c\"", {"a", "b", "c"}},
        {"\"a\"word", {"a", "word"}},
        {"word\"a\"", {"word\"a\""}},
        {"\"open to the end", {"open to the end"}},
        {"a\xC3\xA9 \xC3\xA9z", {"a\xC3\xA9", "z"}},
        {std::string("a b\0c d", 7), {"a", "b"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(split(c.text), c.tokens) << c.text;
}

TEST(LwsTokensTest, ReadsStopAtTheEnd)
{
    const std::string text = "12 -7x 1e2 1F { a { b } c } tail";
    LwsTokens t;
    t.tokenize(text.data(), text.size());
    EXPECT_EQ(t.nextInt(), 12);
    EXPECT_EQ(t.nextInt(), -7);
    EXPECT_DOUBLE_EQ(t.nextFloat(), 100.0);
    EXPECT_EQ(t.nextItemId(), 0x1Fu);
    EXPECT_EQ(t.nextBlockToken(), "a");
    t.skipBlock();
    EXPECT_EQ(t.next(), "tail");
    EXPECT_TRUE(t.atEnd());
    EXPECT_EQ(t.next(), "");
    EXPECT_EQ(t.nextInt(), 0);
    t.skipBlock();
    t.advance(1000);
    EXPECT_EQ(t.cursor(), t.count());
}

TEST(LwsTokensTest, UnclosedBracesEndAtTheFileEnd)
{
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "{ x ";
    LwsTokens t;
    t.tokenize(text.data(), text.size());
    t.skipBlock();
    EXPECT_TRUE(t.atEnd());
}

TEST(LwsTokensTest, JoinsNamePartsWithTheirSeparators)
{
    const std::string text = "Objects\\My\tBig  Kart.lwo";
    LwsTokens t;
    t.tokenize(text.data(), text.size());
    ASSERT_EQ(t.count(), 3);
    EXPECT_EQ(t.joined(0, 2), "Objects\\My Big  Kart.lwo");
    EXPECT_EQ(t.joined(2, 2), "Kart.lwo");
    EXPECT_EQ(t.joined(2, 5), "");
}

} // namespace
