// Without a per-application firewall every registration succeeds, except
// the empty names Windows rejects too.
#include "platform/firewall/FirewallHelper.h"

#include <gtest/gtest.h>

#include <memory>

TEST(FirewallHelper, AnswersAsAnOpenFirewall)
{
    std::unique_ptr<FirewallHelper> firewall(FirewallHelper::create());
    ASSERT_TRUE(firewall);
    struct Case {
        const wchar_t* path;
        const wchar_t* name;
        HRESULT add;
        bool enabled;
    };
    const Case cases[] = {
        {L"/usr/games/vorlund", L"Vorlund", FirewallHelper::kOk, true},
        {L"", L"Vorlund", FirewallHelper::kOutOfMemory, false},
        {L"/usr/games/vorlund", L"", FirewallHelper::kOutOfMemory, true},
        {nullptr, nullptr, FirewallHelper::kOutOfMemory, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(firewall->addApp(c.path, c.name), c.add);
        EXPECT_EQ(firewall->isAppEnabled(c.path), c.enabled);
        EXPECT_EQ(firewall->canHost(c.path), c.enabled);
        EXPECT_EQ(firewall->removeApp(c.path), c.enabled ? FirewallHelper::kOk : FirewallHelper::kOutOfMemory);
    }
    testing::internal::CaptureStdout();
    FirewallHelper::onInstall(L"Vorlund");
    FirewallHelper::onUninstall();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
}
