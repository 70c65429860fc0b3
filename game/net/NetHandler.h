#pragma once
#include <cstdint>

// A message handler: called with a received payload and its size.
class NetHandler {
public:
    virtual ~NetHandler() = default;
    virtual void operator()(const uint8_t* payload, int32_t size) {}
};

// Binds a handler to a member function of its owner.
template <class Owner>
class NetMemberHandler : public NetHandler {
public:
    using Method = void (Owner::*)(const uint8_t* payload, int32_t size);
    NetMemberHandler(Method method, Owner* owner) : m_method(method), m_owner(owner) {}
    void operator()(const uint8_t* payload, int32_t size) override { (m_owner->*m_method)(payload, size); }

private:
    Method m_method;
    Owner* m_owner;
};

// What the lobby and the race hand to NetControl::addHandler. The network
// control owns the handler from then on.
struct HandlerEntry {
    int32_t id = 0;
    int32_t size = -1; // expected payload bytes; -1 takes any size
    NetHandler* handler = nullptr;

    HandlerEntry() = default;
    HandlerEntry(int32_t nid, int32_t expectedSize, NetHandler* h) : id(nid), size(expectedSize), handler(h) {}
    template <class Owner>
    HandlerEntry(int32_t nid, int32_t expectedSize, typename NetMemberHandler<Owner>::Method method, Owner* owner)
        : id(nid), size(expectedSize), handler(new NetMemberHandler<Owner>(method, owner))
    {
    }
};
