// Starting and shutting down the XACT engine over FAudio again and again,
// with and without a sound device: a start that finds no device fails
// cleanly (no double release inside FAudio) and a later start still works.
#include "platform/audio/FactEngine.h"
#include "platform/audio/Xact.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// One engine from creation to release; the result of its Initialize.
HRESULT startAndRelease()
{
    IXACT3Engine* engine = nullptr;
    if (FAILED(XACTCreateEngine(0, &engine)) || !engine)
        return E_FAIL;
    XACT_RUNTIME_PARAMETERS params;
    params.lookAheadTime = 250;
    const HRESULT started = engine->Initialize(&params);
    if (SUCCEEDED(started)) {
        engine->DoWork();
        engine->ShutDown();
    }
    engine->Release();
    return started;
}

} // namespace

TEST(XactEngineStart, NoSoundDeviceFailsCleanlyAndLaterStartsStillWork)
{
    const long before = xactLiveObjects();
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        // SDL reads the driver name each time the audio subsystem starts,
        // which FAudio does for the first engine and undoes after the last.
        setenv("SDL_AUDIODRIVER", "vorlund-no-such-driver", 1);
        EXPECT_TRUE(FAILED(startAndRelease()));
        EXPECT_TRUE(FAILED(startAndRelease()));
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        EXPECT_EQ(startAndRelease(), S_OK);
        EXPECT_EQ(startAndRelease(), S_OK);
    }
    EXPECT_EQ(xactLiveObjects(), before);
}
