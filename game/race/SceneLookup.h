#pragma once
#include <cstdint>
#include <string>

class MeshObject;
class Scene;

// Object lookups by name the way the race counts instances: layer -1 means
// any layer (the engine's own lookup takes -1 as "no mesh"), instances count
// from 1 in load order. Null, or 0, when there are not so many.
namespace lookup {

MeshObject* instance(Scene* scene, const std::string& name, int32_t layer, int32_t instance);
int32_t count(Scene* scene, const std::string& name, int32_t layer);
// The last object of that name in any layer: the one loaded most recently.
MeshObject* last(Scene* scene, const std::string& name);

} // namespace lookup
