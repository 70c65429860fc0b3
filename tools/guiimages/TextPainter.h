#pragma once
// Text drawn into a Canvas with a TrueType font through FreeType: the game's
// wordmark and the captions of placeholder pictures.
#include "tools/guiimages/Canvas.h"

#include <memory>
#include <string>

class TextPainter {
public:
    // False from ok() when the font cannot be read.
    explicit TextPainter(const std::string& fontFile);
    ~TextPainter();
    TextPainter(const TextPainter&) = delete;
    TextPainter& operator=(const TextPainter&) = delete;

    bool ok() const { return m_face != nullptr; }
    // The width in pixels of the text (UTF-8) at the pixel size.
    float width(const std::string& text, int pixelSize) const;
    // Draws the text with its baseline at y, centred on cx; an outline of
    // the width drawn first when the outline colour has alpha.
    void drawCentred(Canvas& canvas, const std::string& text, float cx, float baseline, int pixelSize,
                     const Paint& paint, float outline = 0.0f, Colour outlineColour = {});

private:
    void drawAt(Canvas& canvas, const std::string& text, float x, float baseline, int pixelSize, const Paint& paint,
                float dx, float dy, float spread);
    struct Library;
    std::unique_ptr<Library> m_library;
    void* m_face = nullptr;
};
