#pragma once
#include "engine/core/base/ByteBuffer.h"

// The report switch: one process-wide level and record flag decide whether an
// assertion, warning or error becomes a message box, the recorded last error
// text, or nothing. Severities: 3 assertion, 2 warning, 1 error. Execution
// always continues after a report.
extern int reportLevel;
extern unsigned char reportToText;
extern ByteBuffer lastErrorText;

enum ReportSeverity { ReportError = 1, ReportWarning = 2, ReportAssertion = 3 };

// An assertion reports the quoted part of its expression text (or
// "- internal error -" in a box when there is none).
void reportAssertion(const char* expressionText);
// Errors show with the caption "Error"; warnings with their own caption.
void reportError(const char* message);
void reportWarning(const char* message, const char* caption = "Parse Error");

// Back to the start-up state: level 0, no recording, empty last error.
void resetReportSwitch();

#define ENGINE_ASSERT(expr) \
    do { \
        if (!(expr)) \
            reportAssertion(#expr); \
    } while (0)
