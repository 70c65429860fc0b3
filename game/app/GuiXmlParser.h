#pragma once
// The GUI library's XML files (schemes, looks, imagesets, fonts, layouts)
// read with the game's own XML reader. The library's bundled reader leaks its
// parser whenever a file turns out damaged; this one owns the whole document
// on the stack, so a damaged GUI file costs nothing but its message.
#include <CEGUI/XMLParser.h>

class GuiXmlParser : public CEGUI::XMLParser {
public:
    GuiXmlParser();
    // Hands the handler every element with its attributes and every text, in
    // document order. A file that is not well-formed XML throws the library's
    // FileIOException with the reader's message and line.
    void parseXML(CEGUI::XMLHandler& handler, const CEGUI::RawDataContainer& source,
                  const CEGUI::String& schemaName) override;

protected:
    bool initialiseImpl() override { return true; }
    void cleanupImpl() override {}
};
