#include "GlRequirement.h"

#include <cstdlib>

namespace {

bool set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

bool displayExists()
{
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

bool glRequired()
{
    return set("VORLUND_REQUIRE_GL");
}
