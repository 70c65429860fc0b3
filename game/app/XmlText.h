#pragma once
// Shared reading helpers for the game's XML files (settings, texts,
// configuration, profiles). Values in element text follow the C library's
// atoi and atof: the leading number, 0 when the text does not start with one.
#include <tinyxml.h>

#include <cstdint>
#include <string>

class Stream;

// Elements nest at most this deep in any file the game reads. The parser
// recurses once per level, so a file of nothing but opening tags must be
// refused before it reaches the parser.
constexpr int kMaxXmlNesting = 64;

// Reads a whole file of the game's data through the file system. False when
// it cannot be opened or read whole, or is larger than any XML file of ours
// can be (16 MiB).
bool readStreamText(Stream& files, const char* name, std::string& text);

// The text with every byte sequence that is not UTF-8 replaced by U+FFFD.
// The XML parser and CEGUI's strings both trust a lead byte's length and
// would step over the terminating zero of a sequence cut short.
std::string validUtf8(const char* text);

// Parses UTF-8 text into doc. False when the text nests deeper than
// kMaxXmlNesting or does not parse; error then says why.
bool parseXmlText(TiXmlDocument& doc, const std::string& text, std::string* error = nullptr);

// The text of parent's first child element called name, or null when that
// element is missing or its first child is not text.
const char* childText(const TiXmlElement* parent, const char* name);

// A typed attribute: false, with value unchanged, when the attribute is
// missing or does not start with a number. Integers saturate to the i32 range.
bool queryInt(const TiXmlElement* element, const char* name, int32_t& value);
bool queryDouble(const TiXmlElement* element, const char* name, double& value);
// The attribute's text, empty when missing.
std::string attributeText(const TiXmlElement* element, const char* name);

// atoi, saturated to the i32 range instead of overflowing.
int32_t textToInt(const char* text);
// atof.
double textToDouble(const char* text);
// A double stored as f32: values beyond the f32 range saturate to its largest
// finite value, so a stored number never turns into infinity.
float toFloat(double value);
