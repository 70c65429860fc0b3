#pragma once
#include "engine/core/render/Material.h"

#include <cstdint>

class Surface;

// The stage plan of one surface: which of its image layers go to which of at
// most eight texture stages. Built with the mesh; it decides the vertex
// layout and the stages the passes bind.
class SurfaceStagePlan : public StagePlan {
public:
    bool build(Surface* surface);
};
