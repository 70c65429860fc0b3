#include "tools/kartdata/ViewScenes.h"

#include "tools/kartdata/DriverScenes.h"
#include "tools/kartdata/KartModel.h"
#include "tools/kartdata/SceneItems.h"

#include <algorithm>

namespace {

std::vector<uint32_t> lookLayers(const KartLook& look)
{
    std::vector<uint32_t> layers{KartLayers::Body};
    layers.insert(layers.end(), std::begin(KartLayers::Suspension), std::end(KartLayers::Suspension));
    const int tyres = std::clamp(look.tyres, 0, 5), engine = std::clamp(look.engine, 0, 5);
    layers.insert(layers.end(), std::begin(KartLayers::Tyres[tyres]), std::end(KartLayers::Tyres[tyres]));
    layers.insert(layers.end(), std::begin(KartLayers::EngineLevels[engine]), std::end(KartLayers::EngineLevels[engine]));
    if (look.skirts >= 1 && look.skirts <= 5)
        layers.push_back(KartLayers::SkirtBase + uint32_t(look.skirts));
    if (look.spoiler >= 1 && look.spoiler <= 5)
        layers.push_back(KartLayers::SpoilerBase + uint32_t(look.spoiler));
    return layers;
}

} // namespace

ModelFile stageObject()
{
    // A floor of two-metre tiles in two greys, its top at y = 0.
    ModelFile file;
    const uint16_t dark = file.surface(material("stage dark", 0x6E7378, 0.05f, 0.2f, 0.0f));
    const uint16_t light = file.surface(material("stage light", 0x858A8F, 0.05f, 0.2f, 0.0f));
    Mesh& floor = file.layer(0, "stage");
    for (int i = -15; i < 15; ++i)
        for (int j = -15; j < 15; ++j) {
            const float x = 2.0f * float(i), z = 2.0f * float(j);
            floor.use((i + j) % 2 ? dark : light).face({{x, 0, z}, {x, 0, z + 2}, {x + 2, 0, z + 2}, {x + 2, 0, z}});
        }
    return file;
}

std::string viewScene(const ModelFile& kart, const std::string& kartObject, const std::vector<ViewKart>& karts,
                      const std::vector<ViewObject>& objects, const ViewCamera& camera)
{
    SceneItems s;
    LwsWriter& w = s.writer();
    w.key("AmbientIntensity", {0.35});
    w.key("BackdropColor", {0.55, 0.7, 0.9});
    s.loadLayer(kStageObject, 0);
    s.place({});
    for (const ViewKart& k : karts) {
        const uint32_t root = s.addNull("kart");
        s.place(k.at, {k.heading, 0.0f, 0.0f});
        for (uint32_t layer : lookLayers(k.look)) {
            s.loadLayer(kartObject, layer);
            s.parent(root).place(kart.home(layer));
        }
        if (k.rig) {
            uint32_t parts[DriverPartCount];
            addDriverParts(s, *k.rig, k.driverObject, parts, root);
        }
    }
    for (const ViewObject& o : objects) {
        s.loadLayer(o.file, o.layer);
        s.place(o.at, {o.heading, 0.0f, 0.0f}, {o.scale, o.scale, o.scale});
    }
    // The sun from behind the camera's right shoulder, high up.
    w.addLight("sun");
    w.motion("LightMotion", {{3, SceneItems::constant(camera.heading + 0.5f)}, {4, SceneItems::constant(0.9f)}});
    w.key("LightColor", {1, 0.97, 0.9}).key("LightIntensity", {1}).key("LightType", {0});
    w.addCamera("camera", {{0, SceneItems::constant(camera.at.x)},
                           {1, SceneItems::constant(camera.at.y)},
                           {2, SceneItems::constant(camera.at.z)},
                           {3, SceneItems::constant(camera.heading)},
                           {4, SceneItems::constant(camera.pitch)}});
    w.key("ZoomFactor", {camera.zoom});
    return s.text();
}
