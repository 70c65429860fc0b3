#include "LwsRig.h"

#include "engine/scene/Envelope.h"
#include "engine/scene/MixerChannel.h"
#include "engine/scene/MixerRecords.h"

namespace {

using LwsMotionMixerTest = LwsRig;

LwsEnvelope ramp(float to)
{
    LwsEnvelope e;
    e.keys = {{0, 0, 0, {}}, {to, 1, 3, {}}};
    return e;
}

TEST_F(LwsMotionMixerTest, MotionsBecomeEntriesOfMixerChannels)
{
    LwsWriter w;
    w.key("FramesPerSecond", {30});
    w.loadObjectLayer(1, "Objects/cube.lwo").morphMixer({{"Smile", {{{0, 0, 0, {}}}}}});
    w.addNullObject("Wheel");
    close(w);
    LwsMixerActor kart;
    kart.name = "Kart";
    kart.items = {{"Body", 0x10000000}, {"Wheel", 0x10000001}, {"Nothing", 0x1000FFFF}, {"None", 0}};
    LwsMixerMotion drive{"Drive", 0, 60, {{"Body", {{"Position.X", ramp(2)}, {"Smile", ramp(1)}, {"Frown", ramp(1)}}}}};
    LwsMixerMotion turn{"Turn", 10, 25, {{"Body", {{"Position.X", ramp(4)}}}, {"wheel", {{"Rotation.H", ramp(1)}}}}};
    kart.motions = {drive, turn};
    LwsMixerActor other;
    other.name = "Kart";
    w.motionMixer({kart, other});
    ASSERT_TRUE(load(w.text())) << lastError();

    MeshObject* body = object(1);
    ASSERT_EQ(scene->m_mixerActors.size(), 2u);
    MixerActor* actor = scene->findObject("Kart", 0);
    ASSERT_NE(actor, nullptr);
    EXPECT_EQ(scene->findObject("Kart", 1), scene->m_mixerActors[1].get());
    EXPECT_EQ(scene->findObject("Kart", 2), nullptr);
    ASSERT_EQ(actor->items.size(), 2u);
    EXPECT_EQ(actor->itemNames, (std::vector<std::string>{"Body", "Wheel"}));
    EXPECT_EQ(actor->findItem("Wheel"), object(2));
    EXPECT_EQ(actor->findItem("wheel"), nullptr);
    ASSERT_EQ(actor->motions.size(), 2u);
    ASSERT_EQ(scene->m_mixerRecords.size(), 2u);

    MixerMotion* first = actor->motions[0];
    MixerMotion* second = actor->motions[1];
    EXPECT_EQ(first->name, "Drive");
    MixerChannel* x = mixerChannelOf(body->m_motion[PositionX]);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->entryCount(), 3);
    ASSERT_EQ(first->channels.size(), 2u); // "Frown" drives nothing
    EXPECT_EQ(first->channels[0], x);
    EXPECT_EQ(first->entryIndices[0], 1u);
    EXPECT_EQ(second->channels[0], x);
    EXPECT_EQ(second->entryIndices[0], 2u);
    MixerChannel* smile = mixerChannelOf(*body->findByName("Smile"));
    ASSERT_NE(smile, nullptr);
    EXPECT_EQ(first->channels[1], smile);
    EXPECT_DOUBLE_EQ(x->entries[2].channel->evaluate(1.0), 4.0);
    // The lengths: set by each motion's frames on the channels it holds.
    EXPECT_FLOAT_EQ(smile->loopLength, 2.0f);
    EXPECT_FLOAT_EQ(x->loopLength, 0.5f);
    // "wheel" is not the actor's "Wheel".
    EXPECT_EQ(second->channels.size(), 1u);
    EXPECT_EQ(mixerChannelOf(object(2)->m_motion[RotationH]), nullptr);
}

TEST_F(LwsMotionMixerTest, MixerWithoutActorsLeavesChannelsAlone)
{
    LwsWriter w = minimal();
    close(w);
    w.motionMixer({});
    w.line("Plugin MasterHandler 1 MotionMixer { MotionMixer Prefs 0 { Other { Actor AddActor X } } Stray 1 }");
    ASSERT_TRUE(load(w.text())) << lastError();
    EXPECT_TRUE(scene->m_mixerActors.empty());
    EXPECT_EQ(mixerChannelOf(object(1)->m_motion[PositionY]), nullptr);
    EXPECT_FLOAT_EQ(object(1)->m_motion[PositionY].m_value, 2.5f);
}

} // namespace
