// The lobby's messages from the network: each is taken with its values when
// it names a slot, kart, class, laps, game kind and track that the lobby
// has and has its own length, and refused with a report otherwise.
#include "game/menu/LobbyMessages.h"

#include "support/RecordedReports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    const char* what;
    int32_t id;
    std::vector<uint8_t> payload;
    // "" when taken; else a piece of the report.
    const char* refusal;
    int32_t slot;
    int32_t value;
};

} // namespace

TEST(LobbyMessages, TakeWhatTheLobbyHasAndRefuseTheRestWithAReport)
{
    lobby::Limits limits;
    limits.karts = 7;
    limits.tracks = 6;
    const Case cases[] = {
        {"class 2", 21, {2}, "", -1, 2},
        {"class 3", 21, {3}, "class 3 does not exist", -1, 0},
        {"class -1", 21, {0xFF}, "class -1 does not exist", -1, 0},
        {"last man standing", 22, {3}, "", -1, 3},
        {"game kind 1", 22, {1}, "game kind 1 does not exist", -1, 0},
        {"a kart", 23, {1, 6}, "", 1, 6},
        {"no kart", 23, {1, 0xFF}, "", 1, -1},
        {"the waiting marker", 23, {6, 0xFE}, "kart -2 does not exist", -1, 0},
        {"a kart past the list", 23, {1, 7}, "kart 7 does not exist", -1, 0},
        {"slot 7", 23, {7, 1}, "slot 7 does not exist", -1, 0},
        {"slot -128", 27, {0x80, 1}, "slot -128 does not exist", -1, 0},
        {"a short kart message", 23, {1}, "1 bytes long", -1, 0},
        {"5 laps", 24, {5}, "", -1, 5},
        {"0 laps", 24, {0}, "0 laps cannot be chosen", -1, 0},
        {"track 5", 26, {5}, "", -1, 5},
        {"track 6", 26, {6}, "track 6 does not exist", -1, 0},
        {"ready", 27, {2, 1}, "", 2, 1},
        {"ready state 3", 27, {2, 3}, "ready state 3 does not exist", -1, 0},
        {"two players start", 29, {2}, "", -1, 2},
        {"nobody starts", 29, {0}, "player count 0 does not exist", -1, 0},
        {"the host leaves", 30, {0}, "", 0, 0},
        {"slot 9 leaves", 30, {9}, "slot 9 does not exist", -1, 0},
        {"a state request", 28, {}, "", -1, 0},
        {"a state request with bytes", 28, {1}, "1 bytes long", -1, 0},
        {"an empty name message", 25, {}, "it is empty", -1, 0},
        {"not a lobby message", 31, {1}, "no lobby message", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordedReports reports;
        lobby::Fields f;
        const bool taken = lobby::decode(c.id, c.payload.data(), int32_t(c.payload.size()), limits, f);
        EXPECT_EQ(taken, std::string(c.refusal).empty());
        if (taken) {
            EXPECT_EQ(f.slot, c.slot);
            EXPECT_EQ(f.value, c.value);
            EXPECT_EQ(reports.last(), "");
        } else {
            EXPECT_NE(reports.last().find(c.refusal), std::string::npos) << reports.last();
        }
    }
}

TEST(LobbyMessages, ANameIsAByteACharacterAndNoLongerThanTheNameBox)
{
    lobby::Limits limits;
    lobby::Fields f;
    const std::vector<uint8_t> empty = {3};
    ASSERT_TRUE(lobby::decode(25, empty.data(), 1, limits, f));
    EXPECT_EQ(f.slot, 3);
    EXPECT_EQ(f.name, "");
    std::vector<uint8_t> longName = {4};
    for (int i = 0; i < 40; ++i)
        longName.push_back(uint8_t('a' + i % 26));
    longName[1] = 0xE9;
    ASSERT_TRUE(lobby::decode(25, longName.data(), int32_t(longName.size()), limits, f));
    EXPECT_EQ(f.name.size(), lobby::kMaxNameLength);
    EXPECT_EQ(uint8_t(f.name[0]), 0xE9);
}
