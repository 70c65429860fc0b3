#include "game/app/Settings.h"

#include "engine/core/base/Report.h"
#include "game/app/XmlText.h"
#include "platform/files/PlayerFiles.h"

#include <cmath>
#include <cstdio>
#include <cstring>

Settings* g_settings = nullptr;

namespace {

// The file is a few hundred bytes; anything past this is not a settings file.
constexpr size_t kMaxFileBytes = 64 * 1024;

void readInt(const TiXmlElement* parent, const char* name, int32_t& value)
{
    if (const char* text = childText(parent, name))
        value = textToInt(text);
}

void readFloat(const TiXmlElement* parent, const char* name, float& value)
{
    if (const char* text = childText(parent, name))
        value = toFloat(textToDouble(text));
}

// NaN fails both comparisons, so it counts as out of range too.
void clampFloat(float& value, float replacement)
{
    if (!(value >= 0.0f && value <= 1.0f))
        value = replacement;
}

void clampInt(int32_t& value, int32_t low, int32_t high, int32_t replacement)
{
    if (value < low || value > high)
        value = replacement;
}

void addText(TiXmlElement* parent, const char* name, const std::string& text)
{
    auto* element = new TiXmlElement(name);
    element->LinkEndChild(new TiXmlText(text));
    parent->LinkEndChild(element);
}

std::string formatInt(int32_t value)
{
    return std::to_string(value);
}

std::string formatFloat(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", double(value));
    return text;
}

const char* formatBool(uint8_t value)
{
    return value ? "true" : "false";
}

} // namespace

void Settings::setDefaults()
{
    Settings defaults;
    defaults.m_path = m_path;
    *this = defaults;
}

const std::string& Settings::path() const
{
    if (m_resolvedPath.empty())
        m_resolvedPath = m_path.empty() ? playerFilePath(kFileName) : m_path;
    return m_resolvedPath;
}

bool Settings::parse(const std::string& text, std::string* error)
{
    TiXmlDocument doc;
    if (!parseXmlText(doc, text, error))
        return false;
    const TiXmlElement* root = doc.RootElement();
    if (!root || std::strcmp(root->Value(), "settings") != 0) {
        if (error)
            *error = "no root element \"settings\"";
        return false;
    }
    const char* version = root->Attribute("version");
    if (version && std::strcmp(version, "0.4") != 0) {
        if (error)
            *error = std::string("settings version \"") + version + "\" is not 0.4";
        return false;
    }

    if (const char* text = childText(root, "gameversion"))
        gameversion = text;
    readInt(root, "language", language);
    clampInt(language, 0, 4, 0);
    if (const TiXmlElement* multi = root->FirstChildElement("multilanguage")) {
        const char* text = multi->GetText();
        multilanguage = !(text && std::strcmp(text, "false") == 0);
    }

    const TiXmlElement* video = root->FirstChildElement("video");
    readInt(video, "width", width);
    if (width < 0)
        width = 1024;
    readInt(video, "height", height);
    if (height < 0)
        height = 768;
    if (const char* text = childText(video, "windowed")) {
        if (std::strcmp(text, "true") == 0)
            windowed = 1;
        else if (std::strcmp(text, "false") == 0)
            windowed = 0;
    }
    readFloat(video, "brightness", brightness);
    clampFloat(brightness, 0.5f);
    readFloat(video, "contrast", contrast);
    clampFloat(contrast, 0.5f);
    readFloat(video, "gamma", gamma);
    clampFloat(gamma, 1.0f);

    const TiXmlElement* volume = root->FirstChildElement("volume");
    readFloat(volume, "music", musicVolume);
    clampFloat(musicVolume, 0.5f);
    readFloat(volume, "sfx", sfxVolume);
    clampFloat(sfxVolume, 0.5f);

    const TiXmlElement* detail = root->FirstChildElement("detail");
    readInt(detail, "texture", textureDetail);
    clampInt(textureDetail, -2, 0, -1);
    readInt(detail, "shadow", shadowDetail);
    clampInt(shadowDetail, -2, 0, -1);
    readInt(detail, "object", objectDetail);
    clampInt(objectDetail, -1, 1, 0);
    return true;
}

std::string Settings::print() const
{
    TiXmlDocument doc;
    doc.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    auto* root = new TiXmlElement("settings");
    root->SetAttribute("version", "0.4");
    doc.LinkEndChild(root);
    addText(root, "language", formatInt(language));
    addText(root, "gameversion", gameversion);
    addText(root, "multilanguage", formatBool(multilanguage));
    auto* video = new TiXmlElement("video");
    root->LinkEndChild(video);
    addText(video, "width", formatInt(width));
    addText(video, "height", formatInt(height));
    addText(video, "windowed", formatBool(windowed));
    addText(video, "brightness", formatFloat(brightness));
    addText(video, "contrast", formatFloat(contrast));
    addText(video, "gamma", formatFloat(gamma));
    auto* detail = new TiXmlElement("detail");
    root->LinkEndChild(detail);
    addText(detail, "texture", formatInt(textureDetail));
    addText(detail, "object", formatInt(objectDetail));
    addText(detail, "shadow", formatInt(shadowDetail));
    auto* volume = new TiXmlElement("volume");
    root->LinkEndChild(volume);
    addText(volume, "music", formatFloat(musicVolume));
    addText(volume, "sfx", formatFloat(sfxVolume));

    TiXmlPrinter printer;
    doc.Accept(&printer);
    return printer.Str();
}

bool Settings::load()
{
    std::string text;
    if (!readWholeFile(path(), text, kMaxFileBytes))
        return false;
    // Read into a copy, so a file refused halfway changes nothing.
    Settings read = *this;
    std::string error;
    if (!read.parse(text, &error)) {
        reportWarning(("settings.xml: " + error).c_str(), "Settings");
        return false;
    }
    *this = read;
    return true;
}

bool Settings::save() const
{
    std::string text = print();
    return replaceFile(path(), text.data(), text.size());
}

bool Settings::loadOrReset()
{
    if (load())
        return true;
    if (fileExists(path()))
        keepBackup(path());
    setDefaults();
    if (!save())
        reportWarning(("cannot write " + path()).c_str(), "Settings");
    return false;
}
