#include "engine/core/base/Report.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ReportSwitchGuard {
    ReportSwitchGuard() { resetReportSwitch(); }
    ~ReportSwitchGuard() { resetReportSwitch(); }
};

} // namespace

TEST(ReportSwitch, LevelDecidesWhichSeveritiesAct)
{
    ReportSwitchGuard guard;
    reportToText = 1;
    struct Case {
        int level;
        bool error, warning, assertion;
    } cases[] = {
        {0, false, false, false},
        {1, true, false, false},
        {2, true, true, false},
        {3, true, true, true},
    };
    for (const Case& c : cases) {
        reportLevel = c.level;
        lastErrorText.assignCString("");
        reportError("no file");
        EXPECT_EQ(std::string(lastErrorText.c_str()) == "no file", c.error) << c.level;
        lastErrorText.assignCString("");
        reportWarning("bad shader");
        EXPECT_EQ(std::string(lastErrorText.c_str()) == "bad shader", c.warning) << c.level;
        lastErrorText.assignCString("");
        ENGINE_ASSERT(0 && "broken");
        EXPECT_EQ(std::string(lastErrorText.c_str()) == "broken", c.assertion) << c.level;
    }
}

TEST(ReportSwitch, RecordingKeepsOnlyTheLastText)
{
    ReportSwitchGuard guard;
    reportLevel = 3;
    reportToText = 1;
    ENGINE_ASSERT(0 && "first");
    ENGINE_ASSERT(0 && "second");
    EXPECT_STREQ(lastErrorText.c_str(), "second");
    // An assertion without a quoted part records the empty text.
    int count = 0;
    ENGINE_ASSERT(count > 0);
    EXPECT_STREQ(lastErrorText.c_str(), "");
    ENGINE_ASSERT(count == 0); // holds: nothing reported
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST(ReportSwitch, WithoutRecordingReportsGoToTheMessageBox)
{
    ReportSwitchGuard guard;
    reportLevel = 3;
    ::testing::internal::CaptureStderr();
    ENGINE_ASSERT(1 == 2);
    ENGINE_ASSERT(0 && "quoted");
    reportError("missing data.sar");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Assertion failed: - internal error -"), std::string::npos) << err;
    EXPECT_NE(err.find("Assertion failed: quoted"), std::string::npos) << err;
    EXPECT_NE(err.find("Error: missing data.sar"), std::string::npos) << err;
    EXPECT_STREQ(lastErrorText.c_str(), "");
}
