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

TEST(LayoutWriterTest, ARepeatedLineStandsForNumberedWindowsStepByStep)
{
    std::vector<WidgetLine> widgets;
    std::string error;
    ASSERT_TRUE(parseWidgetTable("T  DefaultWindow  0 0 1 1\n"
                                 "  Row%02d  Speed/StaticText  0.1 0.2 0.5 0.1  @repeat=3,0,0.25 Text=%d.\n"
                                 "  Col%d  Speed/StaticText  0 0 0.1 0.1  @repeat=2,0.5,0,9\n",
                                 widgets, error))
        << error;
    ASSERT_EQ(widgets.size(), 6u);
    const struct {
        const char* name;
        float x, y;
    } expected[] = {{"Row01", 0.1f, 0.2f}, {"Row02", 0.1f, 0.45f}, {"Row03", 0.1f, 0.7f}, {"Col9", 0.0f, 0.0f},
                    {"Col10", 0.5f, 0.0f}};
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        const WidgetLine& w = widgets[i + 1];
        EXPECT_EQ(w.name, expected[i].name);
        EXPECT_FLOAT_EQ(w.x, expected[i].x);
        EXPECT_FLOAT_EQ(w.y, expected[i].y);
        EXPECT_EQ(w.depth, 1);
    }
    EXPECT_EQ(widgets[2].properties, (std::vector<std::pair<std::string, std::string>>{{"Text", "2."}}));
}

TEST(LayoutWriterTest, AWindowThatKeepsItsRatioIsCentredInItsPlace)
{
    std::vector<WidgetLine> widgets;
    std::string error;
    ASSERT_TRUE(parseWidgetTable("T  DefaultWindow  0 0 1 1\n  Flag  Speed/StaticImage  0.1 0.6 0.2 0.3  Aspect=1.5\n",
                                 widgets, error))
        << error;
    const std::string layout = writeLayout(widgets);
    // The place's centre (0.2, 0.75) as an offset from the parent's centre.
    EXPECT_NE(layout.find("<Property name=\"Area\" value=\"{{-0.3,0},{0.25,0},{-0.1,0},{0.55,0}}\" />"),
              std::string::npos)
        << layout;
    for (const char* property : {"name=\"AspectMode\" value=\"Shrink\"", "name=\"AspectRatio\" value=\"1.5\"",
                                 "name=\"HorizontalAlignment\" value=\"Centre\"",
                                 "name=\"VerticalAlignment\" value=\"Centre\""})
        EXPECT_NE(layout.find(property), std::string::npos) << property;
    EXPECT_EQ(layout.find("name=\"Aspect\""), std::string::npos);
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
        {"A DefaultWindow 0 0 1 1\n  B%d DefaultWindow 0 0 1 1 @repeat=0,0,0\n",
         "line 2: @repeat is written @repeat=N,dx,dy[,first] with N from 1 to 100"},
        {"A DefaultWindow 0 0 1 1\n  B%d DefaultWindow 0 0 1 1 @repeat=2,0\n",
         "line 2: @repeat is written @repeat=N,dx,dy[,first] with N from 1 to 100"},
        {"A DefaultWindow 0 0 1 1\n  B DefaultWindow 0 0 1 1 @repeat=2,0,0\n",
         "line 2: a repeated name holds %d or %02d"},
        {"A DefaultWindow 0 0 1 1\n  B%d DefaultWindow 0 0 1 1 @repeat=2,0,0\n    C DefaultWindow 0 0 1 1\n",
         "line 3: a repeated line has no children"},
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
