#include "engine/scene/OdeRuntime.h"

#include <ode/ode.h>

namespace {

struct OdeLifetime {
    OdeLifetime() { dInitODE2(0); }
    ~OdeLifetime() { dCloseODE(); }
};

} // namespace

void OdeRuntime::ensure()
{
    static OdeLifetime lifetime;
}
