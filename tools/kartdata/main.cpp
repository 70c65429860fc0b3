// kartdata: the karts, drivers and race objects of our data set.
//
//   kartdata CONFIG.xml KARTDIR OUTDIR
//
// KARTDIR (data/karts/) holds kart.txt, the measures of the kart, and
// drivers.txt, the seven drivers. Writes below OUTDIR, each under its archive
// entry name with the drive as a folder (the entry D:\Zoprax9\x.lwo is
// OUTDIR/D/Zoprax9/x.lwo):
//   D/Zoprax9/3dobjects_cars/kart_01.lwo      the kart: body, wheel carriers
//       and one layer per exchangeable part (tyre sets, side skirts, engine
//       parts, spoilers) on the layer numbers the kart look switches; its
//       painted surface "kart logo" shows the colour and logo pictures
//       kartpaint draws;
//   D/Zoprax9/3dobjects_cars/kart_shadow.lwo, D/Zoprax9/3dobjects_extras/
//       rauch.lwo and kart_effekte.lwo           the kart's shadow, exhaust
//       smoke and pickup and hit effects;
//   D/Zoprax9/3dobjects_chars/NAME.lwo        each kart's driver;
//   D/Zoprax9/menu/choose_kart.lws            the preview stage: camera, light,
//       the turning "chassis" null with every layer of the kart under it;
//   each kart's scenes as config.xml names them: the race kart (its bodies,
//       joints and collision boxes with the kart's masses and springs), the
//       driver for the race (with the motion mixer) and for the menu.
// The karts are the <kart name="..."> records of config.xml, so the
// configuration stays the one list of karts; each kart's driver is the
// drivers.txt block of the kart's name.
#include "tools/kartdata/Driver.h"
#include "tools/kartdata/DriverScenes.h"
#include "tools/kartdata/KartConfig.h"
#include "tools/kartdata/KartEffects.h"
#include "tools/kartdata/KartModel.h"
#include "tools/kartdata/KartScenes.h"
#include "tools/kartdata/ViewScenes.h"
#include "tools/lib/EntryPath.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// "D:\Zoprax9\menu\x.lws" or "D:\Zoprax9/menu/x.lws" -> OUT/D/Zoprax9/menu/x.lws
std::filesystem::path entryPath(const std::filesystem::path& out, const std::string& name)
{
    return out / hostPathOfEntry(name);
}

class Output {
public:
    explicit Output(std::filesystem::path root) : m_root(std::move(root)) {}

    void text(const std::string& entry, const std::string& text) { write(entry, text.data(), text.size()); }
    void model(const std::string& entry, const ModelFile& model)
    {
        for (uint32_t layer : model.insideOutLayers())
            fail(entry + ": layer " + std::to_string(layer) + " has a solid wound inside out");
        const std::vector<uint8_t> bytes = model.bytes();
        write(entry, bytes.data(), bytes.size());
    }
    void fail(const std::string& what)
    {
        std::fprintf(stderr, "kartdata: %s\n", what.c_str());
        m_ok = false;
    }
    bool ok() const { return m_ok; }

private:
    void write(const std::string& entry, const void* data, size_t size)
    {
        if (entry.empty())
            return;
        const std::filesystem::path path = entryPath(m_root, entry);
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        std::ofstream out(path, std::ios::binary);
        out.write(static_cast<const char*>(data), std::streamsize(size));
        if (!out)
            fail("cannot write " + path.string());
    }

    std::filesystem::path m_root;
    bool m_ok = true;
};

const DriverLook* driverOf(const std::vector<DriverLook>& drivers, const std::string& name)
{
    for (const DriverLook& d : drivers)
        if (d.name == name)
            return &d;
    return nullptr;
}

// The scenes to look at the karts with: each kart alone from the chase
// camera, all of them side by side from behind and from ahead, and the
// upgrade levels side by side as the shop shows them.
void writeViews(Output& out, const ModelFile& kart, const std::string& kartName, const std::vector<KartEntry>& karts,
                const std::vector<DriverRig>& rigs, const std::vector<std::string>& driverObjects)
{
    const float pi = 3.14159265f;
    out.model(kStageObject, stageObject());
    const ViewCamera chase{{0.0f, 1.25f, -3.6f}, 0.0f, 0.15f};
    std::vector<ViewKart> row;
    for (size_t i = 0; i < rigs.size(); ++i) {
        const ViewKart alone{&rigs[i], driverObjects[i], {}, {}, 0.0f};
        out.text("D:/Zoprax9/views/kart_" + karts[i].name + ".lws", viewScene(kart, kartName, {alone}, {}, chase));
        row.push_back(alone);
        row.back().at = {1.5f * (float(i) - 0.5f * float(rigs.size() - 1)), 0.0f, 0.0f};
    }
    out.text("D:/Zoprax9/views/karts_chase.lws", viewScene(kart, kartName, row, {}, {{0.0f, 2.4f, -9.0f}, 0.0f, 0.17f, 2.2f}));
    out.text("D:/Zoprax9/views/karts_front.lws",
             viewScene(kart, kartName, row, {}, {{0.0f, 2.2f, 8.5f}, pi, 0.15f, 2.2f}));
    std::vector<ViewKart> levels;
    for (int level = 0; level <= 5; ++level)
        levels.push_back({nullptr, {}, {level, level, level, level}, {1.7f * (float(level) - 2.5f), 0.0f, 0.0f}, pi * 0.8f});
    out.text("D:/Zoprax9/views/upgrades.lws", viewScene(kart, kartName, levels, {}, {{0.0f, 3.0f, 7.0f}, pi, 0.36f, 2.2f}));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: kartdata CONFIG.xml KARTDIR OUTDIR\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::vector<KartEntry> karts = readKarts(config);
    if (karts.empty()) {
        std::fprintf(stderr, "kartdata: %s lists no karts\n", argv[1]);
        return 1;
    }
    const std::string kartDir = argv[2];
    KartFrame frame;
    std::vector<DriverLook> drivers;
    std::string error;
    if (!readKartFrame(kartDir + "/kart.txt", frame, error) || !readDrivers(kartDir + "/drivers.txt", drivers, error)) {
        std::fprintf(stderr, "kartdata: %s\n", error.c_str());
        return 1;
    }

    Output out(argv[3]);
    const ModelFile kart = kartObject(frame);
    const std::string& kartName = karts.front().kartObject;
    out.model(kartName, kart);
    out.model(kKartShadowObject, kartShadow(frame));
    out.model(kSmokeObject, smokeObject());
    out.model(kKartEffectsObject, kartEffectsObject());
    out.text("D:/Zoprax9/menu/choose_kart.lws", chooseKartScene(kart, kartName));
    std::vector<DriverRig> rigs;
    std::vector<std::string> driverObjects;
    for (const KartEntry& entry : karts) {
        const DriverLook* look = driverOf(drivers, entry.name);
        if (!look) {
            out.fail("drivers.txt has no driver for the kart \"" + entry.name + "\"");
            continue;
        }
        if (entry.kartObject != kartName)
            out.fail("the kart \"" + entry.name + "\" wants the object " + entry.kartObject + "; every kart is " +
                     kartName);
        const DriverRig rig = driverRig(frame, *look);
        out.model(entry.characterObject, driverObject(rig, *look));
        out.text(entry.kartScene, raceKartScene(frame, entry, kart));
        out.text(entry.characterScene, characterScene(rig, entry.characterObject));
        out.text(entry.menuScene, menuDriverScene(rig, entry.characterObject));
        rigs.push_back(rig);
        driverObjects.push_back(entry.characterObject);
    }
    if (out.ok())
        writeViews(out, kart, kartName, karts, rigs, driverObjects);
    return out.ok() ? 0 : 1;
}
