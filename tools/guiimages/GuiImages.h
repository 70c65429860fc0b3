#pragma once
// The pictures and imagesets guiimages writes, one function per imageset;
// each writes its PNG and imageset into the folder and answers false when it
// could not.
#include <string>

class TextPainter;

bool speedImages(const std::string& dir);
// Portraits (the main menu's profile slots, in five states) and
// PortraitsSmall (lists and tables), one face per driver and the blank one.
bool portraitImages(const std::string& dir);
// Flags: the language screen's five flags.
bool flagImages(const std::string& dir);
// Vorlund: the game's wordmark and the trophy backdrop.
bool vorlundImages(const std::string& dir, TextPainter& text);
// Logos: the shop's colour swatches and logo badges, from the kart looks
// (data/karts/looks.txt) so they match the paint on the karts.
bool logoImages(const std::string& dir, const std::string& looksFile);
// Upgrades: engine, spoiler, tyres and side skirts, levels 1 to 5, and the
// sold-out stamp.
bool upgradeImages(const std::string& dir);
bool loadingPicture(const std::string& dir);
// Countdown, Powerups and Icons, and the picture UTurn.png: the race's
// display.
bool hudImages(const std::string& dir, TextPainter& text);
