#pragma once
#include "engine/core/base/ByteBuffer.h"

// printf-style text into one static 256-byte buffer (truncated at 255
// characters); the next call overwrites it. Not reentrant.
const char* formatStatic(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf-style text into a new buffer of exactly the needed size.
ByteBuffer formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The text strictly between the first `open` and the last `close`, or a copy
// of `fallback` (the empty text when null) when nothing lies between them.
ByteBuffer extractBetween(const char* text, char open, char close, const char* fallback);
