#include "GlWorld.h"

#include "DeviceReadBack.h"
#include "platform/d3d9/D3D9Backend.h"

GlWorld::GlWorld()
{
    selectD3D9Backend(D3D9Backend::Gl);
}

GlWorld::~GlWorld()
{
    drainWindowMessages();
    selectD3D9Backend(D3D9Backend::Default);
}
