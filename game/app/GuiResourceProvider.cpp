#include "game/app/GuiResourceProvider.h"

#include "engine/core/Stream.h"

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
    if (!m_file || !m_file->openRead(path.c_str()))
        CEGUI_THROW(CEGUI::InvalidRequestException("GuiResourceProvider::loadRawDataContainer - Couldn't open "
                                                   + CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(path.c_str()))));
    const uint32_t size = m_file->length;
    uint8_t* buffer = size <= kMaxFileSize ? new uint8_t[size ? size : 1] : nullptr;
    if (!buffer || m_file->read(buffer, size) != size) {
        delete[] buffer;
        m_file->close();
        CEGUI_THROW(CEGUI::InvalidRequestException("GuiResourceProvider::loadRawDataContainer - Couldn't read "
                                                   + CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(path.c_str()))));
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
