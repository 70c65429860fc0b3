// Feeds arbitrary bytes to the text table as the text of Texts.xml.
#include "game/app/TextTable.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TextTable table(std::string(reinterpret_cast<const char*>(data), size));
    for (uint32_t language = 0; language < 6; ++language) {
        table.language = language;
        for (int32_t id : {0, 1, 1000, -1})
            (void)table.getText(id).c_str(); // encodes every text back to UTF-8
    }
    return 0;
}
