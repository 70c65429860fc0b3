#include "tools/guiimages/TextPainter.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <vector>

struct TextPainter::Library {
    FT_Library library = nullptr;
};

namespace {

// The code points of UTF-8 text; a broken sequence gives "?".
std::vector<uint32_t> codePoints(const std::string& text)
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + size_t(extra) >= text.size()) {
            out.push_back('?');
            ++i;
            continue;
        }
        uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k)
            code = code << 6 | (static_cast<unsigned char>(text[i + size_t(k)]) & 0x3F);
        out.push_back(code);
        i += size_t(extra) + 1;
    }
    return out;
}

} // namespace

TextPainter::TextPainter(const std::string& fontFile) : m_library(std::make_unique<Library>())
{
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&m_library->library) == 0 && FT_New_Face(m_library->library, fontFile.c_str(), 0, &face) == 0)
        m_face = face;
}

TextPainter::~TextPainter()
{
    if (m_face)
        FT_Done_Face(static_cast<FT_Face>(m_face));
    if (m_library->library)
        FT_Done_FreeType(m_library->library);
}

float TextPainter::width(const std::string& text, int pixelSize) const
{
    if (!m_face)
        return 0.0f;
    FT_Face face = static_cast<FT_Face>(m_face);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    float w = 0.0f;
    for (uint32_t code : codePoints(text))
        if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) == 0)
            w += float(face->glyph->advance.x) / 64.0f;
    return w;
}

void TextPainter::drawAt(Canvas& canvas, const std::string& text, float x, float baseline, int pixelSize,
                         const Paint& paint, float dx, float dy, float spread)
{
    FT_Face face = static_cast<FT_Face>(m_face);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    float pen = x;
    for (uint32_t code : codePoints(text)) {
        if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot g = face->glyph;
        const int left = int(std::lround(pen + dx)) + g->bitmap_left;
        const int top = int(std::lround(baseline + dy)) - g->bitmap_top;
        for (unsigned row = 0; row < g->bitmap.rows; ++row)
            for (unsigned column = 0; column < g->bitmap.width; ++column) {
                const float coverage = float(g->bitmap.buffer[int(row) * g->bitmap.pitch + int(column)]) / 255.0f;
                if (coverage <= 0.0f)
                    continue;
                const int px = left + int(column), py = top + int(row);
                // A spread outline saturates its coverage so it stays solid.
                canvas.blend(px, py, paint(float(px), float(py)), spread > 0 ? std::min(coverage * 2.0f, 1.0f) : coverage);
            }
        pen += float(g->advance.x) / 64.0f;
    }
}

void TextPainter::drawCentred(Canvas& canvas, const std::string& text, float cx, float baseline, int pixelSize,
                              const Paint& paint, float outline, Colour outlineColour)
{
    if (!m_face)
        return;
    const float x = cx - width(text, pixelSize) * 0.5f;
    if (outline > 0.0f && outlineColour.a > 0.0f) {
        // The outline: the text stamped round a circle of the outline's width.
        const int steps = 24;
        for (int i = 0; i < steps; ++i) {
            const float a = float(i) * 6.2831853f / float(steps);
            drawAt(canvas, text, x, baseline, pixelSize, solid(outlineColour), std::cos(a) * outline,
                   std::sin(a) * outline, outline);
        }
    }
    drawAt(canvas, text, x, baseline, pixelSize, paint, 0.0f, 0.0f, 0.0f);
}
