#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The two halves of the lwo2 program, usable in-process by tests.

// A person-readable tree of an LWO2 file's chunks and sub-chunks with their
// sizes and counts. Damaged files are shown as far as they go, with a note
// where the bytes stop making sense.
std::string lwo2Dump(const std::vector<uint8_t>& bytes);
// Whether the bytes start as an LWO2 object does (an IFF "FORM" of type
// "LWO2"); false with the reason when they do not, so nothing is dumped.
bool lwo2LooksLikeObject(const std::vector<uint8_t>& bytes, std::string& why);

// Builds an object from a small text description, one statement a line:
//   layer NUMBER [NAME]          starts a layer
//   point X Y Z                  adds a point to the layer
//   face SURFACE I0 I1 I2 ...    a polygon of the layer's points (from 0)
//   uv MAP POINT U V             an entry of the layer's UV map MAP
//   weight MAP POINT W           an entry of the layer's weight map
//   morph MAP POINT DX DY DZ     an entry of the layer's morph map
//   clip INDEX FILE              a still image
//   surface NAME                 starts a surface; the lines below set it:
//     color R G B | diffuse V | luminosity V | specular V | glossiness V
//     reflection V | transparency V | smoothing DEGREES | sides 1|2|3
//     image CLIP uv MAP | image CLIP planar|cubic|cylindrical|spherical x|y|z
//     [channel CHAN] ends an image line to map another channel than COLR
// "#" starts a comment. False with `error` ("line N: ...") on a bad line.
bool lwo2Build(const std::string& description, std::vector<uint8_t>& bytes, std::string& error);
