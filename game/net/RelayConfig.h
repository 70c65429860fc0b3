#pragma once
#include <cstdint>
#include <string>

// Where the relay listens and clients connect. The game listens on all
// interfaces on port 12726; VORLUND_RELAY_ADDRESS and VORLUND_RELAY_PORT
// override both (tests and several copies on one machine use them).
struct RelayConfig {
    static constexpr uint16_t kDefaultPort = 12726;

    std::string address; // dotted IPv4; empty means all interfaces
    uint16_t port = kDefaultPort;
    size_t maxConnections = 32;
    double unjoinedTimeout = 10.0; // seconds a connection may hold no slot
    double stallTimeout = 10.0;    // seconds a client may read nothing it is sent

    static RelayConfig fromEnvironment();
};
