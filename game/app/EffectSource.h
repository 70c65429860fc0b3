#pragma once
// The shader source the renderer's shader passes compile: the game supplies
// it from its archive whenever the engine settings choose those passes
// instead of the fixed-function ones.
class Renderer;
class Stream;

// The archive entry of the material shaders.
extern const char* const kMaterialShaderFile;

// Gives the renderer's passes a compiler over the material shaders when
// they are shader passes. False, with a line in the log, when they are and
// the file cannot be read; true otherwise.
bool supplyEffectCompiler(Renderer& renderer, Stream& files);
