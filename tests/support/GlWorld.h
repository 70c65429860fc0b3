#pragma once
#include "RecordedReports.h"

// Puts the process on the GL Direct3D backend with the report switch
// recording, and puts both back afterwards, leaving no window message behind.
class GlWorld {
public:
    GlWorld();
    ~GlWorld();
    GlWorld(const GlWorld&) = delete;
    GlWorld& operator=(const GlWorld&) = delete;

private:
    RecordedReports m_reports;
};
