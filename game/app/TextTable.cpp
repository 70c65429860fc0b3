#include "game/app/TextTable.h"

#include "engine/core/io/Stream.h"
#include "game/app/XmlText.h"

#include <cstring>
#include <memory>

namespace {

const char* const kLanguageTags[TextTable::kLanguageCount] = {"DE", "EN", "FR", "SP", "IT"};

} // namespace

TextTable::TextTable(Stream* archive, const char* fileName)
{
    std::string text;
    if (archive && fileName && readStreamText(*archive, fileName, text))
        parse(text);
}

TextTable::TextTable(const std::string& xml)
{
    parse(xml);
}

void TextTable::parse(const std::string& xml)
{
    TiXmlDocument doc;
    if (!parseXmlText(doc, xml))
        return;
    const TiXmlElement* root = doc.RootElement();
    if (!root || std::strcmp(root->Value(), "Texts") != 0)
        return;
    for (const TiXmlElement* take = root->FirstChildElement("Take"); take; take = take->NextSiblingElement("Take")) {
        int id = 0;
        // A take without a number cannot be asked for; it is left out.
        if (take->QueryIntAttribute("id", &id) != TIXML_SUCCESS)
            continue;
        for (int language = 0; language < kLanguageCount; ++language) {
            const char* found = "";
            for (const TiXmlElement* e = take->FirstChildElement(kLanguageTags[language]); e;
                 e = e->NextSiblingElement(kLanguageTags[language])) {
                const TiXmlNode* first = e->FirstChild();
                if (first && first->ToText())
                    found = first->Value();
            }
            m_texts[language][id] = CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(validUtf8(found).c_str()));
        }
    }
}

const CEGUI::String& TextTable::getText(int32_t id) const
{
    if (language >= uint32_t(kLanguageCount))
        return m_default;
    auto it = m_texts[language].find(id);
    return it == m_texts[language].end() ? m_default : it->second;
}

bool TextTable::hasText(uint32_t lang, int32_t id) const
{
    return lang < uint32_t(kLanguageCount) && m_texts[lang].count(id) != 0;
}

size_t TextTable::size(uint32_t lang) const
{
    return lang < uint32_t(kLanguageCount) ? m_texts[lang].size() : 0;
}
