#include "engine/core/base/EngineLog.h"

#include <fstream>

namespace {
std::ostream* g_sink = nullptr;

std::ostream& nullDevice()
{
    static std::ofstream null("/dev/null");
    return null;
}
} // namespace

std::ostream& engineLog()
{
    return g_sink ? *g_sink : nullDevice();
}

void setEngineLogSink(std::ostream* sink)
{
    g_sink = sink;
}
