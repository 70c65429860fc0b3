#pragma once
#include "engine/core/math/Matrix4.h"

#include <cstdint>

class IDirect3DDevice9;
class ShaderFloatParams;

// Draws a debug display's line list (position + diffuse vertices) in the
// item's frame with the states the gadget displays share, and puts the
// world matrix back afterwards.
void drawWireLines(IDirect3DDevice9* device, ShaderFloatParams& params, const Matrix4& world, const float colour[4],
                   const void* vertices, uint32_t lineCount, uint32_t stride);
