#include "game/app/Gui.h"

#include "game/app/XmlText.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/Renderer.h>
#include <CEGUI/System.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

namespace gui {

CEGUI::String text(const std::string& utf8)
{
    const std::string valid = validUtf8(utf8.c_str());
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(valid.c_str()));
}

CEGUI::GUIContext& context()
{
    return CEGUI::System::getSingleton().getDefaultGUIContext();
}

CEGUI::Window* find(const std::string& path)
{
    CEGUI::Window* root = context().getRootWindow();
    if (!root)
        CEGUI_THROW(CEGUI::UnknownObjectException("no GUI root window to find " + text(path) + " in"));
    return root->getChild(text(path));
}

CEGUI::Window* find(CEGUI::Window* layoutRoot, const std::string& path)
{
    const size_t slash = path.find('/');
    const std::string first = path.substr(0, slash);
    if (!layoutRoot || text(first) != layoutRoot->getName())
        CEGUI_THROW(CEGUI::UnknownObjectException("the layout has no window " + text(path)));
    if (slash == std::string::npos)
        return layoutRoot;
    return layoutRoot->getChild(text(path.substr(slash + 1)));
}

std::string image(const std::string& set, const std::string& name)
{
    return set + "/" + name;
}

CEGUI::Window* loadLayout(const std::string& fileName)
{
    return CEGUI::WindowManager::getSingleton().loadLayoutFromFile(text(fileName));
}

void addImageFromFile(const std::string& name, const std::string& fileName)
{
    CEGUI::ImageManager::getSingleton().addFromImageFile(text(name), text(fileName));
}

void destroyImageFromFile(const std::string& name)
{
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    if (images.isDefined(text(name)))
        images.destroy(text(name));
    CEGUI::Renderer* renderer = CEGUI::System::getSingleton().getRenderer();
    if (renderer->isTextureDefined(text(name)))
        renderer->destroyTexture(text(name));
}

bool isImageDefined(const std::string& name)
{
    return CEGUI::ImageManager::getSingleton().isDefined(text(name));
}

std::string imageOr(const std::string& set, const std::string& name, const std::string& fallback)
{
    const std::string wanted = image(set, name);
    return !name.empty() && isImageDefined(wanted) ? wanted : image(set, fallback);
}

} // namespace gui
