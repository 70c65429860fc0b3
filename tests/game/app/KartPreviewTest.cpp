// The menu's kart preview over our packed data set, on the recording device
// (the GUI on CEGUI's null renderer): start-up loads the two preview stages
// and every kart's menu model, and the preview operations hang the models
// and switch the kart's parts.
#include "game/app/Application.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/math/BoundingBox.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/texture/Texture.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/PlayerFolderRig.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"
#include "support/ScopedWorkingDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kKartObject = "D:\\Zoprax9/3dobjects_cars/kart_01.lwo";

// A renderable that notes what the kart paint's two picture layers hold
// whenever it is drawn.
class PaintProbe : public BoundingBox {
public:
    PaintProbe(Renderer* renderer, Surface* paint) : BoundingBox(renderer, nullptr), m_paint(paint)
    {
        setMinMax({-1, -1, -1}, {1, 1, 1});
    }
    void computeBounds() override {}
    const Vector3* points() override { return m_corners; }
    void render() override
    {
        m_seen.push_back({m_paint->m_imageLayers[0]->m_image, m_paint->m_imageLayers[1]->m_image});
    }
    struct Seen {
        Texture* colour;
        Texture* logo;
    };
    Surface* m_paint;
    std::vector<Seen> m_seen;
};

class KartPreview : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string archive = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
        DiskFile disk("");
        ASSERT_TRUE(m_archive.mount(disk, archive.c_str())) << archive;
        selectD3D9Backend(D3D9Backend::Recording);
        ASSERT_TRUE(m_rig.start());
        m_app = std::make_unique<Application>(m_rig.renderer.get());
        ASSERT_TRUE(m_app->init(&m_archive));
        ASSERT_NE(m_app->m_previewScene, nullptr);
    }
    void TearDown() override
    {
        m_app.reset();
        selectD3D9Backend(D3D9Backend::Default);
    }

    // Preview `index`'s copy of a layer of the kart object.
    MeshObject* part(int32_t layer, int32_t index)
    {
        Scene* scene = m_app->m_previewScene;
        return scene->countInstances(kKartObject, layer) > index
                   ? scene->findObjectInstance(kKartObject, layer, index + 1)
                   : nullptr;
    }
    // The switched layers of a preview that are drawn (the wheel carriers,
    // layers 5, 11, 13 and 19, are in every look).
    std::set<int32_t> shownLayers(int32_t index)
    {
        std::set<int32_t> shown;
        for (int32_t layer = 1; layer <= 64; ++layer)
            if (MeshObject* object = part(layer, index);
                object && !object->m_hidden && layer != 5 && layer != 11 && layer != 13 && layer != 19)
                shown.insert(layer);
        return shown;
    }

    ScopedWorkingDirectory m_folder{"kart-preview"};
    PlayerFolderRig m_playerFolder;
    ArchiveFile m_archive;
    RendererRig m_rig;
    std::unique_ptr<Application> m_app;
};

TEST_F(KartPreview, StartUpLoadsBothPreviewStagesAndEveryKartsMenuModel)
{
    Application& app = *m_app;
    for (int i = 0; i < 2; ++i) {
        const Application::KartPreview& preview = app.m_previews[i];
        ASSERT_NE(preview.chassis, nullptr) << i;
        ASSERT_NE(preview.kart, nullptr) << i;
        EXPECT_EQ(preview.chassis->m_name, "chassis");
        EXPECT_EQ(preview.kart->m_name, kKartObject);
        EXPECT_EQ(preview.kart->m_parent, preview.chassis); // the kart turns with its chassis
        EXPECT_EQ(preview.model, nullptr);
        // Every switched part of the kart object is in each copy.
        for (int32_t layer : {1, 24, 25, 29, 30, 45, 46, 55, 56, 60, 61, 64})
            EXPECT_NE(part(layer, i), nullptr) << "layer " << layer << " of preview " << i;
    }
    EXPECT_NE(app.m_previews[0].chassis, app.m_previews[1].chassis);
    EXPECT_NE(app.m_previews[0].kart, app.m_previews[1].kart);

    const std::vector<KartInfo>& karts = app.m_config.karts();
    ASSERT_EQ(karts.size(), 7u);
    for (size_t i = 0; i < karts.size(); ++i) {
        SceneObject* model = app.m_kartMenuModels[i];
        ASSERT_NE(model, nullptr) << karts[i].name;
        EXPECT_EQ(model->m_name, karts[i].menuscene);
        EXPECT_EQ(model->m_parent, nullptr) << "kept apart until a preview shows it";
        EXPECT_FALSE(model->m_children.empty()) << "the driver figure";
    }
}

TEST_F(KartPreview, AttachMenuKartsHangsTheFirstTwoModelsUnderTheChassis)
{
    Application& app = *m_app;
    for (SceneObject* model : app.m_kartMenuModels)
        ASSERT_NE(model, nullptr);
    // A model some screen left elsewhere is taken down first.
    app.m_previews[1].chassis->addChild(app.m_kartMenuModels[5]);
    for (int round = 0; round < 2; ++round) {
        app.attachMenuKarts();
        for (int i = 0; i < 2; ++i) {
            const Application::KartPreview& preview = app.m_previews[i];
            EXPECT_EQ(preview.model, app.m_kartMenuModels[i]);
            EXPECT_EQ(preview.model->m_parent, preview.chassis);
            EXPECT_EQ(std::count(preview.chassis->m_children.begin(), preview.chassis->m_children.end(),
                                 preview.model),
                      1);
        }
        for (int i = 2; i < 7; ++i)
            EXPECT_EQ(app.m_kartMenuModels[i]->m_parent, nullptr) << i;
    }
}

TEST_F(KartPreview, ApplyKartLookShowsTheChosenPartsOfOnePreview)
{
    struct Case {
        int32_t spoiler, tires, sideskirts, engine;
        std::set<int32_t> shown;
        int32_t spoilerLayer; // 0: none
    };
    const Case cases[] = {
        {0, 0, 0, 0, {1, 7, 18, 24, 46, 50, 53}, 0},
        {1, 1, 1, 1, {34, 35, 36, 37, 25, 46, 51, 53}, 56},
        {3, 2, 4, 5, {30, 31, 32, 33, 28, 47, 51, 55}, 58},
        {5, 4, 5, 4, {61, 62, 63, 64, 29, 48, 50, 55}, 60},
        {2, 3, 2, 2, {38, 39, 40, 41, 26, 47, 51, 54}, 57},
        {4, 5, 3, 3, {42, 43, 44, 45, 27, 48, 51, 54}, 59},
        // Levels outside the tables show no part of that kind.
        {6, -1, 6, 6, {}, 0},
        {-1, 6, -1, -1, {}, 0},
    };
    Application& app = *m_app;
    const std::set<int32_t> otherBefore = shownLayers(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.spoiler << " " << c.tires << " " << c.sideskirts << " " << c.engine);
        ASSERT_TRUE(app.applyKartLook("vela", c.spoiler, c.tires, c.sideskirts, 2, 3, c.engine, 1));
        EXPECT_EQ(shownLayers(1), c.shown);
        EXPECT_EQ(app.m_previews[1].spoiler, c.spoilerLayer ? part(c.spoilerLayer, 1) : nullptr);
        EXPECT_EQ(shownLayers(0), otherBefore) << "the other preview is untouched";
    }
    // The kart's menu model replaced the previous one under the chassis.
    const size_t vela = 2;
    ASSERT_EQ(app.m_config.karts()[vela].name, "vela");
    EXPECT_EQ(app.m_previews[1].model, app.m_kartMenuModels[vela]);
    EXPECT_EQ(app.m_kartMenuModels[vela]->m_parent, app.m_previews[1].chassis);
    ASSERT_TRUE(app.applyKartLook("otto", 0, 0, 0, 0, 0, 0, 1));
    EXPECT_EQ(app.m_kartMenuModels[vela]->m_parent, nullptr);
    EXPECT_EQ(app.m_kartMenuModels[6]->m_parent, app.m_previews[1].chassis);
}

TEST_F(KartPreview, ApplyKartLookPicksTheColourAndLogoTextures)
{
    Application& app = *m_app;
    SceneManager& scenes = *app.m_previewScenes;
    ASSERT_TRUE(app.applyKartLook("brisk", 0, 0, 0, 7, 0, 0, 0));
    EXPECT_EQ(app.m_previews[0].colour, scenes.findTexture("D:\\Zoprax9\\textures_cars\\kart_blau_0001.bmp", 0));
    EXPECT_EQ(app.m_previews[0].logo, scenes.findTexture("D:\\Zoprax9\\textures_cars\\kartlogo_07.png", 0));
    EXPECT_NE(app.m_previews[0].colour, nullptr);
    EXPECT_NE(app.m_previews[0].logo, nullptr);
    ASSERT_TRUE(app.applyKartLook("brisk", 0, 0, 0, 1, 6, 0, 0));
    EXPECT_EQ(app.m_previews[0].colour, scenes.findTexture("D:\\Zoprax9\\textures_cars\\kart_schwarz_0001.bmp", 0));
    EXPECT_EQ(app.m_previews[0].logo, scenes.findTexture("D:\\Zoprax9\\textures_cars\\kartlogo_01.png", 0));
    // Logo 0 and colours outside 0..6 choose none.
    for (auto [logo, colour] : {std::pair{0, 7}, std::pair{8, -1}}) {
        ASSERT_TRUE(app.applyKartLook("brisk", 0, 0, 0, logo, colour, 0, 0));
        EXPECT_EQ(app.m_previews[0].colour, nullptr);
        EXPECT_EQ(app.m_previews[0].logo, nullptr);
    }
}

TEST_F(KartPreview, RenderingTurnsEachShownPreviewAFixedStepInItsRectangle)
{
    Application& app = *m_app;
    app.attachMenuKarts();
    ASSERT_TRUE(app.applyKartLook("nix", 3, 1, 1, 1, 1, 1, 0));
    auto heading = [&](int i) { return app.m_previews[i].chassis->m_motion[RotationH].m_value; };
    const float rects[2][4] = {{8, 4, 40, 36}, {30, 2, 60, 22}};
    std::copy(&rects[0][0], &rects[0][0] + 8, &app.m_previewRects[0][0]);

    app.m_previewCount = 1;
    app.renderKartPreviews();
    app.renderKartPreviews();
    EXPECT_FLOAT_EQ(heading(0), 0.02f);
    EXPECT_FLOAT_EQ(heading(1), 0.0f) << "a preview not shown stands still";
    EXPECT_EQ(app.m_renderer->m_viewportX, 8);
    EXPECT_EQ(app.m_renderer->m_viewportY, 4);
    EXPECT_EQ(app.m_renderer->m_width, 32);
    EXPECT_EQ(app.m_renderer->m_height, 32);

    // More previews than there are: the two turn.
    app.m_previewCount = 5;
    app.renderKartPreviews();
    EXPECT_FLOAT_EQ(heading(0), 0.03f);
    EXPECT_FLOAT_EQ(heading(1), 0.01f);
    EXPECT_EQ(app.m_renderer->m_viewportX, 30);
    EXPECT_EQ(app.m_renderer->m_width, 30);
    EXPECT_EQ(app.m_renderer->m_height, 20);
}

TEST_F(KartPreview, AnUnknownKartOrPreviewChangesNothing)
{
    Application& app = *m_app;
    ASSERT_TRUE(app.applyKartLook("tomo", 2, 2, 2, 2, 2, 2, 0));
    const Application::KartPreview before = app.m_previews[0];
    const std::set<int32_t> shown = shownLayers(0);
    struct Call {
        const char* kart;
        int32_t preview;
    };
    for (const Call& call : {Call{"nobody", 0}, Call{"", 0}, Call{"Tomo", 0}, Call{"tomo", 2}, Call{"tomo", -1}}) {
        SCOPED_TRACE(std::string(call.kart) + " " + std::to_string(call.preview));
        EXPECT_FALSE(app.applyKartLook(call.kart, 0, 0, 0, 0, 0, 0, call.preview));
        EXPECT_EQ(app.m_previews[0].model, before.model);
        EXPECT_EQ(app.m_previews[0].spoiler, before.spoiler);
        EXPECT_EQ(app.m_previews[0].colour, before.colour);
        EXPECT_EQ(shownLayers(0), shown);
        EXPECT_EQ(app.m_kartMenuModels[1]->m_parent, app.m_previews[0].chassis);
    }
}

TEST_F(KartPreview, EachPreviewDrawsWithItsOwnColourAndLogoInThePaint)
{
    Application& app = *m_app;
    SceneManager& scenes = *app.m_previewScenes;
    Surface* paint = scenes.findSurface(std::string(kKartObject) + "@kart logo");
    ASSERT_NE(paint, nullptr);
    ASSERT_EQ(paint->m_imageLayers.size(), 2u) << "the colour, then the logo";
    Texture** colourSlot = &paint->m_imageLayers[0]->m_image;
    Texture** logoSlot = &paint->m_imageLayers[1]->m_image;
    // The object's own pictures, as its image blocks name them, loaded.
    Texture* ownColour = *colourSlot;
    Texture* ownLogo = *logoSlot;
    ASSERT_NE(ownColour, nullptr);
    ASSERT_NE(ownLogo, nullptr);
    EXPECT_EQ(ownColour->m_name, "D:/Zoprax9/textures_cars/kart_blau_0001.bmp");
    EXPECT_EQ(ownLogo->m_name, "D:/Zoprax9/textures_cars/kartlogo_01.png");

    app.attachMenuKarts();
    ASSERT_TRUE(app.applyKartLook("brisk", 2, 0, 0, 3, 5, 0, 0));
    ASSERT_TRUE(app.applyKartLook("tomo", 0, 0, 0, 6, 1, 0, 1));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(app.m_previews[i].colourSlot, colourSlot) << i;
        EXPECT_EQ(app.m_previews[i].logoSlot, logoSlot) << i;
    }
    Texture* red = scenes.findTexture("D:\\Zoprax9\\textures_cars\\kart_rot_0001.bmp", 0);
    Texture* yellow = scenes.findTexture("D:\\Zoprax9\\textures_cars\\kart_gelb_0001.bmp", 0);
    Texture* logo3 = scenes.findTexture("D:\\Zoprax9\\textures_cars\\kartlogo_03.png", 0);
    Texture* logo6 = scenes.findTexture("D:\\Zoprax9\\textures_cars\\kartlogo_06.png", 0);
    for (Texture* t : {red, yellow, logo3, logo6})
        ASSERT_NE(t, nullptr);
    // The chosen pictures load like the object's own: the logos through
    // their .dds copies, as the loader reads no PNG.
    for (Texture* t : {ownColour, ownLogo, red, logo6})
        EXPECT_NE(t->getFirstTexture(), nullptr) << t->m_name;

    // Each preview's kart item draws through a probe, in turn and last of
    // everything the preview draws but its spoiler.
    PaintProbe probe(app.m_renderer, paint);
    MeshObject probeItem(app.m_previewScene);
    probeItem.addLod(&probe, 0.0f);
    probeItem.m_lods.front()->owned = 0;
    MeshObject* kartItems[2] = {app.m_previews[0].kart, app.m_previews[1].kart};
    app.m_previews[0].kart = app.m_previews[1].kart = &probeItem;
    const float rects[2][4] = {{0, 0, 32, 32}, {32, 0, 64, 32}};
    std::copy(&rects[0][0], &rects[0][0] + 8, &app.m_previewRects[0][0]);
    app.m_previewCount = 2;
    app.renderKartPreviews();

    ASSERT_EQ(probe.m_seen.size(), 2u);
    EXPECT_EQ(probe.m_seen[0].colour, red);
    EXPECT_EQ(probe.m_seen[0].logo, logo3);
    EXPECT_EQ(probe.m_seen[1].colour, yellow);
    EXPECT_EQ(probe.m_seen[1].logo, logo6);
    EXPECT_EQ(*colourSlot, ownColour) << "the object's own pictures are back after the draw";
    EXPECT_EQ(*logoSlot, ownLogo);

    // No logo (0) and a colour outside 0..6 draw with empty slots, and the
    // object's pictures still come back; the layer lookup by image is right
    // again once the preview is drawn.
    probe.m_seen.clear();
    ASSERT_TRUE(app.applyKartLook("brisk", 0, 0, 0, 0, 42, 0, 0));
    ASSERT_TRUE(app.applyKartLook("tomo", 0, 0, 0, 9, -3, 0, 1));
    app.renderKartPreviews();
    ASSERT_EQ(probe.m_seen.size(), 2u);
    for (const PaintProbe::Seen& seen : probe.m_seen) {
        EXPECT_EQ(seen.colour, nullptr);
        EXPECT_EQ(seen.logo, nullptr);
    }
    EXPECT_EQ(*colourSlot, ownColour);
    EXPECT_EQ(*logoSlot, ownLogo);
    EXPECT_EQ(paint->findImageLayer(lwoCode("COLR"), 1), paint->m_imageLayers[0].get());
    EXPECT_EQ(paint->findImageLayer(lwoCode("COLR"), 2), paint->m_imageLayers[1].get());

    // A preview that no look was applied to has no slots and leaves the
    // paint alone.
    probe.m_seen.clear();
    app.m_previews[0].colourSlot = app.m_previews[0].logoSlot = nullptr;
    app.m_previewCount = 1;
    app.renderKartPreviews();
    ASSERT_EQ(probe.m_seen.size(), 1u);
    EXPECT_EQ(probe.m_seen[0].colour, ownColour);
    EXPECT_EQ(probe.m_seen[0].logo, ownLogo);

    app.m_previews[0].kart = kartItems[0];
    app.m_previews[1].kart = kartItems[1];
}

// The device's storage of a texture, 0 when it has none.
uint32_t storageOf(Texture* texture)
{
    IDirect3DTexture9* device = texture ? texture->getD3DTexture(0.0) : nullptr;
    return device ? static_cast<IDirect3DBaseTexture9*>(device)->storage() : 0;
}

// The textures of stage 0 of each draw.
std::set<uint32_t> drawnTextures(IDirect3DDevice9* device)
{
    std::set<uint32_t> drawn;
    for (const std::string& call : recordedCalls(device, "draw ")) {
        const size_t at = call.find(" texture0 ");
        if (at != std::string::npos)
            drawn.insert(uint32_t(std::stoul(call.substr(at + 10))));
    }
    return drawn;
}

TEST_F(KartPreview, TheDeviceDrawsEachPreviewsPaintWithItsColour)
{
    Application& app = *m_app;
    SceneManager& scenes = *app.m_previewScenes;
    Surface* paint = scenes.findSurface(std::string(kKartObject) + "@kart logo");
    ASSERT_NE(paint, nullptr);
    const uint32_t own = storageOf(paint->m_imageLayers[0]->m_image);
    const uint32_t red = storageOf(scenes.findTexture("D:\\Zoprax9\\textures_cars\\kart_rot_0001.bmp", 0));
    const uint32_t yellow = storageOf(scenes.findTexture("D:\\Zoprax9\\textures_cars\\kart_gelb_0001.bmp", 0));
    ASSERT_NE(own, 0u);
    ASSERT_NE(red, 0u);
    ASSERT_NE(yellow, 0u);
    app.attachMenuKarts();
    ASSERT_TRUE(app.applyKartLook("brisk", 2, 0, 0, 3, 5, 0, 0));
    ASSERT_TRUE(app.applyKartLook("tomo", 0, 0, 0, 6, 1, 0, 1));
    const float rects[2][4] = {{0, 0, 32, 32}, {32, 0, 64, 32}};
    std::copy(&rects[0][0], &rects[0][0] + 8, &app.m_previewRects[0][0]);
    IDirect3DDevice9* device = app.m_renderer->m_device;

    app.m_previewCount = 1;
    recordingBackend(device).clearCalls();
    app.renderKartPreviews();
    std::set<uint32_t> drawn = drawnTextures(device);
    EXPECT_TRUE(drawn.count(red)) << "the first preview's body in red";
    EXPECT_FALSE(drawn.count(yellow));
    EXPECT_FALSE(drawn.count(own)) << "nothing painted keeps the object's own colour";

    app.m_previewCount = 2;
    recordingBackend(device).clearCalls();
    app.renderKartPreviews();
    drawn = drawnTextures(device);
    EXPECT_TRUE(drawn.count(red));
    EXPECT_TRUE(drawn.count(yellow));
    EXPECT_FALSE(drawn.count(own));
}

} // namespace
