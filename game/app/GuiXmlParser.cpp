#include "game/app/GuiXmlParser.h"

#include <CEGUI/DataContainer.h>
#include <CEGUI/Exceptions.h>
#include <CEGUI/XMLAttributes.h>
#include <CEGUI/XMLHandler.h>
#include <tinyxml.h>

#include <string>

namespace {

CEGUI::String utf8(const char* text)
{
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(text ? text : ""));
}

void walk(CEGUI::XMLHandler& handler, const TiXmlNode* node)
{
    for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
        if (const TiXmlElement* element = child->ToElement()) {
            CEGUI::XMLAttributes attributes;
            for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next())
                attributes.add(utf8(a->Name()), utf8(a->Value()));
            const CEGUI::String name = utf8(element->Value());
            handler.elementStart(name, attributes);
            walk(handler, element);
            handler.elementEnd(name);
        } else if (const TiXmlText* text = child->ToText()) {
            handler.text(utf8(text->Value()));
        }
    }
}

} // namespace

GuiXmlParser::GuiXmlParser()
{
    d_identifierString = "GuiXmlParser - the game's XML reader for GUI files";
}

void GuiXmlParser::parseXML(CEGUI::XMLHandler& handler, const CEGUI::RawDataContainer& source,
                            const CEGUI::String& schemaName)
{
    // The reader wants a terminated string; the bytes may hold none.
    const std::string text(reinterpret_cast<const char*>(source.getDataPtr()), source.getSize());
    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error() || !document.RootElement())
        CEGUI_THROW(CEGUI::FileIOException("XML parsing error '" + utf8(document.ErrorDesc()) + "' at line "
                                           + utf8(std::to_string(document.ErrorRow()).c_str())));
    walk(handler, &document);
}
