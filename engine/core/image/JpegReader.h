#pragma once
#include "engine/core/image/ImageFile.h"

// Decodes a greyscale or RGB JPEG opened as `name` on `stream` through
// libjpeg, reading the stream in blocks. JPEG rows are stored top row first,
// so `flag` changes nothing. libjpeg's messages go to the report switch.
std::unique_ptr<ImageFile> loadJPEG(Stream& stream, const char* name, int flag);
