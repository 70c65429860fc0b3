#pragma once
#include "engine/core/base/ObjectBase.h"

// What a scene manager keeps of the LightWave loader's records (surfaces and
// object files): made by the loader with the first record and owned by the
// manager, which frees the records through it after its scenes.
class ObjectFileStore : public ObjectBase {
public:
    // Every loaded object file counts as prepared.
    virtual void markPrepared() = 0;
    // Passed on to every mesh of every object file.
    virtual void onLostDevice() {}
    virtual void onResetDevice() {}
};
