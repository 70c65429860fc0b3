#pragma once
#include <string>

// Every report, assertions included, recorded into lastErrorText instead of
// shown, for the helper's life; the report switch starts and ends reset.
class RecordedReports {
public:
    RecordedReports();
    ~RecordedReports();
    RecordedReports(const RecordedReports&) = delete;
    RecordedReports& operator=(const RecordedReports&) = delete;

    // The last report's text, "" when there was none.
    std::string last() const;
};
