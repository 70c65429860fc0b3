#pragma once
#include <cstdint>
#include <string>

class NetControl;

// A four-byte value kept equal on every machine: local changes are sent
// once per race frame, received values take effect at the next commit.
class NetValue {
public:
    // Flag bits.
    static constexpr int32_t kTakeReceived = 1;
    static constexpr int32_t kSendChanges = 2;

    // Registers with the game's network control.
    NetValue();
    // Registers with the given network control.
    explicit NetValue(NetControl& control);
    virtual ~NetValue();
    NetValue(const NetValue&) = delete;
    NetValue& operator=(const NetValue&) = delete;

    virtual uint8_t* data();
    virtual int32_t size() const;
    virtual bool isDirty() const;
    // Keeps at most size() of the bytes as the pending received value.
    virtual void setReceived(const uint8_t* bytes, uint32_t length);
    // Clears the dirty and received marks; takes over a received value when
    // the flags say so.
    virtual bool commit();
    virtual int32_t getId() const;
    virtual int32_t getFlags() const;
    virtual const std::string& getName() const;
    virtual void setName(const std::string& name);

    // No registered value may carry the id already.
    void setId(int32_t id);

protected:
    NetControl& m_control;
    std::string m_name;
    uint8_t m_received[4] = {};
    uint8_t m_value[4] = {};
    uint8_t m_dirty = 0;
    uint8_t m_hasReceived = 0;
    int32_t m_id = -1;
    int32_t m_flags = kTakeReceived | kSendChanges;
};
