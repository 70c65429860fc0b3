#include "tools/lib/SoundSet.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <sstream>
#include <stdexcept>

namespace {

using Params = std::map<std::string, std::string>;

struct Note {
    double frequency = 0.0; // 0 for a rest
    double beats = 1.0;
};

struct Synth {
    std::string shape = "sine";
    double duration = 0.3;
    double gain = 0.5;
    double frequency = 440.0;
    double glideTo = -1.0;
    double attack = 0.005;
    double decay = 0.0; // exponential fade time constant; 0 holds the level
    double vibrato = 0.0;
    double depth = 0.0;
    double tempo = 120.0;
    double cutoff = 0.0;
    int repeat = 1;
    std::vector<Note> notes;
    std::vector<Note> bass;
};

double number(const std::string& text)
{
    size_t used = 0;
    const double v = std::stod(text, &used);
    if (used != text.size() || !std::isfinite(v))
        throw std::invalid_argument("not a number: " + text);
    return v;
}

double noteFrequency(const std::string& name)
{
    static const std::map<char, int> steps = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                              {'G', 7}, {'A', 9}, {'B', 11}};
    if (name == "-")
        return 0.0;
    if (name.size() < 2 || !steps.count(name[0]))
        throw std::invalid_argument("not a note: " + name);
    int semitone = steps.at(name[0]);
    size_t i = 1;
    if (name[i] == '#')
        ++semitone, ++i;
    else if (name[i] == 'b')
        --semitone, ++i;
    const int octave = int(number(name.substr(i)));
    const int midi = 12 * (octave + 1) + semitone;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

std::vector<Note> melody(const std::string& text)
{
    std::vector<Note> notes;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        const size_t colon = item.find(':');
        Note n;
        n.frequency = noteFrequency(item.substr(0, colon));
        if (colon != std::string::npos)
            n.beats = number(item.substr(colon + 1));
        if (n.beats <= 0.0 || n.beats > 64.0)
            throw std::invalid_argument("note length out of range: " + item);
        notes.push_back(n);
    }
    return notes;
}

double oscillator(const std::string& shape, double phase, uint32_t& noise)
{
    const double cycle = phase / (2.0 * std::numbers::pi);
    const double saw = 2.0 * (cycle - std::floor(cycle + 0.5));
    if (shape == "sine")
        return std::sin(phase);
    if (shape == "square")
        return std::sin(phase) >= 0.0 ? 1.0 : -1.0;
    if (shape == "saw")
        return saw;
    if (shape == "triangle")
        return 2.0 * std::fabs(saw) - 1.0;
    noise = noise * 1664525u + 1013904223u;
    return double(noise >> 8) / double(1u << 23) - 1.0;
}

// One voice: a tone or noise of `seconds`, frequency `from` gliding to `to`.
void voice(const Synth& s, const std::string& shape, double from, double to, double seconds, double gain,
           double decay, uint32_t rate, std::vector<double>& out, size_t start)
{
    const size_t count = size_t(seconds * rate);
    if (out.size() < start + count)
        out.resize(start + count, 0.0);
    uint32_t noise = 0x2545F491u;
    double phase = 0.0;
    const double fadeOut = std::min(0.005, seconds / 4);
    for (size_t i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        double f = from + (to - from) * (t / seconds);
        if (s.vibrato > 0.0)
            f *= std::pow(2.0, s.depth * std::sin(2.0 * std::numbers::pi * s.vibrato * t) / 12.0);
        phase += 2.0 * std::numbers::pi * f / rate;
        double env = std::min(1.0, s.attack > 0.0 ? t / s.attack : 1.0);
        if (decay > 0.0)
            env *= std::exp(-t / decay);
        env *= std::min(1.0, (seconds - t) / fadeOut);
        out[start + i] += gain * env * oscillator(shape, phase, noise);
    }
}

std::vector<int16_t> synthesise(const Synth& s, uint32_t rate)
{
    std::vector<double> mix;
    if (s.notes.empty()) {
        const double to = s.glideTo > 0.0 ? s.glideTo : s.frequency;
        voice(s, s.shape, s.frequency, to, s.duration, s.gain, s.decay, rate, mix, 0);
    } else {
        const double beat = 60.0 / s.tempo;
        auto line = [&](const std::vector<Note>& notes, const std::string& shape, double gain) {
            size_t at = 0;
            for (int r = 0; r < s.repeat; ++r)
                for (const Note& n : notes) {
                    const double seconds = n.beats * beat;
                    if (n.frequency > 0.0)
                        voice(s, shape, n.frequency, n.frequency, seconds, gain, s.decay, rate, mix, at);
                    at += size_t(seconds * rate);
                    if (mix.size() < at)
                        mix.resize(at, 0.0);
                }
        };
        line(s.notes, s.shape, s.gain);
        line(s.bass, "triangle", s.gain * 0.7);
    }
    if (s.cutoff > 0.0) {
        const double a = 1.0 - std::exp(-2.0 * std::numbers::pi * s.cutoff / rate);
        double y = 0.0;
        for (double& v : mix)
            v = y += a * (v - y);
    }
    std::vector<int16_t> samples(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        samples[i] = int16_t(std::lround(std::clamp(mix[i], -1.0, 1.0) * 32767.0));
    return samples;
}

uint8_t access(const std::string& text)
{
    uint8_t bits = 0;
    std::stringstream in(text);
    std::string flag;
    while (std::getline(in, flag, ',')) {
        if (flag == "public")
            bits |= xact::kPublic;
        else if (flag == "readonly")
            bits |= xact::kReadOnly;
        else if (flag == "cue")
            bits |= xact::kCueInstance;
        else
            throw std::invalid_argument("unknown access: " + flag);
    }
    return bits;
}

// Takes a parameter out of `p`; whatever is left at the end is unknown.
std::string take(Params& p, const std::string& key, const std::string& fallback = "")
{
    auto it = p.find(key);
    if (it == p.end())
        return fallback;
    std::string v = it->second;
    p.erase(it);
    return v;
}

double takeNumber(Params& p, const std::string& key, double fallback, double lo, double hi)
{
    const std::string v = take(p, key);
    if (v.empty())
        return fallback;
    const double n = number(v);
    if (n < lo || n > hi)
        throw std::invalid_argument(key + " out of range");
    return n;
}

} // namespace

bool parseSoundSet(const std::string& text, SoundSet& out, std::string& error)
{
    out = {};
    uint32_t rate = 22050;
    std::map<std::string, uint16_t> categories, sounds;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    try {
        while (std::getline(lines, line)) {
            ++number;
            line = line.substr(0, line.find('#'));
            std::istringstream words(line);
            std::string keyword;
            if (!(words >> keyword))
                continue;
            std::vector<std::string> positional;
            Params p;
            bool loop = false;
            for (std::string w; words >> w;) {
                const size_t eq = w.find('=');
                if (eq != std::string::npos)
                    p[w.substr(0, eq)] = w.substr(eq + 1);
                else if (w == "loop")
                    loop = true;
                else
                    positional.push_back(w);
            }
            auto want = [&](size_t n) {
                if (positional.size() != n)
                    throw std::invalid_argument("expected " + std::to_string(n) + " names after " + keyword);
            };
            if (keyword == "rate") {
                want(1);
                rate = uint32_t(::number(positional[0]));
                if (rate < 8000 || rate > 48000)
                    throw std::invalid_argument("rate out of range");
            } else if (keyword == "category") {
                want(1);
                xact::Category c;
                c.name = positional[0];
                const std::string parent = take(p, "parent");
                if (!parent.empty()) {
                    if (!categories.count(parent))
                        throw std::invalid_argument("unknown parent category " + parent);
                    c.parent = categories[parent];
                }
                c.volumeDb = float(takeNumber(p, "volume", 0, -96, 6));
                categories[c.name] = uint16_t(out.settings.categories.size());
                out.settings.categories.push_back(c);
            } else if (keyword == "variable") {
                want(1);
                xact::Variable v;
                v.name = positional[0];
                v.accessibility = access(take(p, "access", "public"));
                v.initial = float(takeNumber(p, "init", 0, -1e9, 1e9));
                v.minimum = float(takeNumber(p, "min", 0, -1e9, 1e9));
                v.maximum = float(takeNumber(p, "max", 1, -1e9, 1e9));
                out.settings.variables.push_back(v);
            } else if (keyword == "wave") {
                want(1);
                xact::Sound sound;
                const std::string category = take(p, "category", "Default");
                if (!categories.count(category))
                    throw std::invalid_argument("unknown category " + category);
                sound.category = categories[category];
                sound.volumeDb = float(takeNumber(p, "volume", 0, -96, 6));
                sound.priority = uint8_t(takeNumber(p, "priority", 0, 0, 255));
                sound.loopCount = loop ? 255 : 0;
                sound.wave = uint16_t(out.waves.size());
                Synth s;
                s.shape = take(p, "shape", "sine");
                if (s.shape != "sine" && s.shape != "square" && s.shape != "saw" && s.shape != "triangle" &&
                    s.shape != "noise")
                    throw std::invalid_argument("unknown shape " + s.shape);
                s.duration = takeNumber(p, "dur", 0.3, 0.01, 60);
                s.gain = takeNumber(p, "gain", 0.5, 0, 1);
                s.frequency = takeNumber(p, "freq", 440, 20, 20000);
                s.glideTo = takeNumber(p, "to", -1, 20, 20000);
                s.attack = takeNumber(p, "attack", 0.005, 0, 10);
                s.decay = takeNumber(p, "decay", 0, 0, 60);
                s.vibrato = takeNumber(p, "vibrato", 0, 0, 100);
                s.depth = takeNumber(p, "depth", 0, 0, 12);
                s.tempo = takeNumber(p, "tempo", 120, 20, 400);
                s.cutoff = takeNumber(p, "cutoff", 0, 0, 20000);
                s.repeat = int(takeNumber(p, "repeat", 1, 1, 64));
                s.notes = melody(take(p, "notes"));
                s.bass = melody(take(p, "bass"));
                xact::Wave w;
                w.sampleRate = rate;
                w.samples = synthesise(s, rate);
                if (w.samples.empty())
                    throw std::invalid_argument("wave " + positional[0] + " is empty");
                if (sounds.count(positional[0]))
                    throw std::invalid_argument("second wave named " + positional[0]);
                sounds[positional[0]] = uint16_t(out.soundBank.sounds.size());
                out.soundBank.sounds.push_back(sound);
                out.waves.push_back(std::move(w));
            } else if (keyword == "cue") {
                want(2);
                if (::number(positional[0]) != double(out.soundBank.cues.size()))
                    throw std::invalid_argument("cues must be listed in index order from 0");
                xact::Cue c;
                c.name = positional[1];
                c.instanceLimit = uint8_t(takeNumber(p, "limit", 255, 1, 255));
                auto soundOf = [&](const std::string& name) {
                    if (!sounds.count(name))
                        throw std::invalid_argument("unknown wave " + name);
                    return sounds[name];
                };
                const std::string entries = take(p, "entries");
                if (entries.empty()) {
                    c.sound = soundOf(take(p, "sound"));
                } else {
                    c.variable = uint16_t(takeNumber(p, "var", 0, 0, double(out.settings.variables.size()) - 1));
                    std::stringstream in(entries);
                    for (std::string e; std::getline(in, e, ',');) {
                        const size_t a = e.find(':'), b = e.find(':', a + 1);
                        if (a == std::string::npos || b == std::string::npos)
                            throw std::invalid_argument("entry must be WAVE:MIN:MAX: " + e);
                        c.entries.push_back({soundOf(e.substr(0, a)), float(::number(e.substr(a + 1, b - a - 1))),
                                             float(::number(e.substr(b + 1)))});
                    }
                }
                out.soundBank.cues.push_back(std::move(c));
            } else if (keyword == "bank") {
                want(2);
                out.soundBank.name = positional[0];
                out.soundBank.waveBankName = positional[1];
            } else {
                throw std::invalid_argument("unknown statement " + keyword);
            }
            if (!p.empty())
                throw std::invalid_argument("unknown parameter " + p.begin()->first);
        }
        if (out.soundBank.name.empty())
            throw std::invalid_argument("no bank statement");
    } catch (const std::exception& e) {
        error = "line " + std::to_string(number) + ": " + e.what();
        return false;
    }
    return true;
}
