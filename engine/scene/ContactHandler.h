#pragma once
#include <ode/ode.h>

#include <cstdint>

// The contact parameters for one pair of surface classes. The game derives
// its own handlers, sets the members in their constructors and answers per
// contact point through onContact; the answer is a plain handler by value,
// so a subclass decides per point without touching shared state.
class ContactHandler {
public:
    // The near callback's contact array holds this many records.
    static constexpr int32_t MaxContacts = 32;

    ContactHandler();
    ContactHandler(const ContactHandler&) = default;
    ContactHandler& operator=(const ContactHandler&) = default;
    virtual ~ContactHandler() = default;

    // The parameters for this one contact point: by default the handler's own.
    virtual ContactHandler onContact(const dContactGeom& contact);
    // How many contact points one pair may give; at most MaxContacts.
    virtual int32_t maxCollisions() const { return m_maxCollisions; }

    int32_t m_maxCollisions = 16;
    dSurfaceParameters m_surface;
    dVector3 m_fdir1 = {0.0, 0.0, 0.0, 0.0};
    // False in an answer: no contact joint for that point.
    bool m_createContact = true;
    // Set on the stored handler: a pair with a disabled body is not collided.
    bool m_skipIfBodyDisabled = false;
};

// The handlers of a scene by [surface class of the first geom's object]
// [surface class of the second's]. Every entry starts at the default; the
// table owns none of what the game stores in it.
class ContactTable {
public:
    static constexpr uint32_t Size = 50;

    ContactTable();
    ContactTable(const ContactTable&) = delete;
    ContactTable& operator=(const ContactTable&) = delete;

    ContactHandler m_default;
    ContactHandler* m_handlers[Size][Size];
};
