#include "engine/scene/FixedLightList.h"

std::vector<FixedLightList::Entry>& FixedLightList::entries()
{
    static std::vector<Entry> list;
    return list;
}

void FixedLightList::forgetScene(const Scene* scene)
{
    for (Entry& e : entries()) {
        if (e.scene == scene)
            e = Entry{};
    }
}

void FixedLightList::forgetLight(const void* light)
{
    for (Entry& e : entries()) {
        if (e.light == light)
            e = Entry{};
    }
}
