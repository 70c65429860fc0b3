#include "engine/core/display/FormatDescription.h"
#include "engine/core/display/FormatRequirements.h"
#include "engine/core/base/Report.h"
#include "support/RecordedReports.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

const FormatDescription* d(D3DFORMAT format)
{
    const FormatDescription* found = findFormatDescription(format);
    EXPECT_NE(found, nullptr) << format;
    return found;
}

TEST(FormatTable, HoldsEveryFormatOnceInTableOrder)
{
    const char* const order[formatTableSize] = {
        "R8G8B8", "A8R8G8B8", "X8R8G8B8", "R5G6B5", "X1R5G5B5", "A1R5G5B5", "A4R4G4B4", "R3G3B2", "A8",
        "A8R3G3B2", "X4R4G4B4", "A2B10G10R10", "A8B8G8R8", "X8B8G8R8", "G16R16", "A2R10G10B10", "A16B16G16R16",
        "A8P8", "P8", "L8", "A8L8", "A4L4", "V8U8", "L6V5U5", "X8L8V8U8", "Q8W8V8U8", "V16U16", "A2W10V10U10",
        "UYVY", "R8G8_B8G8", "YUY2", "G8R8_G8B8", "YV12", "DXT1", "DXT2", "DXT3", "DXT4", "DXT5", "D16_LOCKABLE",
        "D32", "D15S1", "D24S8", "D24X8", "D24X4S4", "D16", "D32F_LOCKABLE", "D24FS8", "L16", "Q16W16V16U16",
        "MULTI2_ARGB8", "MET_4_4_4_4_NV", "MET_4_4_4_2_NV", "MET_4_4_4_1_NV", "MET_4_4_2_2_NV", "MET_4_4_2_1_NV",
        "MET_4_4_1_1_NV", "MET_4_2_2_2_NV", "MET_4_2_2_1_NV", "MET_4_2_1_1_NV", "MET_4_1_1_1_NV",
        "MET_2_2_2_2_NV", "MET_2_2_2_1_NV", "MET_2_2_1_1_NV", "MET_2_1_1_1_NV", "MET_1_1_1_1_NV", "R16F",
        "G16R16F", "A16B16G16R16F", "R32F", "G32R32F", "A32B32G32R32F", "CxV8U8"};
    std::set<DWORD> values;
    for (int i = 0; i < formatTableSize; ++i) {
        EXPECT_EQ(std::string(formatTable()[i].name), order[i]) << i;
        values.insert(formatTable()[i].format);
    }
    EXPECT_EQ(values.size(), size_t(formatTableSize));
    EXPECT_EQ(findFormatDescription(D3DFMT_INDEX16), nullptr);
}

TEST(FormatTable, RowsCarryDirect3DLayouts)
{
    struct Row {
        D3DFORMAT format;
        DWORD value;
        uint32_t channels[4];
        int32_t bits;
        uint32_t flags;
    };
    const Row rows[] = {
        {D3DFMT_A8R8G8B8, 21, {8, 8, 8, 8}, 32, 1},
        {D3DFMT_X8R8G8B8, 22, {0, 8, 8, 8}, 32, 1},
        {D3DFMT_R5G6B5, 23, {0, 5, 6, 5}, 16, 1},
        {D3DFMT_A2R10G10B10, 35, {2, 10, 10, 10}, 32, 1},
        {D3DFMT_A4R4G4B4, 26, {4, 4, 4, 4}, 16, 0},
        {D3DFMT_DXT1, 0x31545844, {1, 5, 6, 5}, 4, 32},
        {D3DFMT_DXT5, 0x35545844, {8, 5, 6, 5}, 8, 96},
        {D3DFMT_D24S8, 75, {8, 24, 0, 0}, 32, 6},
        {D3DFMT_D16, 80, {0, 16, 0, 0}, 16, 6},
        {D3DFMT_D16_LOCKABLE, 70, {0, 16, 0, 0}, 16, 2},
        {D3DFMT_D24FS8, 83, {8, 0x20018, 0, 0}, 32, 6},
        {D3DFMT_R32F, 114, {0, 0x20020, 0, 0}, 32, 16},
    };
    for (const Row& r : rows) {
        const FormatDescription* row = d(r.format);
        ASSERT_NE(row, nullptr);
        SCOPED_TRACE(row->name);
        EXPECT_EQ(DWORD(row->format), r.value);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(row->channels[c], r.channels[c]) << c;
        EXPECT_EQ(row->totalBits, r.bits);
        EXPECT_EQ(row->flags, r.flags);
    }
}

// The device's depth-stencil requirements.
FormatRequirements depthStencil()
{
    FormatRequirements req;
    req.m_min[1] = formatChannel(15);
    req.m_preferred[0] = formatChannel(8);
    req.m_preferred[1] = formatChannel(24, FormatFloat);
    for (uint32_t& f : req.m_max)
        f = formatChannel(32, FormatFloat);
    req.m_requiredFlags = 2;
    req.m_allowedFlags = 7;
    req.m_preferredFlags.push_back(4);
    return req;
}

// The renderer's render-to-texture colour requirements.
FormatRequirements renderTargetColour()
{
    FormatRequirements req;
    req.m_min[1] = req.m_min[2] = req.m_min[3] = formatChannel(5);
    for (uint32_t& f : req.m_preferred)
        f = formatChannel(8);
    for (uint32_t& f : req.m_max)
        f = 0x20220;
    req.m_allowedFlags = 1;
    req.avoid(0x10);
    return req;
}

TEST(FormatRequirements, ChoosesAsThePurposesExpect)
{
    struct Case {
        const char* what;
        FormatRequirements req;
        std::vector<D3DFORMAT> candidates;
        D3DFORMAT expected;
    };
    const Case cases[] = {
        {"float depth first", depthStencil(), {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24FS8}, D3DFMT_D24FS8},
        {"then 24+8", depthStencil(), {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32}, D3DFMT_D24S8},
        {"discardable over lockable", depthStencil(), {D3DFMT_D16_LOCKABLE, D3DFMT_D16}, D3DFMT_D16},
        {"only lockable", depthStencil(), {D3DFMT_D16_LOCKABLE}, D3DFMT_D16_LOCKABLE},
        {"no depth at all", depthStencil(), {D3DFMT_A8R8G8B8, D3DFMT_R32F}, D3DFMT_UNKNOWN},
        {"alpha matches", renderTargetColour(), {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}, D3DFMT_A8R8G8B8},
        {"classless formats qualify", renderTargetColour(), {D3DFMT_A4R4G4B4, D3DFMT_A8B8G8R8}, D3DFMT_A8B8G8R8},
        {"nothing qualifies", renderTargetColour(), {D3DFMT_DXT1, D3DFMT_R32F, D3DFMT_D24S8}, D3DFMT_UNKNOWN},
        {"bytes beat half floats", renderTargetColour(), {D3DFMT_A16B16G16R16F, D3DFMT_A8R8G8B8}, D3DFMT_A8R8G8B8},
        {"tie goes to the first", renderTargetColour(), {D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5}, D3DFMT_X1R5G5B5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<const FormatDescription*> list;
        for (D3DFORMAT f : c.candidates)
            list.push_back(findFormatDescription(f));
        const FormatDescription* chosen = c.req.choose(list);
        EXPECT_EQ(chosen ? chosen->format : D3DFMT_UNKNOWN, c.expected);
    }
}

TEST(FormatRequirements, EqualScoresKeepTheFirstCandidate)
{
    FormatRequirements req = depthStencil();
    const FormatDescription a = *d(D3DFMT_D24S8);
    const FormatDescription b = a;
    const FormatDescription* chosen = req.choose({&a, &b});
    EXPECT_EQ(chosen, &a);
    EXPECT_EQ(req.score(a), req.score(b));
}

TEST(FormatRequirements, ScoreFollowsTheFormula)
{
    // A8R8G8B8 against the colour target requirements: channels 8+8+8+8 = 32,
    // times 8 plus 4 kind matches, times 8 plus 4 sign matches = 2084,
    // (2084 + 1) * 32 - 32 / 4 = 66712, then one doubled avoid mask met.
    EXPECT_EQ(renderTargetColour().score(*d(D3DFMT_A8R8G8B8)), 66712 * 2 + 1);
    FormatRequirements min = renderTargetColour();
    EXPECT_EQ(min.score(*d(D3DFMT_R3G3B2)), -1); // blue 2 bits under the minimum of 5
    EXPECT_EQ(min.score(*d(D3DFMT_MET_4_4_4_4_NV)), -1);
}

class ReportedFormatRequirements : public ::testing::Test {
protected:
    RecordedReports m_reports;
};

TEST_F(ReportedFormatRequirements, ThirteenMasksAssertAndOnlyTwelveCount)
{
    FormatRequirements twelve = depthStencil();
    twelve.m_preferredFlags.clear();
    for (int i = 0; i < 12; ++i)
        twelve.m_preferredFlags.push_back(4);
    FormatRequirements thirteen = twelve;
    // A thirteenth mask the candidate meets would add a doubling and a point.
    thirteen.m_preferredFlags.push_back(2);
    const int64_t expected = twelve.score(*d(D3DFMT_D24S8));
    EXPECT_STREQ(lastErrorText.c_str(), "");
    EXPECT_EQ(thirteen.score(*d(D3DFMT_D24S8)), expected);
    EXPECT_STREQ(lastErrorText.c_str(), "duplicated preference flags?");
}

TEST(FormatRequirements, AvoidAllowsAndDisfavours)
{
    FormatRequirements req;
    req.m_allowedFlags = 1;
    req.avoid(0x10);
    EXPECT_EQ(req.m_allowedFlags, 0x11u);
    ASSERT_EQ(req.m_preferredFlags.size(), 1u);
    EXPECT_EQ(req.m_preferredFlags[0], -0x10);
}

} // namespace
