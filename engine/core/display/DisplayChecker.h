#pragma once

class DisplayManager;
struct AdapterInfo;

// The display-capability check the program runs once after the display
// manager's init: four hooks, always in this order, for the adapter the
// engine settings name. The hooks fill the adapter's format lists that the
// device and the renderer choose from; a program derives its own checker
// to validate its video settings on the way.
class DisplayChecker {
public:
    explicit DisplayChecker(DisplayManager* displayManager);
    virtual ~DisplayChecker() = default;

    // True when every hook succeeded.
    virtual bool check(int flags);

protected:
    virtual bool enumerateModes(int adapter);
    virtual bool checkBackBufferFormats(int adapter);
    virtual bool checkMultiSampleTypes(int adapter);
    virtual bool checkDepthStencilFormats(int adapter);

    DisplayManager* m_displayManager;
};
