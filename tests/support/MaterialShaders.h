#pragma once
#include <string>

class Renderer;

// The material shader source of the source tree (VORLUND_SOURCE_DIR, else
// the working directory); empty when it cannot be read.
std::string materialShaderSource();

// Gives the renderer's shader passes a compiler over the material source,
// as the program does once the data archive is open.
void useMaterialShaders(Renderer& renderer);
