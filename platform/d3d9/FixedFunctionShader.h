#pragma once
// GLSL 3.30 source for one fixed-function key: the vertex stage transforms,
// lights, generates texture coordinates and fog depth; the fragment stage runs
// the texture stage cascade, adds specular, alpha-tests and fogs.
//
// How Direct3D's conventions land on GL, settled here once:
// - Row vectors. Direct3D writes v' = v * M with row-major storage. Matrices
//   are uploaded exactly as stored with glUniformMatrix*fv(transpose = GL_TRUE)
//   and the generated code multiplies on the left: v * ff_world ... The
//   device never reorders a matrix; what the engine sets is what the shader
//   reads, in the same orientation.
// - Clip-space z in [0, 1]. The vertex stage remaps z_gl = 2 z - w. With GL's
//   default depth range the depth buffer then receives z / w, the very value
//   Direct3D writes, and a vertex with z < 0 is clipped as on Direct3D.
//   glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE) would do the same without
//   the remap, but it is GL 4.5 / ARB_clip_control, and the device asks for a
//   3.3 compatibility context; the remap works on any 3.3 implementation and
//   the authored GLSL programs can share the same one-line epilogue. It costs
//   a little precision close to the far plane only on fixed-point depth.
// - Pixel centres and vertical orientation, both through ff_posFixup, which
//   GlProgramCache fills from the viewport size. Direct3D 9 samples pixel
//   (i, j) at window coordinate (i, j); GL samples it at (i + 0.5, j + 0.5).
//   Relative to GL, Direct3D's pixel grid sits half a pixel up-left (-0.5 px),
//   so the geometry is moved by +0.5 px in x and y (1 / width and 1 / height
//   in normalised device units, times w in clip space) and lands on the
//   pixels Direct3D would cover. Rendering is done
//   with y negated in clip space, so image rows are stored top row first, as
//   in Direct3D's surfaces: a render target then reads back, and samples as
//   a texture, with the same orientation as an uploaded image, and the
//   presenting blit flips once.
// - Front faces. Direct3D's front faces are clockwise on screen, and
//   D3DCULL_CCW (its default) culls counter-clockwise ones. With the y flip
//   above the screen's clockwise is GL's counter-clockwise, so the device
//   keeps glFrontFace(GL_CCW) and maps D3DCULL_CCW to glCullFace(GL_BACK),
//   D3DCULL_CW to glCullFace(GL_FRONT), D3DCULL_NONE to no culling.
// - Texture origin. Direct3D's (0, 0) is the top-left texel, and images are
//   uploaded top row first, so (u, v) goes to GL's (s, t) unchanged.
// - Colours. D3DCOLOR is 0xAARRGGBB, bytes B, G, R, A in memory: vertex
//   colours are bound as 4 normalised unsigned bytes in GL_BGRA order.
//
// Attribute locations: position 0, normal 1, diffuse 2, specular 3, texture
// coordinate set i at 4 + i. Samplers: ff_texture<stage> on unit <stage>.
#include "platform/d3d9/FixedFunctionKey.h"

#include <string>

class FixedFunctionShader {
public:
    static constexpr int kPositionLocation = 0;
    static constexpr int kNormalLocation = 1;
    static constexpr int kDiffuseLocation = 2;
    static constexpr int kSpecularLocation = 3;
    static constexpr int kTexCoordLocation = 4;

    static std::string vertexSource(const FixedFunctionKey::Fields& key);
    static std::string fragmentSource(const FixedFunctionKey::Fields& key);

    // Linear fog as drivers compute it, for these programs and for the fog
    // that follows an authored pixel shader alike: f = (end - d) / (end -
    // start) clamped to 0..1, so a reversed range fogs the near side and a
    // range of no length fogs everything. The function takes the uniform
    // that linearFogRange fills: (end, 1 / (end - start)), or (end, 0) when
    // the two are equal.
    static const char* const kLinearFogFunction;
    static void linearFogRange(float start, float end, float out[2]);
};
