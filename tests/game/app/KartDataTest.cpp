// The karts of our packed data set as the race loads them: every kart scene
// and driver scene of config.xml into one scene, one after the other, and
// every part the race looks up found under the name, layer and instance it
// asks for, with the bodies, joints and collision boxes it drives.
#include "KartSceneRig.h"

#include "engine/lightwave/LwoFile.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/MixerChannel.h"
#include "engine/scene/MixerRecords.h"
#include "engine/scene/OdeJointItem.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const char* const kSuspensionObject = "D:\\Zoprax9/3dobjects_cars/kart_01.lwo";
const char* const kSmokeObject = "D:\\Zoprax9/3dobjects_extras/rauch.lwo";
const char* const kShadowObject = "D:\\Zoprax9/3dobjects_cars/kart_shadow.lwo";

// The driver's motions by animation id, and the kart's.
const char* const kCharacterMotions[] = {
    "Fahren",          "Lenken_LI",           "Lenken_RE",           "Rueckwaerts", "Rueckwaerts_LI",
    "Rueckwaerts_RE",  "Crash",               "Sieger",              "Verlierer",   "Ueberholen_LI",
    "Ueberholen_RE",   "Ueberholt_werden_LI", "Ueberholt_werden_RE", "Aktivieren",  "Schneeball",
    "Faser_schiessen", "huepfen",             "Speedup",             "Schleudern",  "Kuerbis_werfen",
    "panzer",          "Fallen",              "Fehlstart"};
const char* const kKartMotions[] = {"hammer", "health", "quaddamage", "schutzschild", "elektroschock", "rauch"};

// The layers the kart's look switches: tyre sets, side skirts, engine parts
// and spoilers, and the body.
std::vector<int32_t> lookLayers()
{
    std::vector<int32_t> layers{0, 1, 7, 18, 24};
    for (int32_t layer = 25; layer <= 64; ++layer)
        if (layer != 49 && layer != 52)
            layers.push_back(layer);
    return layers;
}

class KartData : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.open()) << rig.error(); }

    const MixerMotion* motion(const MixerActor& actor, const std::string& name) const
    {
        for (const MixerMotion* m : actor.motions)
            if (m->name == name)
                return m;
        return nullptr;
    }

    KartSceneRig rig;
};

TEST_F(KartData, EveryKartAndDriverSceneHoldsWhatTheRaceLooksUp)
{
    const std::vector<KartInfo>& karts = rig.config.karts();
    ASSERT_EQ(karts.size(), 7u);
    int32_t kartcolPerKart = -1;
    for (size_t i = 0; i < karts.size(); ++i) {
        const KartInfo& kart = karts[i];
        SCOPED_TRACE(kart.name);
        const int32_t n = int32_t(i) + 1;
        ASSERT_TRUE(rig.load(kart.kartFile)) << kart.kartFile;
        ASSERT_EQ(kart.kartObject, kSuspensionObject) << "the suspension bodies are looked up in this object";

        MeshObject* root = rig.scene->findObjectByName(kart.kartFile);
        ASSERT_NE(root, nullptr) << kart.kartFile;
        MeshObject* chassis = rig.part("chassis", -1, n);
        ASSERT_NE(chassis, nullptr) << "chassis";
        EXPECT_NE(chassis->m_body, nullptr) << "chassis";
        EXPECT_NE(rig.part("CameraTarget", -1, n), nullptr) << "CameraTarget";

        // Collision boxes: the same number in every kart, each riding the chassis.
        const int32_t kartcols = rig.scene->countInstances("kartcol", -1);
        ASSERT_EQ(kartcols % n, 0) << "kartcol";
        if (kartcolPerKart < 0)
            kartcolPerKart = kartcols;
        EXPECT_EQ(kartcols, kartcolPerKart * n) << "kartcol";
        EXPECT_GT(kartcolPerKart, 0) << "kartcol";
        for (int32_t k = 0; k < kartcolPerKart; ++k) {
            MeshObject* box = rig.part("kartcol", -1, (n - 1) * kartcolPerKart + 1 + k);
            ASSERT_NE(box, nullptr) << "kartcol " << k;
            ASSERT_EQ(box->m_itemType, uint32_t(ItemCollision)) << "kartcol " << k;
            auto* c = static_cast<CollisionObject*>(box);
            EXPECT_EQ(c->m_surfaceClass, 2u) << "kartcol " << k;
            EXPECT_EQ(c->m_spaceIndex, uint32_t(KartSceneRig::KartSpace)) << "kartcol " << k;
            EXPECT_EQ(c->m_attachedTo, chassis) << "kartcol " << k;
        }

        // Wheels, wheel carriers and the joints between them.
        const std::string wheelNames[4] = {kart.wheelFL, kart.wheelFR, kart.wheelBL, kart.wheelBR};
        const std::string wheelJoints[4] = {kart.jointFLwheel, kart.jointFRwheel, kart.jointBLwheel,
                                            kart.jointBRwheel};
        const std::string springs[4] = {kart.jointFLsuspension, kart.jointFRsuspension, kart.jointBLsuspension,
                                        kart.jointBRsuspension};
        const int32_t carrierLayers[4] = {11, 5, 19, 13};
        for (int w = 0; w < 4; ++w) {
            MeshObject* wheel = rig.part(wheelNames[w], -1, n);
            ASSERT_NE(wheel, nullptr) << wheelNames[w];
            ASSERT_EQ(wheel->m_itemType, uint32_t(ItemCollision)) << wheelNames[w];
            EXPECT_EQ(static_cast<CollisionObject*>(wheel)->m_surfaceClass, 6u) << wheelNames[w];
            EXPECT_EQ(static_cast<CollisionObject*>(wheel)->m_spaceIndex, uint32_t(KartSceneRig::KartSpace))
                << wheelNames[w];
            EXPECT_NE(wheel->m_body, nullptr) << wheelNames[w];
            MeshObject* carrier = rig.part(kSuspensionObject, carrierLayers[w], n);
            ASSERT_NE(carrier, nullptr) << "layer " << carrierLayers[w];
            EXPECT_NE(carrier->m_body, nullptr) << "layer " << carrierLayers[w];

            MeshObject* joint = rig.part(wheelJoints[w], -1, n);
            ASSERT_NE(joint, nullptr) << wheelJoints[w];
            ASSERT_EQ(joint->m_itemType, uint32_t(ItemOdeJoint)) << wheelJoints[w];
            auto* j = static_cast<OdeJointItem*>(joint);
            EXPECT_EQ(j->m_jointType, uint32_t(w < 2 ? JointHinge2 : JointHinge)) << wheelJoints[w];
            EXPECT_EQ(j->m_object1, carrier) << wheelJoints[w];
            EXPECT_EQ(j->m_object2, wheel) << wheelJoints[w];

            MeshObject* spring = rig.part(springs[w], -1, n);
            ASSERT_NE(spring, nullptr) << springs[w];
            ASSERT_EQ(spring->m_itemType, uint32_t(ItemOdeJoint)) << springs[w];
            auto* s = static_cast<OdeJointItem*>(spring);
            EXPECT_EQ(s->m_jointType, uint32_t(JointSlider)) << springs[w];
            EXPECT_EQ(s->m_object1, chassis) << springs[w];
            EXPECT_EQ(s->m_object2, carrier) << springs[w];
            EXPECT_FLOAT_EQ(s->m_springForce, kart.spring) << springs[w];
            EXPECT_FLOAT_EQ(s->m_damperForce, kart.damper) << springs[w];
        }

        // Every layer the look switches, and the smoke.
        for (int32_t layer : lookLayers())
            EXPECT_NE(rig.part(kart.kartObject, layer, n), nullptr) << "layer " << layer << " of " << kart.kartObject;
        for (int32_t layer = 0; layer < 5; ++layer)
            EXPECT_NE(rig.part(kSmokeObject, layer, n), nullptr) << "layer " << layer << " of " << kSmokeObject;

        // The driver, and the motions the race plays on it and on the kart.
        ASSERT_TRUE(rig.load(kart.characterFile)) << kart.characterFile;
        EXPECT_NE(rig.scene->findObjectByName(kart.characterFile), nullptr) << kart.characterFile;
        EXPECT_NE(rig.part(kart.characterObject, 0, 1), nullptr) << kart.characterObject;
        const struct {
            const char* actor;
            const char* const* motions;
            size_t count;
        } actors[] = {{"Character", kCharacterMotions, std::size(kCharacterMotions)},
                      {"kart", kKartMotions, std::size(kKartMotions)}};
        for (const auto& a : actors) {
            const MixerActor* actor = rig.scene->findObject(a.actor, int32_t(i));
            ASSERT_NE(actor, nullptr) << a.actor;
            for (size_t m = 0; m < a.count; ++m) {
                const MixerMotion* found = motion(*actor, a.motions[m]);
                ASSERT_NE(found, nullptr) << a.actor << " " << a.motions[m];
                EXPECT_FALSE(found->channels.empty()) << a.actor << " " << a.motions[m];
            }
        }
    }
}

TEST_F(KartData, TheKartObjectCarriesTheSurfacesTheRaceAndTheShopPaint)
{
    const KartInfo& kart = rig.config.karts().front();
    ASSERT_TRUE(rig.load(kart.kartFile));
    for (const char* name : {"kart logo", "chromed metal", "kart kunststoff", "kart metal", "kart reifen"})
        EXPECT_NE(rig.manager->findSurface(kart.kartObject + "@" + name), nullptr) << name;
    Surface* paint = rig.manager->findSurface(kart.kartObject + "@kart logo");
    ASSERT_NE(paint, nullptr);
    EXPECT_NE(paint->findImageLayer(lwoCode("COLR"), 1), nullptr) << "the colour picture's layer";
    EXPECT_NE(paint->findImageLayer(lwoCode("COLR"), 2), nullptr) << "the logo's layer";
    EXPECT_NE(rig.scene->getLwoLayer(0, &rig.archive, kShadowObject), nullptr) << kShadowObject;
}

TEST_F(KartData, EveryDriverIsAnObjectOfItsOwnWithItsMenuScene)
{
    std::set<std::string> objects;
    for (const KartInfo& kart : rig.config.karts()) {
        SCOPED_TRACE(kart.name);
        EXPECT_TRUE(objects.insert(kart.characterObject).second) << "a driver of its own";
        ASSERT_TRUE(rig.load(kart.menuscene)) << kart.menuscene;
        MeshObject* model = rig.scene->findObjectByName(kart.menuscene);
        ASSERT_NE(model, nullptr);
        EXPECT_FALSE(model->m_children.empty()) << "the driver figure";
    }
}

} // namespace
