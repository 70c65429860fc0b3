#include "tools/lib/LayoutWriter.h"

#include <gtest/gtest.h>

namespace {

TEST(LayoutWriterTest, ATableBecomesNestedWindowsWithAreasAndProperties)
{
    std::vector<WidgetLine> widgets;
    std::string error;
    ASSERT_TRUE(parseWidgetTable("# a comment\n"
                                 "Menu  DefaultWindow  0 0 1 1\n"
                                 "  Box  Speed/StaticImage  0.25 0.5 0.5 0.25  Image=Speed/Icon Text=\"a & b\"\n"
                                 "    Inner  DefaultWindow  0 0 1 1\n"
                                 "  Bar  Speed/ProgressBar  0.1 0.9 0.8 0.05\n",
                                 widgets, error))
        << error;
    EXPECT_EQ(writeLayout(widgets),
              "<?xml version=\"1.0\" ?>\n<!-- Written by guilayout from a widget table. -->\n"
              "<GUILayout version=\"4\">\n"
              "    <Window type=\"DefaultWindow\" name=\"Menu\">\n"
              "        <Property name=\"Area\" value=\"{{0,0},{0,0},{1,0},{1,0}}\" />\n"
              "        <Window type=\"Speed/StaticImage\" name=\"Box\">\n"
              "            <Property name=\"Area\" value=\"{{0.25,0},{0.5,0},{0.75,0},{0.75,0}}\" />\n"
              "            <Property name=\"Image\" value=\"Speed/Icon\" />\n"
              "            <Property name=\"Text\" value=\"a &amp; b\" />\n"
              "            <Window type=\"DefaultWindow\" name=\"Inner\">\n"
              "                <Property name=\"Area\" value=\"{{0,0},{0,0},{1,0},{1,0}}\" />\n"
              "            </Window>\n"
              "        </Window>\n"
              "        <Window type=\"Speed/ProgressBar\" name=\"Bar\">\n"
              "            <Property name=\"Area\" value=\"{{0.1,0},{0.9,0},{0.9,0},{0.95,0}}\" />\n"
              "        </Window>\n"
              "    </Window>\n"
              "</GUILayout>\n");
}

TEST(LayoutWriterTest, MalformedTablesAreRefusedNamingTheLine)
{
    const struct {
        const char* table;
        const char* error;
    } cases[] = {
        {"", "line 0: no widgets"},
        {"A DefaultWindow 0 0 1\n", "line 1: expected a name, a type and x y w h"},
        {"A DefaultWindow 0 0 1 x\n", "line 1: x y w h must be numbers"},
        {"A DefaultWindow 0 0 1 1\n B DefaultWindow 0 0 1 1\n", "line 2: indentation is not a multiple of two spaces"},
        {"A DefaultWindow 0 0 1 1\n    B DefaultWindow 0 0 1 1\n", "line 2: a child is indented more than one level below its parent"},
        {"A DefaultWindow 0 0 1 1\nB DefaultWindow 0 0 1 1\n", "line 2: a layout has exactly one root, on the first line"},
        {"  A DefaultWindow 0 0 1 1\n", "line 1: a layout has exactly one root, on the first line"},
        {"A/B DefaultWindow 0 0 1 1\n", "line 1: a name holds no \"/\": paths are made of names"},
        {"A DefaultWindow 0 0 1 1 Text=\"open\n", "line 1: a quote is not closed"},
        {"A DefaultWindow 0 0 1 1 =x\n", "line 1: a property is written Name=value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        std::vector<WidgetLine> widgets;
        std::string error;
        EXPECT_FALSE(parseWidgetTable(c.table, widgets, error));
        EXPECT_EQ(error, c.error);
    }
}

} // namespace
