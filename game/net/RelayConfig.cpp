#include "game/net/RelayConfig.h"

#include <cstdlib>

RelayConfig RelayConfig::fromEnvironment()
{
    RelayConfig config;
    if (const char* address = std::getenv("VORLUND_RELAY_ADDRESS"))
        config.address = address;
    if (const char* port = std::getenv("VORLUND_RELAY_PORT"); port && *port) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(port, &end, 10);
        if (*end == '\0' && value <= 65535)
            config.port = uint16_t(value);
    }
    return config;
}
