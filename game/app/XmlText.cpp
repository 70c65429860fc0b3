#include "game/app/XmlText.h"

#include "engine/core/io/Stream.h"

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// The deepest element nesting of the text, counted the way the parser walks
// it: comments, declarations and CDATA are skipped, quoted attribute values
// cannot close a tag. Stops counting once past limit.
bool nestingWithin(const std::string& text, int limit)
{
    int depth = 0;
    size_t i = 0;
    const size_t n = text.size();
    auto skipPast = [&](const char* end) {
        size_t at = text.find(end, i);
        i = at == std::string::npos ? n : at + std::strlen(end);
    };
    while (i < n) {
        if (text[i] != '<') {
            ++i;
            continue;
        }
        if (text.compare(i, 4, "<!--") == 0) {
            skipPast("-->");
            continue;
        }
        if (text.compare(i, 9, "<![CDATA[") == 0) {
            skipPast("]]>");
            continue;
        }
        if (i + 1 < n && (text[i + 1] == '!' || text[i + 1] == '?')) {
            skipPast(">");
            continue;
        }
        const bool closing = i + 1 < n && text[i + 1] == '/';
        // Walk to the end of the tag, stepping over quoted values.
        char quote = 0;
        char last = 0;
        ++i;
        while (i < n) {
            char c = text[i++];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            } else if (c == '<') {
                --i; // an unterminated tag; the parser refuses it anyway
                break;
            }
            if (!std::isspace(static_cast<unsigned char>(c)))
                last = c;
        }
        if (closing)
            --depth;
        else if (last != '/' && ++depth > limit)
            return false;
    }
    return true;
}

} // namespace

std::string validUtf8(const char* text)
{
    static const char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        const unsigned char c = *p;
        int extra = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            out += char(c);
            ++p;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            out += kReplacement;
            ++p;
            continue;
        }
        int have = 0;
        while (have < extra && (p[1 + have] & 0xC0) == 0x80) {
            cp = (cp << 6) | (p[1 + have] & 0x3F);
            ++have;
        }
        const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        const bool outside = cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF);
        if (have < extra || overlong || outside) {
            out += kReplacement;
            p += 1 + have;
            continue;
        }
        out.append(reinterpret_cast<const char*>(p), size_t(1 + extra));
        p += 1 + extra;
    }
    return out;
}

bool readStreamText(Stream& files, const char* name, std::string& text)
{
    constexpr uint32_t kMaxFileBytes = 16u << 20;
    std::unique_ptr<Stream> file = files.clone();
    if (!file->openRead(name))
        return false;
    const uint32_t length = file->length;
    bool ok = length <= kMaxFileBytes;
    if (ok) {
        text.resize(length);
        ok = file->read(text.data(), length) == length;
    }
    file->close();
    return ok;
}

bool parseXmlText(TiXmlDocument& doc, const std::string& text, std::string* error)
{
    if (!nestingWithin(text, kMaxXmlNesting)) {
        if (error)
            *error = "elements nest deeper than " + std::to_string(kMaxXmlNesting) + " levels";
        return false;
    }
    doc.Clear();
    doc.Parse(validUtf8(text.c_str()).c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (doc.Error()) {
        if (error)
            *error = std::string(doc.ErrorDesc()) + " at line " + std::to_string(doc.ErrorRow()) + ", column " +
                     std::to_string(doc.ErrorCol());
        return false;
    }
    return true;
}

const char* childText(const TiXmlElement* parent, const char* name)
{
    const TiXmlElement* element = parent ? parent->FirstChildElement(name) : nullptr;
    return element ? element->GetText() : nullptr;
}

bool queryInt(const TiXmlElement* element, const char* name, int32_t& value)
{
    const char* text = element ? element->Attribute(name) : nullptr;
    if (!text)
        return false;
    char* end = nullptr;
    long long read = std::strtoll(text, &end, 10);
    if (end == text)
        return false;
    value = read > INT32_MAX ? INT32_MAX : read < INT32_MIN ? INT32_MIN : int32_t(read);
    return true;
}

bool queryDouble(const TiXmlElement* element, const char* name, double& value)
{
    const char* text = element ? element->Attribute(name) : nullptr;
    if (!text)
        return false;
    char* end = nullptr;
    double read = std::strtod(text, &end);
    if (end == text)
        return false;
    value = read;
    return true;
}

std::string attributeText(const TiXmlElement* element, const char* name)
{
    const char* text = element ? element->Attribute(name) : nullptr;
    return text ? text : "";
}

int32_t textToInt(const char* text)
{
    if (!text)
        return 0;
    errno = 0;
    long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return int32_t(value);
}

double textToDouble(const char* text)
{
    return text ? std::strtod(text, nullptr) : 0.0;
}

float toFloat(double value)
{
    if (value > FLT_MAX)
        return FLT_MAX;
    if (value < -FLT_MAX)
        return -FLT_MAX;
    return float(value);
}
