// The minimap's markers: 32 small images per view on the minimap picture,
// placed by mapping a world position through the level's minimap rectangle.
#include "game/app/Gui.h"
#include "game/app/Hud.h"

#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

#include <algorithm>
#include <cstdio>

namespace {

// Where a world coordinate lies between the rectangle's edges, 0 to 1. An
// empty rectangle (or no number) puts it at the low edge.
float fraction(float value, float low, float high)
{
    const float t = (value - low) / (high - low);
    return t >= 0.0f ? std::min(t, 1.0f) : 0.0f;
}

} // namespace

void Hud::createMarkers()
{
    CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
    int32_t number = 0;
    for (int32_t view = 0; view < m_viewCount; ++view) {
        ViewWindows& v = m_views[view];
        for (CEGUI::Window*& marker : v.markers) {
            char name[16];
            std::snprintf(name, sizeof name, "Icon%02d", number++);
            marker = windows.createWindow("Speed/StaticImage", name);
            marker->setSize(CEGUI::USize(CEGUI::UDim(0.05f, 0.0f), CEGUI::UDim(0.05f, 0.0f)));
            marker->setProperty("FrameEnabled", "false");
            marker->setProperty("BackgroundEnabled", "false");
            marker->setProperty("MousePassThroughEnabled", "true");
            marker->hide();
            v.minimap->addChild(marker);
        }
    }
}

std::string Hud::markerImage(int32_t colour)
{
    static const char* const kColours[] = {"IconGreen", "IconRed", "IconBlue", "IconYellow"};
    if (colour < 0 || colour > 3)
        return std::string();
    return gui::image("Icons", kColours[colour]);
}

int32_t Hud::addMarker(int32_t colourView0, int32_t colourView1)
{
    const bool* free = std::find(std::begin(m_slotFree), std::end(m_slotFree), true);
    if (free == std::end(m_slotFree))
        return -1;
    const int32_t slot = int32_t(free - std::begin(m_slotFree));
    const int32_t colours[kViews] = {colourView0, colourView1};
    for (int32_t view = 0; view < m_viewCount; ++view) {
        CEGUI::Window* marker = m_views[view].markers[slot];
        if (!marker)
            continue;
        const std::string image = markerImage(colours[view]);
        if (image.empty())
            marker->hide();
        else
            marker->setProperty("Image", image);
        marker->setPosition(CEGUI::UVector2(CEGUI::UDim(0.0f, 0.0f), CEGUI::UDim(0.0f, 0.0f)));
    }
    m_slotFree[slot] = false;
    return slot;
}

void Hud::updateMarker(int32_t slot, const Vector3& position)
{
    if (slot < 0 || slot >= kMarkers)
        return;
    const float u = fraction(position.x, m_xmin, m_xmax);
    const float v = 1.0f - fraction(position.z, m_zmin, m_zmax);
    for (int32_t view = 0; view < m_viewCount; ++view) {
        CEGUI::Window* marker = m_views[view].markers[slot];
        if (!marker)
            continue;
        marker->show();
        marker->setPosition(CEGUI::UVector2(CEGUI::UDim(u, -4.0f), CEGUI::UDim(v, -4.0f)));
    }
}
