#include "engine/core/base/Report.h"

#include "engine/core/base/Format.h"
#include "platform/win/MessageBox.h"

#include <mutex>

int reportLevel = 0;
unsigned char reportToText = 0;
ByteBuffer lastErrorText;

// The network threads report too: one report at a time.
static std::mutex g_reportMutex;

void reportAssertion(const char* expressionText)
{
    std::lock_guard<std::mutex> guard(g_reportMutex);
    if (reportLevel < ReportAssertion)
        return;
    if (reportToText) {
        lastErrorText = extractBetween(expressionText, '"', '"', nullptr);
        return;
    }
    ByteBuffer text = extractBetween(expressionText, '"', '"', "- internal error -");
    MessageBoxA(nullptr, text.c_str(), "Assertion failed", MB_ICONEXCLAMATION);
}

static void reportText(int severity, const char* message, const char* caption)
{
    std::lock_guard<std::mutex> guard(g_reportMutex);
    if (reportLevel < severity)
        return;
    if (reportToText) {
        lastErrorText.assignCString(message);
        return;
    }
    MessageBoxA(nullptr, message ? message : "", caption, MB_ICONEXCLAMATION);
}

void reportError(const char* message)
{
    reportText(ReportError, message, "Error");
}

void reportWarning(const char* message, const char* caption)
{
    reportText(ReportWarning, message, caption);
}

void resetReportSwitch()
{
    reportLevel = 0;
    reportToText = 0;
    lastErrorText.assignCString("");
}
