#include "RecordedReports.h"

#include "engine/core/base/Report.h"

RecordedReports::RecordedReports()
{
    resetReportSwitch();
    reportLevel = ReportAssertion;
    reportToText = 1;
}

RecordedReports::~RecordedReports()
{
    resetReportSwitch();
}

std::string RecordedReports::last() const
{
    return lastErrorText.c_str();
}
