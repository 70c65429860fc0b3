#pragma once
// One imageset: pictures packed into one PNG in rows, each with a margin so
// that filtering never reaches a neighbour, and the imageset file naming
// rectangles of it.
#include "tools/guiimages/Canvas.h"

#include <string>
#include <vector>

class Atlas {
public:
    // Pictures are packed into rows of this width.
    explicit Atlas(int width = 1024) : m_width(width) {}

    struct Place {
        int x, y;
    };
    // Packs the picture and names the whole of it.
    Place add(const std::string& name, const Canvas& picture);
    // Packs the picture without naming it; name parts of it with define().
    Place pack(const Canvas& picture);
    void define(const std::string& name, int x, int y, int width, int height);
    // A picture cut in nine: four corners of the given sizes, four edges and
    // the centre, named prefix + TL, T, TR, L, C, R, BL, B, BR.
    void addNine(const std::string& prefix, const Canvas& picture, int left, int top, int right, int bottom);

    // Writes DIR/FILE (the PNG) and DIR/SET.imageset naming it.
    bool write(const std::string& dir, const std::string& set, const std::string& file) const;

private:
    struct Item {
        Canvas picture;
        Place place;
    };
    struct Image {
        std::string name;
        int x, y, w, h;
    };
    static constexpr int kMargin = 2;
    int m_width;
    int m_x = kMargin, m_y = kMargin, m_rowHeight = 0;
    std::vector<Item> m_items;
    std::vector<Image> m_images;
};
