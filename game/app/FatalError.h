#pragma once
// The one way any part of the game gives up: start-up (a missing data
// archive, no display, a GUI file it cannot use, a damaged sound bank) and,
// later, the menu or the race when a file they need is unusable. The message
// names what is wrong in the player's terms; it is shown once (standard
// error and the log always, a message box whenever a display exists), the
// main loop ends after the frame that reported it, and the program exits
// with a non-zero status.
#include <string>

// Reports the failure. Only the first report of a run is kept and shown:
// later ones are usually its consequences.
void reportFatalError(const std::string& message);
// Marks the run as failed for a message someone else has shown already (the
// display manager's own boxes).
void noteFatalErrorShown(const std::string& message);

bool fatalErrorReported();
// The kept message, empty when none.
const std::string& fatalErrorMessage();
// Forgets the report (tests).
void clearFatalError();
