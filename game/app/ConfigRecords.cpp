#include "game/app/ConfigRecords.h"

UpgradeTable::UpgradeTable()
    : sideskirts{UpgradeInfo()}, engine{UpgradeInfo()}, tires{UpgradeInfo()}, spoiler{UpgradeInfo()}
{
}

const UpgradeInfo* UpgradeTable::at(const std::vector<UpgradeInfo>& list, int32_t index)
{
    if (index < 0 || size_t(index) >= list.size())
        return nullptr;
    return &list[size_t(index)];
}
