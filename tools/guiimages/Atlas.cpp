#include "tools/guiimages/Atlas.h"

#include <algorithm>
#include <fstream>

Atlas::Place Atlas::pack(const Canvas& picture)
{
    if (m_x + picture.width() + kMargin > m_width) {
        m_x = kMargin;
        m_y += m_rowHeight + 2 * kMargin;
        m_rowHeight = 0;
    }
    const Place place{m_x, m_y};
    m_items.push_back({picture, place});
    m_x += picture.width() + 2 * kMargin;
    m_rowHeight = std::max(m_rowHeight, picture.height());
    return place;
}

Atlas::Place Atlas::add(const std::string& name, const Canvas& picture)
{
    const Place place = pack(picture);
    define(name, place.x, place.y, picture.width(), picture.height());
    return place;
}

void Atlas::define(const std::string& name, int x, int y, int width, int height)
{
    m_images.push_back({name, x, y, width, height});
}

void Atlas::addNine(const std::string& prefix, const Canvas& picture, int left, int top, int right, int bottom)
{
    const Place p = pack(picture);
    const int w = picture.width(), h = picture.height();
    const int xs[3] = {p.x, p.x + left, p.x + w - right};
    const int ws[3] = {left, w - left - right, right};
    const int ys[3] = {p.y, p.y + top, p.y + h - bottom};
    const int hs[3] = {top, h - top - bottom, bottom};
    const char* names[3][3] = {{"TL", "T", "TR"}, {"L", "C", "R"}, {"BL", "B", "BR"}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            define(prefix + names[row][column], xs[column], ys[row], ws[column], hs[row]);
}

bool Atlas::write(const std::string& dir, const std::string& set, const std::string& file) const
{
    int height = m_y + m_rowHeight + kMargin;
    Canvas sheet(m_width, height);
    for (const Item& item : m_items) {
        Canvas picture = item.picture;
        picture.bleedEdges();
        // Copied, not blended: the margin keeps the colours bled into it.
        for (int y = -kMargin; y < picture.height() + kMargin; ++y)
            for (int x = -kMargin; x < picture.width() + kMargin; ++x) {
                const int sx = std::clamp(x, 0, picture.width() - 1), sy = std::clamp(y, 0, picture.height() - 1);
                Colour c = picture.at(sx, sy);
                if (sx != x || sy != y)
                    c.a = 0.0f;
                sheet.set(item.place.x + x, item.place.y + y, c);
            }
    }
    if (!sheet.savePng(dir + "/" + file))
        return false;
    std::ofstream out(dir + "/" + set + ".imageset", std::ios::binary);
    out << "<?xml version=\"1.0\" ?>\n<!-- Written by guiimages. -->\n<Imageset version=\"2\" name=\"" << set
        << "\" imagefile=\"" << file << "\" nativeHorzRes=\"1024\" nativeVertRes=\"768\" autoScaled=\"false\">\n";
    for (const Image& i : m_images)
        out << "    <Image name=\"" << i.name << "\" xPos=\"" << i.x << "\" yPos=\"" << i.y << "\" width=\"" << i.w
            << "\" height=\"" << i.h << "\" />\n";
    out << "</Imageset>\n";
    return bool(out);
}
