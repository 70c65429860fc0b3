#pragma once
#include <ode/ode.h>

// ODE's near callback for a scene's spaces: `data` is the Scene. Pairs of
// geoms pass the scene's collide filters by space class and get contact
// joints with the parameters of its contact handlers by surface class;
// nested spaces are collided through the same callback.
void nearCallback(void* data, dGeomID o1, dGeomID o2);

class Scene;

// One collision pass over `space` through the scene's filters and contact
// handlers: every pair of members that ODE finds is tested once, and every
// nested space whose diagonal filter passes is collided inside itself
// exactly once. The near callback above collides a nested space inside
// itself each time it meets the space beside another, so a step through it
// makes the same contacts several times over.
void collideSpace(Scene* scene, dSpaceID space);
