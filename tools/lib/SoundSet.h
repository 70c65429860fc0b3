#pragma once
#include "tools/lib/XactBankWriter.h"

#include <string>

// The game's sound set as a small text description, turned into the three
// XACT banks. One statement a line, "#" starts a comment:
//
//   bank SOUNDBANK WAVEBANK          the two banks' names
//   rate 22050                       samples per second of every wave
//   category NAME [parent=NAME] [volume=DB]
//   variable NAME [access=public,readonly,cue] [init=V] [min=V] [max=V]
//   wave NAME [category=NAME] [loop] [volume=DB] [priority=N] SYNTH...
//   cue INDEX NAME sound=WAVE [limit=N]
//   cue INDEX NAME var=INDEX entries=WAVE:MIN:MAX,...
//
// Each wave is synthesised from its parameters and becomes one sound of that
// name. Cues must be listed in index order from 0. The synthesis parameters:
//   shape=sine|square|saw|triangle|noise   dur=SECONDS   gain=0..1
//   freq=HZ [to=HZ]          a tone gliding from freq to `to`
//   attack=S decay=S         linear fade in, exponential fade (0 holds)
//   vibrato=HZ depth=SEMITONES
//   notes=N:BEATS,...        a melody (N like C4, F#5, or "-" for a rest)
//   bass=N:BEATS,...         a second, triangle voice under the melody
//   tempo=BPM repeat=N       beats per minute and times the melody plays
//   cutoff=HZ                one-pole low-pass, for noise mostly
struct SoundSet {
    xact::GlobalSettings settings;
    xact::SoundBank soundBank;
    std::vector<xact::Wave> waves;
};

// False with `error` ("line N: ...") when the description is refused.
bool parseSoundSet(const std::string& text, SoundSet& out, std::string& error);
