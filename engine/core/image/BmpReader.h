#pragma once
#include "engine/core/image/ImageFile.h"

// Decodes an uncompressed 8-bit palettised or 24-bit Windows bitmap opened as
// `name` on `stream`. Rows come out top row first unless `keepRowOrder` is
// set, which turns the picture over: for the usual bottom-up file that keeps
// the rows in the order they are stored.
std::unique_ptr<ImageFile> loadBMP(const char* name, Stream& stream, int keepRowOrder);
