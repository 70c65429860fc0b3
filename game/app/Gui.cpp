#include "game/app/Gui.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/Renderer.h>
#include <CEGUI/System.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

namespace gui {

namespace {
CEGUI::String utf8(const std::string& text)
{
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(text.c_str()));
}
} // namespace

CEGUI::GUIContext& context()
{
    return CEGUI::System::getSingleton().getDefaultGUIContext();
}

CEGUI::Window* find(const std::string& path)
{
    CEGUI::Window* root = context().getRootWindow();
    if (!root)
        CEGUI_THROW(CEGUI::UnknownObjectException("no GUI root window to find " + utf8(path) + " in"));
    return root->getChild(utf8(path));
}

CEGUI::Window* find(CEGUI::Window* layoutRoot, const std::string& path)
{
    const size_t slash = path.find('/');
    const std::string first = path.substr(0, slash);
    if (!layoutRoot || utf8(first) != layoutRoot->getName())
        CEGUI_THROW(CEGUI::UnknownObjectException("the layout has no window " + utf8(path)));
    if (slash == std::string::npos)
        return layoutRoot;
    return layoutRoot->getChild(utf8(path.substr(slash + 1)));
}

std::string image(const std::string& set, const std::string& name)
{
    return set + "/" + name;
}

CEGUI::Window* loadLayout(const std::string& fileName)
{
    return CEGUI::WindowManager::getSingleton().loadLayoutFromFile(utf8(fileName));
}

void addImageFromFile(const std::string& name, const std::string& fileName)
{
    CEGUI::ImageManager::getSingleton().addFromImageFile(utf8(name), utf8(fileName));
}

void destroyImageFromFile(const std::string& name)
{
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    if (images.isDefined(utf8(name)))
        images.destroy(utf8(name));
    CEGUI::Renderer* renderer = CEGUI::System::getSingleton().getRenderer();
    if (renderer->isTextureDefined(utf8(name)))
        renderer->destroyTexture(utf8(name));
}

bool isImageDefined(const std::string& name)
{
    return CEGUI::ImageManager::getSingleton().isDefined(utf8(name));
}

} // namespace gui
