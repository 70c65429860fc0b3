// The console's commands: one table of names, the words each needs and what
// it does to the race, its karts, the renderer or the tuning values. A
// command the table does not know, too few words or a word that is not the
// number it should be is answered in the log and changes nothing.
#include "game/app/DebugConsole.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/texture/Texture.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoFile.h"
#include "engine/lightwave/Surface.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/Application.h"
#include "game/app/RaceSetup.h"
#include "game/app/TuningValues.h"
#include "game/race/Kart.h"
#include "game/race/Race.h"

#include <ode/ode.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;

const char* const kHelp[] = {
    "bbox: toggle bounding boxes",
    "clear: clear screen",
    "gadgets: toggle gadgets",
    "light: toggle light",
    "scenestats: show some statistics",
    "restart: restarts the game",
    "quit: exit program",
    "wireframe: toggle wireframe mode",
    "cameraheight: set follow cam height",
    "cameradistance: set follow cam distance",
    "cameraspeedfactor: set camera speed factor",
    "forwardspeed: set the kart's forward max speed",
    "forwardforce: set the kart's forward max force",
    "brakeforce: set the kart's brakeforce",
    "slip: set the ground's slippery factor [0..1]",
    "drift: set the ground's driftfactor [0..1]",
    "driftexp: set the ground's driftexponent [0..1] drift = driftfactor * speed^driftexp",
    "mu: set the ground's fraction [0..10]",
    "spring <springforce> <damperforce>: set the kart's springfactors",
    "mass: kart's mass [default = 0.6]",
    "masswheels: wheel's mass [default = 0.1]",
    "masssuspensions: suspensions' mass [default = 0.05]",
    "finish: finish game and advance track",
    "wheelsERP: wheels collision parameters [range = 0..1, default = 1.0]",
    "wheelsCFM: wheels collision parameters [range = 0..1, default = 0.0]",
    "kartERP: kart collision parameters [range = 0..1, default = 1.0]",
    "kartCFM: kart collision parameters [range = 0..1, default = 0.0]",
    "steerspeed: turningspeed of the wheels in radians per 1/100sec [default = 0.05]",
    "steerangle: maximum angle the wheels can turn in degrees [default = 45]",
    "steeranglemin: minimum angle the wheels can turn in degrees [default = 45]",
    "colreset/colfloor/colwall: show/hide colmeshes",
    "kill: kill a kart",
};

// A whole word as a finite number.
bool toFloat(const std::string& word, float& value)
{
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(parsed) || std::fabs(parsed) > 3.0e38)
        return false;
    value = float(parsed);
    return true;
}

bool toInt(const std::string& word, int32_t& value)
{
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = int32_t(parsed);
    return true;
}

const char* onOff(bool on)
{
    return on ? "on" : "off";
}

// The race's time since the start, for karts the console finishes; 0 before
// the start.
float elapsed(const Race& race)
{
    return race.m_startTime < 0.0f ? 0.0f : float(race.raceClock()) - race.m_startTime;
}

void markFinished(Race& race, Kart& kart)
{
    if (!kart.m_finished)
        kart.m_finishTime = elapsed(race);
    kart.m_finished = 1;
}

// Scales the body's mass to the total given (above 0, or ODE stops the
// program).
void setMass(SceneObject* object, float mass)
{
    if (!object || !object->m_body)
        return;
    dMass m;
    dBodyGetMass(object->m_body, &m);
    dMassAdjust(&m, mass);
    dBodySetMass(object->m_body, &m);
}

void printTree(DebugConsole& console, const SceneObject* item, int depth)
{
    std::string line;
    for (int d = 0; d < depth; ++d)
        line += "- ";
    console.print(line + " " + item->m_name);
    for (const SceneObject* child : item->m_children)
        printTree(console, child, depth + 1);
}

// What a command gets: the console, the race and the words typed.
struct ConsoleCommand {
    DebugConsole& console;
    Race& race;
    const std::vector<std::string>& words;

    void print(const std::string& text) const { console.print(text); }

    // The number in word i; false, with a message, when it is not one.
    bool number(size_t i, float& value) const
    {
        if (toFloat(words[i], value))
            return true;
        print(words[0] + ": \"" + words[i] + "\" is not a number");
        return false;
    }
    bool integer(size_t i, int32_t& value) const
    {
        if (toInt(words[i], value))
            return true;
        print(words[0] + ": \"" + words[i] + "\" is not a whole number");
        return false;
    }
    bool kartIndex(size_t i, int32_t& index) const
    {
        if (!integer(i, index))
            return false;
        if (index >= 0 && index < race.m_kartCount)
            return true;
        print(words[0] + ": there is no kart " + words[i] + " (karts 0 to " + std::to_string(race.m_kartCount - 1) +
              ")");
        return false;
    }
    // The kart the kart commands act on: the one view 0 follows.
    Kart* selected() const
    {
        const int32_t index = race.m_viewKart[0];
        Kart* kart = index >= 0 && index < race.m_kartCount ? race.m_karts[index] : nullptr;
        if (!kart)
            print(words[0] + ": no kart is selected");
        return kart;
    }

    // A kart value of that name from word 1.
    void kartValue(float Kart::*value) const
    {
        float v;
        if (Kart* kart = selected(); kart && number(1, v))
            kart->*value = v;
    }
    void kartAngle(float Kart::*value) const
    {
        float v;
        if (Kart* kart = selected(); kart && number(1, v))
            kart->*value = float(double(v) * kDegreesToRadians);
    }
    // The bodies of one part of the selected kart get the mass from word 1.
    void kartMass(const std::function<void(Kart&, float)>& set) const
    {
        float mass;
        Kart* kart = selected();
        if (!kart || !number(1, mass))
            return;
        if (!(mass > 0.0f)) {
            print(words[0] + ": a mass must be above 0");
            return;
        }
        set(*kart, mass);
    }
    void tuning(float& value) const
    {
        float v;
        if (number(1, v))
            value = v;
    }
    void cameraValue(float (Race::*values)[Race::kMaxViews], const char* done) const
    {
        float v;
        if (!number(1, v))
            return;
        for (float& value : race.*values)
            value = v;
        if (done)
            print(done);
    }
    void toggle(uint8_t* flag, const char* name) const
    {
        if (!flag) {
            print(std::string(name) + ": no renderer");
            return;
        }
        *flag = *flag ? 0 : 1;
        print(std::string(name) + "(): " + onOff(*flag));
    }
    // Shows or hides one of the level's collision meshes through its
    // surface's transparency.
    void collisionMesh(const char* file, const char* surface) const
    {
        const LevelInfo* level = race.m_app && race.m_setup ? race.m_app->findLevel(race.m_setup->level) : nullptr;
        MeshObject* object = level && race.m_scene ? race.m_scene->findObjectByName(level->objectPath + file) : nullptr;
        const auto* mesh = object ? dynamic_cast<const LwMesh*>(object->firstLodMesh()) : nullptr;
        const LwoFile* model = mesh ? mesh->file() : nullptr;
        if (!model) {
            print(words[0] + ": the level has no " + file);
            return;
        }
        const std::string name = model->m_name + "@" + surface;
        for (Surface* s : model->m_tagSurfaces) {
            if (!s || s->m_name != name)
                continue;
            const float now = s->m_transparency.evaluate(race.raceClock());
            s->m_transparency.m_envelope.reset();
            s->m_transparency.m_value = now == 1.0f ? 0.5f : 1.0f;
            return;
        }
        print(words[0] + ": " + file + " has no surface " + surface);
    }
};

struct CommandEntry {
    const char* name;
    // Words after the name that the command needs.
    size_t arguments;
    const char* syntax;
    void (*run)(const ConsoleCommand& c);
};

const CommandEntry kCommands[] = {
    {"help", 0, "", [](const ConsoleCommand& c) {
         for (const char* line : kHelp)
             c.print(line);
     }},
    {"quote", 0, "", [](const ConsoleCommand& c) {
         for (size_t i = 1; i < c.words.size(); ++i)
             c.print(c.words[i]);
     }},
    {"clear", 0, "", nullptr},
    {"scenestats", 0, "", [](const ConsoleCommand& c) {
         const Scene* scene = c.race.m_scene;
         c.print("num Cameras: " + std::to_string(scene ? scene->cameraCount() : 0));
         c.print("num Objects: " + std::to_string(scene ? scene->objectCount() : 0));
         c.print("num Lights: " + std::to_string(scene ? scene->lightCount() : 0));
     }},
    {"quit", 0, "", [](const ConsoleCommand& c) { c.print("quit()"); }},
    {"view", 0, "", [](const ConsoleCommand& c) {
         if (c.words.size() < 3) {
             c.print("not enough arguments\nsyntax: view camera <cameraindex>");
             return;
         }
         int32_t index;
         if (c.words[1] != "camera") {
             c.print("syntax: view camera <cameraindex>");
         } else if (c.integer(2, index)) {
             const int32_t count = c.race.m_scene ? c.race.m_scene->cameraCount() : 0;
             c.print(index >= 0 && index < count ? "changed view to camera x" : "camera does not exist");
         }
     }},
    {"wireframe", 0, "", [](const ConsoleCommand& c) {
         c.toggle(c.race.m_renderer ? &c.race.m_renderer->m_wireframe : nullptr, "wireframe");
     }},
    {"gadgets", 0, "", [](const ConsoleCommand& c) {
         c.toggle(c.race.m_renderer ? &c.race.m_renderer->m_drawGadgets : nullptr, "gadgets");
     }},
    {"bbox", 0, "", [](const ConsoleCommand& c) {
         c.toggle(c.race.m_renderer ? &c.race.m_renderer->m_drawBoundingBoxes : nullptr, "bbox");
     }},
    {"light", 0, "", [](const ConsoleCommand& c) {
         c.toggle(c.race.m_renderer ? &c.race.m_renderer->m_lightingEnabled : nullptr, "light");
     }},
    {"scenegraph", 0, "", [](const ConsoleCommand& c) {
         if (c.race.m_scene && c.race.m_scene->m_root)
             printTree(c.console, c.race.m_scene->m_root, 1);
     }},
    {"sg2", 0, "", [](const ConsoleCommand& c) {
         if (!c.race.m_scene || !c.race.m_scene->m_root)
             return;
         std::vector<const SceneObject*> stack{c.race.m_scene->m_root};
         while (!stack.empty()) {
             const SceneObject* item = stack.back();
             stack.pop_back();
             c.print(item->m_name);
             for (auto it = item->m_children.rbegin(); it != item->m_children.rend(); ++it)
                 stack.push_back(*it);
         }
     }},
    {"tl", 0, "", [](const ConsoleCommand& c) {
         if (c.race.m_sceneManager)
             for (const Texture* texture : c.race.m_sceneManager->m_textures)
                 if (texture)
                     c.print(texture->m_name);
     }},
    {"mml", 0, "", [](const ConsoleCommand& c) {
         if (c.race.m_sceneManager)
             for (const LwoFile* file : c.race.m_sceneManager->m_lwoFiles)
                 if (file)
                     c.print(file->m_name);
     }},
    {"pos", 3, "pos <x> <y> <z>", [](const ConsoleCommand& c) {
         float x, y, z;
         if (c.race.m_kartCount < 1 || !c.race.m_karts[0])
             c.print("pos: there is no kart 0");
         else if (c.number(1, x) && c.number(2, y) && c.number(3, z))
             c.race.m_karts[0]->setTransform({x, y, z}, {0.0f, 0.0f, 0.0f});
     }},
    {"freeflight", 0, "", [](const ConsoleCommand& c) {
         const bool on = c.race.m_cameraMode[0] != Race::FreeCamera;
         c.race.setCameraMode(0, on ? Race::FreeCamera : Race::ChaseCamera);
         c.print(std::string("freeflight(): ") + onOff(on));
     }},
    {"cameraheight", 1, "cameraheight <height>", [](const ConsoleCommand& c) {
         c.cameraValue(&Race::m_cameraHeight, "camera height set");
     }},
    {"cameradistance", 1, "cameradistance <distance>", [](const ConsoleCommand& c) {
         c.cameraValue(&Race::m_cameraDistance, "camera distance set");
     }},
    {"camerafov", 1, "camerafov <fov>", [](const ConsoleCommand& c) { c.cameraValue(&Race::m_cameraFov, nullptr); }},
    {"cameraspeedfactor", 1, "cameraspeedfactor <factor>", [](const ConsoleCommand& c) {
         c.cameraValue(&Race::m_cameraSpeedfactor, nullptr);
     }},
    {"singlestep", 0, "", [](const ConsoleCommand& c) { c.race.m_singleStep = c.race.m_singleStep ? 0 : 1; }},
    {"forwardspeed", 1, "forwardspeed <speed>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_forwardSpeed); }},
    {"forwardforce", 1, "forwardforce <force>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_forwardForce); }},
    {"backwardspeed", 1, "backwardspeed <speed>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_backwardSpeed); }},
    {"backwardforce", 1, "backwardforce <force>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_backwardForce); }},
    {"brakeforce", 1, "brakeforce <force>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_brakeForce); }},
    {"idleforce", 1, "idleforce <force>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_idleForce); }},
    {"slip", 1, "slip <factor>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_slip); }},
    {"drift", 1, "drift <factor>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_drift); }},
    {"driftexp", 1, "driftexp <exponent>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_driftExp); }},
    {"mu", 1, "mu <friction>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_mu); }},
    {"mass", 1, "mass <mass>", [](const ConsoleCommand& c) {
         c.kartMass([](Kart& kart, float mass) { setMass(kart.m_chassis, mass); });
     }},
    {"masswheels", 1, "masswheels <mass>", [](const ConsoleCommand& c) {
         c.kartMass([](Kart& kart, float mass) {
             for (SceneObject* wheel : kart.m_wheel)
                 setMass(wheel, mass);
         });
     }},
    {"masssuspensions", 1, "masssuspensions <mass>", [](const ConsoleCommand& c) {
         c.kartMass([](Kart& kart, float mass) {
             for (SceneObject* suspension : kart.m_suspension)
                 setMass(suspension, mass);
         });
     }},
    {"finish", 0, "", [](const ConsoleCommand& c) {
         for (int32_t i = 0; i < c.race.m_kartCount; ++i)
             markFinished(c.race, *c.race.m_karts[i]);
     }},
    // The others are marked finished too, so that the results keep the
    // times given here rather than estimating them.
    {"win", 0, "", [](const ConsoleCommand& c) {
         Kart* kart = c.selected();
         if (!kart)
             return;
         for (int32_t i = 0; i < c.race.m_kartCount; ++i) {
             c.race.m_karts[i]->m_finishTime = 3540.0f;
             c.race.m_karts[i]->m_finished = 1;
         }
         kart->m_finishTime = 1.0f;
     }},
    {"loose", 0, "", [](const ConsoleCommand& c) {
         Kart* kart = c.selected();
         if (!kart)
             return;
         for (int32_t i = 0; i < c.race.m_kartCount; ++i) {
             c.race.m_karts[i]->m_finishTime = 1.0f;
             c.race.m_karts[i]->m_finished = 1;
         }
         kart->m_finishTime = 3540.0f;
     }},
    {"restart", 0, "", [](const ConsoleCommand& c) { c.race.start(); }},
    {"spring", 2, "spring <springforce> <damperforce>", [](const ConsoleCommand& c) {
         float spring, damper;
         if (Kart* kart = c.selected(); kart && c.number(1, spring) && c.number(2, damper))
             kart->setSpring(spring, damper);
     }},
    {"kartERP", 1, "kartERP <value>", [](const ConsoleCommand& c) { c.tuning(kartERP); }},
    {"kartCFM", 1, "kartCFM <value>", [](const ConsoleCommand& c) { c.tuning(kartCFM); }},
    {"wheelsERP", 1, "wheelsERP <value>", [](const ConsoleCommand& c) { c.tuning(wheelsERP); }},
    {"wheelsCFM", 1, "wheelsCFM <value>", [](const ConsoleCommand& c) { c.tuning(wheelsCFM); }},
    {"kart", 1, "kart <index>", [](const ConsoleCommand& c) {
         int32_t index;
         if (c.kartIndex(1, index))
             c.race.m_viewKart[0] = index;
     }},
    {"steerspeed", 1, "steerspeed <radians>", [](const ConsoleCommand& c) { c.kartValue(&Kart::m_steerSpeed); }},
    {"steerangle", 1, "steerangle <degrees>", [](const ConsoleCommand& c) { c.kartAngle(&Kart::m_steerAngle); }},
    {"steeranglemin", 1, "steeranglemin <degrees>", [](const ConsoleCommand& c) {
         c.kartAngle(&Kart::m_steerAngleMin);
     }},
    {"colreset", 0, "", [](const ConsoleCommand& c) { c.collisionMesh("colreset.lwo", "colreset"); }},
    {"colfloor", 0, "", [](const ConsoleCommand& c) {
         c.collisionMesh("colmesh_floor_fahrbahn.lwo", "colmesh floor fahrbahn");
     }},
    {"colwall", 0, "", [](const ConsoleCommand& c) { c.collisionMesh("colmesh.lwo", "colmesh"); }},
    {"kill", 1, "kill <kart>", [](const ConsoleCommand& c) {
         int32_t index;
         if (c.kartIndex(1, index))
             markFinished(c.race, *c.race.m_karts[index]);
     }},
};

} // namespace

void DebugConsole::runCommand(const std::vector<std::string>& words)
{
    for (const CommandEntry& command : kCommands) {
        if (words[0] != command.name)
            continue;
        if (words.size() < command.arguments + 1) {
            print(std::string("not enough arguments\nsyntax: ") + command.syntax);
            return;
        }
        if (!command.run) {
            clear();
            return;
        }
        if (!m_race) {
            print(words[0] + ": there is no race");
            return;
        }
        command.run(ConsoleCommand{*this, *m_race, words});
        return;
    }
    print("unknown command \"" + words[0] + "\"; type \"help\" for the commands");
}
