#pragma once
#include <CEGUI/String.h>

#include <cstdint>
#include <cstdio>

// A display mode the options offer: its size, whether it is the windowed
// entry, and its label ("1024 x 768", or "Windowed" for that entry).
struct VideoMode {
    VideoMode(int32_t w, int32_t h, uint8_t inWindow) : width(w), height(h), windowed(inWindow)
    {
        char text[32];
        std::snprintf(text, sizeof(text), "%d x %d", int(w), int(h));
        label = text;
    }

    // Modes are equal by size and ordered by width, then height.
    bool operator==(const VideoMode& other) const { return width == other.width && height == other.height; }
    bool operator<(const VideoMode& other) const
    {
        return width != other.width ? width < other.width : height < other.height;
    }

    int32_t width;
    int32_t height;
    uint8_t windowed;
    CEGUI::String label;
};
