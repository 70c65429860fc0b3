#pragma once
#include <ode/ode.h>

// ODE's near callback for a scene's spaces: `data` is the Scene. Pairs of
// geoms pass the scene's collide filters by space class and get contact
// joints with the parameters of its contact handlers by surface class;
// nested spaces are collided through the same callback.
void nearCallback(void* data, dGeomID o1, dGeomID o2);
