#pragma once
// The colours every GUI picture is drawn in: the loading screen's evening
// sky (deep blue above, warm orange at the horizon) for the widgets, a gold
// for what is chosen or has the keyboard's focus.
#include "tools/guiimages/Canvas.h"

namespace palette {

inline const Colour kSkyTop = rgb(0x283c8c);
inline const Colour kSkyHorizon = rgb(0xf09664);
// Panels: a translucent night blue with a faint light rim.
inline const Colour kPanel = rgb(0x0e1634, 0.80f);
inline const Colour kPanelRim = rgb(0xffffff, 0.22f);
// Buttons: sky blue; under the mouse the sunset's orange.
inline const Colour kButtonTop = rgb(0x4a7ee0);
inline const Colour kButtonBottom = rgb(0x2a4a9e);
inline const Colour kHoverTop = rgb(0xffb24a);
inline const Colour kHoverBottom = rgb(0xe07028);
inline const Colour kPushedTop = rgb(0xc8682a);
inline const Colour kPushedBottom = rgb(0xa85420);
inline const Colour kDisabledTop = rgb(0x5c6274);
inline const Colour kDisabledBottom = rgb(0x444858);
inline const Colour kRim = rgb(0xffffff, 0.45f);
inline const Colour kGold = rgb(0xffd84a);
inline const Colour kGoldDeep = rgb(0xe8a020);
inline const Colour kInk = rgb(0x0a1230);
inline const Colour kWhite = rgb(0xffffff);

} // namespace palette
