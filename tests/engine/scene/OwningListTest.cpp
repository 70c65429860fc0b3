#include "engine/scene/OwningList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// Records its own deletion, so each test can see what the list freed.
struct Tracked {
    Tracked(int id_, std::vector<int>& freed_) : id(id_), freed(freed_) {}
    ~Tracked() { freed.push_back(id); }
    int id;
    std::vector<int>& freed;
};

} // namespace

TEST(OwningList, FreesWhatItHoldsExactlyOnce)
{
    std::vector<int> freed;
    {
        OwningList<Tracked> list;
        Tracked* items[4];
        for (int i = 0; i < 4; ++i) {
            items[i] = new Tracked(i, freed);
            list.push_back(items[i]);
        }
        // Erasing frees; an item not in the list is left alone.
        EXPECT_TRUE(list.erase(items[1]));
        EXPECT_EQ(freed, std::vector<int>({1}));
        Tracked stranger(9, freed);
        EXPECT_FALSE(list.erase(&stranger));
        EXPECT_EQ(freed.size(), 1u);

        // Release hands ownership back instead.
        std::unique_ptr<Tracked> taken = list.release(items[2]);
        EXPECT_EQ(taken.get(), items[2]);
        EXPECT_EQ(list.release(items[2]), nullptr);
        EXPECT_EQ(freed.size(), 1u);
        taken.reset();
        EXPECT_EQ(freed, std::vector<int>({1, 2}));

        // What is left is handed out as plain pointers, in order.
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list.front(), items[0]);
        EXPECT_EQ(list.back(), items[3]);
        EXPECT_EQ(list[1], items[3]);
        std::vector<Tracked*> seen(list.begin(), list.end());
        EXPECT_EQ(seen, std::vector<Tracked*>({items[0], items[3]}));
        EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const Tracked* t) { return t->id == 3; }), 1);
        freed.clear();
    }
    // The stranger goes first, as the later local; the list going frees the
    // rest, the last first.
    EXPECT_EQ(freed, std::vector<int>({9, 3, 0}));
}
