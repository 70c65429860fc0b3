#pragma once
#include <ostream>

// The engine's text log (adapters, device creation, loading progress, the
// profiling report). It is bound to the null device: nothing reads it back.
// Tests may point it at a stream of their own.
std::ostream& engineLog();
void setEngineLogSink(std::ostream* sink); // null restores the null device
