#include "game/app/GuiResourceProvider.h"

#include "engine/core/io/Stream.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/String.h>

GuiResourceProvider::GuiResourceProvider(Stream* fileSystem) : m_file(fileSystem ? fileSystem->clone() : nullptr)
{
}

GuiResourceProvider::~GuiResourceProvider() = default;

void GuiResourceProvider::loadRawDataContainer(const CEGUI::String& fileName, CEGUI::RawDataContainer& output,
                                               const CEGUI::String& resourceGroup)
{
    const std::string path = std::string(kFolder) + fileName.c_str();
    const CEGUI::String shownPath(reinterpret_cast<const CEGUI::utf8*>(path.c_str()));
    m_lastFile = fileName.c_str();
    m_lastOutcome = Outcome::Read;
    if (!m_file || !m_file->openRead(path.c_str())) {
        // The archive lists an entry it could not unpack: damaged, not missing.
        m_lastOutcome = m_file && m_file->exists(path.c_str()) ? Outcome::Damaged : Outcome::Missing;
        CEGUI_THROW(CEGUI::InvalidRequestException(
            "GuiResourceProvider::loadRawDataContainer - "
            + CEGUI::String(m_lastOutcome == Outcome::Damaged ? "Damaged file " : "Couldn't open ") + shownPath));
    }
    const uint32_t size = m_file->length;
    uint8_t* buffer = size <= kMaxFileSize ? new uint8_t[size ? size : 1] : nullptr;
    if (!buffer || m_file->read(buffer, size) != size) {
        delete[] buffer;
        m_file->close();
        m_lastOutcome = Outcome::Damaged;
        CEGUI_THROW(CEGUI::InvalidRequestException("GuiResourceProvider::loadRawDataContainer - Couldn't read "
                                                   + shownPath));
    }
    m_file->close();
    output.setData(buffer);
    output.setSize(size);
}

void GuiResourceProvider::unloadRawDataContainer(CEGUI::RawDataContainer& data)
{
    delete[] data.getDataPtr();
    data.setData(nullptr);
    data.setSize(0);
}

size_t GuiResourceProvider::getResourceGroupFileNames(std::vector<CEGUI::String>&, const CEGUI::String&,
                                                      const CEGUI::String&)
{
    return 0;
}
