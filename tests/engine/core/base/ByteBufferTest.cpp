#include "engine/core/base/ByteBuffer.h"
#include "engine/core/base/Format.h"

#include <gtest/gtest.h>

#include <string>

TEST(ByteBuffer, GrowthFollowsTheEighthRule)
{
    struct Case {
        int32_t from, to, capacity;
    } cases[] = {
        {8, 9, 12},                        // grow clamped up to 4
        {1000, 1001, 1125},                // grow by size / 8
        {1000000, 1000001, 1000000 + 65536}, // grow clamped down to 65536
        {8, 100, 100},                     // a jump past the step takes the request
    };
    for (const Case& c : cases) {
        ByteBuffer b;
        b.resize(0);
        b.resize(c.from);
        b.resize(c.to);
        EXPECT_EQ(b.capacity, c.capacity) << c.from << " -> " << c.to;
        EXPECT_EQ(b.size, c.to);
    }
}

TEST(ByteBuffer, ResizeZeroReleasesAndShrinkKeepsStorage)
{
    ByteBuffer b("hello");
    b.resize(2);
    EXPECT_EQ(b.capacity, 6);
    EXPECT_EQ(b.data[0], 'h');
    b.resize(0);
    EXPECT_EQ(b.data, nullptr);
    EXPECT_EQ(b.capacity, 0);
    b.resize(5);
    EXPECT_EQ(b.capacity, 5);
    b.resize(-3);
    EXPECT_EQ(b.size, 0);
}

TEST(ByteBuffer, TextOperations)
{
    ByteBuffer empty;
    EXPECT_EQ(empty.size, 1);
    EXPECT_STREQ(empty.c_str(), "");

    ByteBuffer t("lap ");
    t.appendInt(-12).appendCString(" of 3");
    EXPECT_STREQ(t.c_str(), "lap -12 of 3");
    EXPECT_EQ(t.size, int32_t(std::string("lap -12 of 3").size() + 1));

    ByteBuffer copy;
    copy.assign(t);
    t.assignCString("x");
    EXPECT_STREQ(copy.c_str(), "lap -12 of 3");
    EXPECT_EQ(t.size, 2);
}

TEST(Format, StaticBufferTruncatesAt255)
{
    const std::string longText(300, 'k');
    const char* out = formatStatic("%s", longText.c_str());
    EXPECT_EQ(std::string(out), std::string(255, 'k'));
    EXPECT_STREQ(formatStatic("%d-%s", 7, "x"), "7-x");
}

TEST(Format, FormatTextSizesExactly)
{
    ByteBuffer b = formatText("%s:%04d", "kart", 42);
    EXPECT_STREQ(b.c_str(), "kart:0042");
    EXPECT_EQ(b.size, 10);
    const std::string longText(5000, 'q');
    EXPECT_EQ(formatText("%s", longText.c_str()).size, 5001);
    EXPECT_EQ(formatText("%s", "").size, 1);
}

TEST(Format, FormatTextEncodingErrorGivesEmptyText)
{
    // A wide string that cannot be converted in the "C" locale makes the
    // formatter fail; the result must be the empty text, not a write in front
    // of the buffer.
    const wchar_t bad[] = {wchar_t(0xD800), 0};
    ByteBuffer b = formatText("%ls", bad);
    EXPECT_EQ(b.size, 1);
    EXPECT_STREQ(b.c_str(), "");
}

TEST(Format, ExtractBetween)
{
    struct Case {
        const char* text;
        const char* fallback;
        const char* expected;
    } cases[] = {
        {"a \"b\" c", nullptr, "b"},
        {"\"\"", "fb", "fb"},
        {"\"\"", nullptr, ""},
        {"no quotes", "- internal error -", "- internal error -"},
        {"0 && \"Singular\" || \"x\"", nullptr, "Singular\" || \"x"},
    };
    for (const Case& c : cases) {
        ByteBuffer b = extractBetween(c.text, '"', '"', c.fallback);
        EXPECT_STREQ(b.c_str(), c.expected) << c.text;
        EXPECT_EQ(b.size, int32_t(std::string(c.expected).size() + 1));
    }
}
