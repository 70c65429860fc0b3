#include "game/app/TextTable.h"
#include "game/app/XmlText.h"

#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string utf8(const CEGUI::String& text)
{
    return text.c_str();
}

const char* const kTexts = R"(<?xml version="1.0" encoding="UTF-8" ?>
<Texts>
  <Take id="10"><DE>Zurück</DE><EN>Back</EN><FR>Retour</FR><SP>Atrás</SP><IT>Indietro</IT></Take>
  <Take id="20"><EN>only English</EN></Take>
  <Take id="30"><EN>first</EN><EN>second</EN><EN><b/>element, not text</EN></Take>
  <Take id="40"><EN>old</EN></Take>
  <Take id="40"><DE>neu</DE></Take>
  <Take><EN>no number</EN></Take>
  <Take id="-7"><IT>negativo</IT></Take>
  <Other id="50"><EN>not a take</EN></Other>
</Texts>)";

TEST(TextTableTest, LooksTextsUpByNumberInTheCurrentLanguage)
{
    MemoryFileSystem files;
    files.addFile("D:\\Zoprax9/menu/Texts.xml", reinterpret_cast<const uint8_t*>(kTexts), std::strlen(kTexts));
    TextTable table(&files, "D:\\Zoprax9/menu/Texts.xml");

    struct Case {
        uint32_t language;
        int32_t id;
        const char* text;
        bool entry;
    } cases[] = {
        {0, 10, "Zurück", true},       {1, 10, "Back", true},     {2, 10, "Retour", true},
        {3, 10, "Atrás", true},        {4, 10, "Indietro", true}, {1, 20, "only English", true},
        {2, 20, "", true},             {1, 30, "second", true},   {1, 40, "", true},
        {0, 40, "neu", true},          {4, -7, "negativo", true}, {1, 50, "", false},
        {1, 99999, "", false},         {5, 10, "", false},        {0xFFFFFFFF, 10, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.language) + "/" + std::to_string(c.id));
        table.language = c.language;
        EXPECT_EQ(utf8(table.getText(c.id)), c.text);
        EXPECT_EQ(table.hasText(c.language, c.id), c.entry);
    }
    EXPECT_EQ(table.size(1), 5u); // 10, 20, 30, 40, -7: the take without a number is left out
}

TEST(TextTableTest, AMissingOrForeignFileLeavesTheTableEmpty)
{
    MemoryFileSystem files;
    files.addFile("bad.xml", std::vector<uint8_t>{'<', 'T', 'e', 'x', 't', 's', '>'});
    files.addFile("other.xml", std::vector<uint8_t>{'<', 'a', '/', '>'});
    for (const char* name : {"missing.xml", "bad.xml", "other.xml"}) {
        TextTable table(&files, name);
        EXPECT_EQ(table.size(1), 0u) << name;
        EXPECT_EQ(utf8(table.getText(10)), "") << name;
    }
    TextTable none(nullptr, "x");
    EXPECT_EQ(none.size(1), 0u);
}

TEST(TextTableTest, BytesThatAreNotUtf8BecomeReplacementCharacters)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"plain", "plain"},
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
        {"end\xC3", "end\xEF\xBF\xBD"},             // a lead byte at the end
        {"\xE2\x82", "\xEF\xBF\xBD"},               // cut short
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},   // four bytes
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},   // overlong
        {"\xED\xA0\x80", "\xEF\xBF\xBD"},           // a surrogate
        {"\xFF", "\xEF\xBF\xBD"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(validUtf8(c.in), c.out) << c.in;

    TextTable table(std::string("<Texts><Take id=\"1\"><EN>a\x80</EN></Take></Texts>"));
    EXPECT_EQ(table.getText(1).length(), 2u);
}

} // namespace
