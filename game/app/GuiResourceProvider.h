#pragma once
// CEGUI reads every GUI file (schemes, looks, imagesets and their pictures,
// fonts, layouts) through the game's archive, from its menu folder.
#include <CEGUI/ResourceProvider.h>

#include <memory>
#include <string>

class Stream;

class GuiResourceProvider : public CEGUI::ResourceProvider {
public:
    // Where the GUI files stand in the archive.
    static constexpr const char* kFolder = "D:\\ZoPrax9\\menu\\";
    // GUI files are small; anything larger is damaged.
    static constexpr uint32_t kMaxFileSize = 64u << 20;

    explicit GuiResourceProvider(Stream* fileSystem);
    ~GuiResourceProvider() override;

    // The resource group is not used: every file comes from the menu folder.
    // A file that cannot be opened or read whole throws CEGUI's
    // InvalidRequestException naming its path, and saying "damaged" for a
    // file the archive holds but cannot unpack.
    void loadRawDataContainer(const CEGUI::String& fileName, CEGUI::RawDataContainer& output,
                              const CEGUI::String& resourceGroup) override;
    void unloadRawDataContainer(CEGUI::RawDataContainer& data) override;
    // The archive is not listed by pattern; nothing asks for it.
    size_t getResourceGroupFileNames(std::vector<CEGUI::String>& out, const CEGUI::String& filePattern,
                                     const CEGUI::String& resourceGroup) override;

    // The last file CEGUI asked for and how that went: when the GUI cannot
    // start, that file is the one to name (a font's face file, not the font
    // description that named it).
    enum class Outcome { Read, Missing, Damaged };
    const std::string& lastFile() const { return m_lastFile; }
    Outcome lastOutcome() const { return m_lastOutcome; }

private:
    std::unique_ptr<Stream> m_file;
    std::string m_lastFile;
    Outcome m_lastOutcome = Outcome::Read;
};
