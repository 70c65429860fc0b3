#pragma once
// The user's choices that survive a restart, kept in "settings.xml" in the
// player folder.
#include <cstdint>
#include <string>

class Settings {
public:
    static constexpr const char* kFileName = "settings.xml";

    int32_t language = 1; // 0 DE, 1 EN, 2 FR, 3 SP, 4 IT
    uint8_t multilanguage = 0;
    std::string gameversion = "1.1 EN";
    int32_t width = 1024;
    int32_t height = 768;
    uint8_t windowed = 0;
    float brightness = 0.5f;
    float contrast = 0.5f;
    float gamma = 0.33333334f; // the ramp uses 1.5 * gamma + 0.5, so this gives 1.0
    float sfxVolume = 0.7f;
    float musicVolume = 0.5f;
    int32_t textureDetail = -1; // -2..0
    int32_t objectDetail = 0;   // -1..1
    int32_t shadowDetail = -1;  // -2..0

    Settings() = default;
    // Settings kept somewhere else than the player folder (tests, tools).
    explicit Settings(std::string path) : m_path(std::move(path)) {}

    void setDefaults();
    // Reads the file. False, with every value unchanged, when it cannot be
    // read, does not parse, has no root "settings" or a "version" other than
    // "0.4"; values out of range are replaced as they are read.
    bool load();
    // Writes the whole file by write-then-rename. False when it was not written.
    bool save() const;
    // Start-up: load, or else keep a damaged file as settings.xml.bak, take
    // the defaults and save them. True when the file loaded.
    bool loadOrReset();

    // The file's text and its reading, for load and save.
    bool parse(const std::string& text, std::string* error = nullptr);
    std::string print() const;
    const std::string& path() const;

private:
    std::string m_path; // empty: the player folder's settings.xml
    mutable std::string m_resolvedPath;
};

// The program's settings, published by WinMain for the whole run.
extern Settings* g_settings;
