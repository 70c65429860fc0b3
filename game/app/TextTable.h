#pragma once
// Every text the game shows, by number, in five languages, read from
// "Texts.xml" in the archive.
#include <CEGUI/String.h>

#include <cstdint>
#include <map>
#include <string>

class Stream;

class TextTable {
public:
    static constexpr int kLanguageCount = 5; // DE, EN, FR, SP, IT, as in the settings

    // The language of every lookup; the language screen switches it.
    uint32_t language = 1;

    // Loads the file through the archive. A file that is missing, unreadable
    // or has no root "Texts" leaves the table empty.
    TextTable(Stream* archive, const char* fileName);
    // A table from the text of a Texts.xml (tools, tests).
    explicit TextTable(const std::string& xml);

    // The text of id in the current language; empty when that language has
    // no entry id or the language index is out of range.
    const CEGUI::String& getText(int32_t id) const;
    bool hasText(uint32_t language, int32_t id) const;
    size_t size(uint32_t language) const;

private:
    void parse(const std::string& xml);

    CEGUI::String m_default;
    std::map<int32_t, CEGUI::String> m_texts[kLanguageCount];
};
